// Installs arbitrary bytes as a package (the input as the package target reads it), unattended,
// into a fresh Windows root. Whatever the package holds, the worker must end — completed or
// failed with a reason — with no crash, no out-of-bounds access and no unbounded allocation.
#include "../FuzzPackage.h"
#include "HeadlessWizard.h"
#include "RootPlatform.h"
#include "setup_installer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>

namespace {

class WatchedWizard : public setup::HeadlessWizard {
public:
    void EnableEndSignal() override {
        HeadlessWizard::EnableEndSignal();
        loop.quit();
    }
    QEventLoop loop;
};

struct World {
    int argc = 1;
    char name[16] = "fuzz_install";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
    fuzzing::SilentSeam seam;
    modal::ScopedSeam scopedSeam{seam};
};

void Install(const QString& packageFolder) {
    WatchedWizard wizard;
    setup::TInstaller installer(wizard);
    installer.SourceDir = packageFolder + "/";
    if (!installer.LoadPackage())
        return;
    installer.Header.Unattended = 1;
    installer.InstallRoot = QStringLiteral("C:\\Fuzz");
    installer.StartInstallThread();
    if (!wizard.ended)
        wizard.loop.exec();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static World world;
    QTemporaryDir dir;
    fuzzing::WritePackage(dir.filePath("package"), data, size);
    winplatform::RootPlatform root(dir.filePath("windows"));
    winplatform::ScopedPlatform scoped(root);
    Install(dir.filePath("package"));
    return 0;
}
