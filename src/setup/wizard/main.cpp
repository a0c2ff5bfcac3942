// The installer: its one window, the wizard, beside the package it installs.

#include "WizardArt.h"
#include "setup_installer.h"
#include "setup_main.h"

#include <QApplication>
#include <QScreen>

#include <cstdio>
#include <optional>
#include <vector>

namespace {

// Where no screen can show a message box, an unattended run must not wait for its OK.
bool noScreenForMessageBoxes() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal") ||
           QGuiApplication::primaryScreen() == nullptr;
}

// Unless a platform is set, the desktop's display is tried first and no screen at all last, so
// that a missing or stale display never stops the program before it can say why.
bool offerScreenlessFallback() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return false;
    QByteArray platforms;
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland")
        platforms += "wayland;";
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        platforms += "xcb;";
    qputenv("QT_QPA_PLATFORM", platforms + "offscreen");
    return true;
}

// What the platform says while it starts is held back: a start that fell back to no screen says
// only why the display could not be opened, which the program tells in its own words.
struct HeldMessage {
    QtMsgType type;
    const char* file;
    int line;
    const char* function;
    const char* category;
    QString text;
};
QtMessageHandler handlerBeforeStart = nullptr;
std::vector<HeldMessage> heldMessages;

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        handlerBeforeStart(type, context, text);
    else
        heldMessages.push_back(
            {type, context.file, context.line, context.function, context.category, text});
}

void holdPlatformStartMessages() {
    handlerBeforeStart = qInstallMessageHandler(&holdMessage);
}

void releasePlatformStartMessages(bool replay) {
    qInstallMessageHandler(handlerBeforeStart);
    if (replay)
        for (const HeldMessage& m : heldMessages)
            handlerBeforeStart(m.type, QMessageLogContext(m.file, m.line, m.function, m.category),
                               m.text);
    heldMessages.clear();
}

bool runsUnattended(const TMainForm::StartUp& startUp) {
    if (startUp.arguments.contains(QStringLiteral("/u"), Qt::CaseInsensitive))
        return true;
    const std::optional<setup::SetupHeader> header = setup::ReadPackageHeader(startUp.programDir);
    return header && header->Unattended == 1;
}

} // namespace

int main(int argc, char** argv) {
    const bool fallbackOffered = offerScreenlessFallback();
    holdPlatformStartMessages();
    QApplication app(argc, argv);
    const bool noDisplay =
        fallbackOffered && QGuiApplication::platformName() == QLatin1String("offscreen");
    releasePlatformStartMessages(!noDisplay);
    if (fallbackOffered) // the programs the package runs choose their own
        qunsetenv("QT_QPA_PLATFORM");
    QApplication::setApplicationName(QStringLiteral("Setup"));
    QApplication::setWindowIcon(setup_main::art::applicationIcon());

    TMainForm::StartUp startUp;
    startUp.arguments = QApplication::arguments().mid(1);
    startUp.programDir = QApplication::applicationDirPath();
    startUp.screenless = noScreenForMessageBoxes();
    // No one could use the wizard; an unattended run goes on without a screen.
    if (noDisplay && !runsUnattended(startUp)) {
        std::fputs("setup: cannot open a display; run with /u to install unattended\n", stderr);
        return 1;
    }
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
