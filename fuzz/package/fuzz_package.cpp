// Loads arbitrary bytes as a package: a 4-byte little-endian length, that many bytes of
// "setup.dat", and the rest as "data.pak". Loading must end in a package or a message, never a
// crash, an out-of-bounds read or an unbounded allocation; placeholders of every text expand.
#include "HeadlessWizard.h"
#include "ModalSeam.h"
#include "RootPlatform.h"
#include "setup_installer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstring>
#include <memory>

namespace {

class SilentSeam : public modal::Seam {
public:
    modal::Answer message(const modal::Message&) override { return modal::Answer::Ok; }
    QString inputBox(const QString&, const QString&, const QString& value) override {
        return value;
    }
    std::optional<QString> openFile(const modal::FileDialog&) override { return std::nullopt; }
    std::optional<QString> saveFile(const modal::FileDialog&) override { return std::nullopt; }
    std::optional<QString> browseFolder(const QString&, const QString&) override {
        return std::nullopt;
    }
    int runModal(QDialog&) override { return 0; }
    void showHelp(const QString&, const QString&) override {}
    void beep() override {}
};

struct World {
    QTemporaryDir dir;
    SilentSeam seam;
    modal::ScopedSeam scopedSeam{seam};
    std::unique_ptr<winplatform::RootPlatform> platform;
    std::unique_ptr<winplatform::ScopedPlatform> scopedPlatform;
    QString package;

    World() {
        platform = std::make_unique<winplatform::RootPlatform>(dir.filePath("windows"));
        scopedPlatform = std::make_unique<winplatform::ScopedPlatform>(*platform);
        package = dir.filePath("package");
        QDir().mkpath(package);
    }
};

World& TheWorld() {
    static World world;
    return world;
}

void WriteFile(const QString& path, const std::uint8_t* data, std::size_t size) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    World& world = TheWorld();
    std::uint32_t split = 0;
    if (size >= 4) {
        std::memcpy(&split, data, 4);
        data += 4;
        size -= 4;
    }
    split = static_cast<std::uint32_t>(std::min<std::size_t>(split, size));
    WriteFile(world.package + "/setup.dat", data, split);
    WriteFile(world.package + "/data.pak", data + split, size - split);

    setup::HeadlessWizard wizard;
    setup::TInstaller installer(wizard);
    installer.SourceDir = world.package + "/";
    if (!installer.LoadPackage())
        return 0;
    installer.InstallRoot = "C:\\Fuzz";
    installer.ExpandPlaceholders(installer.Header.DefaultDestination);
    for (int i = 1; i <= installer.FileEntryCount(); ++i)
        installer.ExpandPlaceholders(installer.FileEntryAt(i)->TargetPath);
    for (int i = 1; i <= installer.RegistryEntryCount(); ++i)
        installer.ExpandPlaceholders(installer.RegistryEntryAt(i)->KeyPath);
    for (int i = 1; i <= installer.ShortcutEntryCount(); ++i)
        installer.ExpandPlaceholders(installer.ShortcutEntryAt(i)->ShortcutFolder);
    for (const QString& command : installer.UninstallCommands)
        installer.ExpandPlaceholders(command);
    installer.IsValidDestination(installer.Header.DefaultDestination);
    return 0;
}
