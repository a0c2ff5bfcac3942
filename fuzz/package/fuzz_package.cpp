// Loads arbitrary bytes as a package: a 4-byte little-endian length, that many bytes of
// "setup.dat", and the rest as "data.pak". Loading must end in a package or a message, never a
// crash, an out-of-bounds read or an unbounded allocation; placeholders of every text expand.
#include "../FuzzPackage.h"
#include "HeadlessWizard.h"
#include "RootPlatform.h"
#include "setup_installer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstring>
#include <memory>

namespace {

struct World {
    QTemporaryDir dir;
    fuzzing::SilentSeam seam;
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    World& world = TheWorld();
    fuzzing::WritePackage(world.package, data, size);

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
