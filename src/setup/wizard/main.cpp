// The installer: its one window, the wizard, beside the package it installs.

#include "WizardArt.h"
#include "setup_main.h"

#include <QApplication>
#include <QScreen>

namespace {

// Where no screen can show a message box, an unattended run must not wait for its OK.
bool noScreenForMessageBoxes() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal") ||
           QGuiApplication::primaryScreen() == nullptr;
}

// An unattended run started where there is no display at all (a script, a CI job) runs without a
// screen rather than failing to start.
void runUnattendedWithoutDisplayOffscreen(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return;
    for (int i = 1; i < argc; ++i)
        if (QByteArray(argv[i]).toLower() == "/u") {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            return;
        }
}

} // namespace

int main(int argc, char** argv) {
    runUnattendedWithoutDisplayOffscreen(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Setup"));
    QApplication::setWindowIcon(setup_main::art::applicationIcon());

    TMainForm::StartUp startUp;
    startUp.arguments = QApplication::arguments().mid(1);
    startUp.programDir = QApplication::applicationDirPath();
    startUp.screenless = noScreenForMessageBoxes();
    TMainForm form(startUp);
    if (form.Ended())
        return form.ExitCode();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = form.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        form.move(frame.topLeft());
    }
    form.show();
    QApplication::exec();
    return form.ExitCode();
}
