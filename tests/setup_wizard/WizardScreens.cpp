// Walks the real wizard through its pages beside a package and saves a picture of each one.
// Usage: setup_wizard_screens <package folder> <output folder>
// The Windows root is the one $OBRAVEL_WINROOT names (use a fresh one: an existing destination
// would be asked about).

#include "ModalSeam.h"
#include "RootPlatform.h"
#include "setup_installer.h"
#include "setup_main.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace {

// Answers every question with its first button, and says what it was asked.
class AnsweringSeam : public modal::QuietSeam {
public:
    modal::Answer message(const modal::Message& m) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(m.text));
        switch (m.buttons) {
        case modal::Buttons::Ok:
        case modal::Buttons::OkCancel:
            return modal::Answer::Ok;
        default:
            return modal::Answer::Yes;
        }
    }
};

void settle(int ms = 150) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

bool waitFor(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 60000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

class Camera {
public:
    explicit Camera(QString folder) : folder_(std::move(folder)) {}
    void shoot(QWidget& window, const QString& name) {
        settle();
        const QString file = QDir(folder_).filePath(name + ".png");
        if (!window.grab().save(file))
            std::fprintf(stderr, "could not save %s\n", qPrintable(file));
        else
            std::printf("%s\n", qPrintable(file));
    }

private:
    QString folder_;
};

void walkThroughAnInstall(const QString& packageDir, Camera& camera) {
    TMainForm form(TMainForm::StartUp{{}, packageDir});
    if (form.Ended())
        return;
    form.show();
    camera.shoot(form, "01-welcome");
    form.Button2->click();
    if (form.CurrentPage() == TMainForm::Agree) {
        camera.shoot(form, "02-licence");
        form.CheckBox1->click();
        camera.shoot(form, "02-licence-accepted");
        form.Button2->click();
    }
    camera.shoot(form, "03-destination");
    form.Button2->click();
    camera.shoot(form, "04-components");
    form.Label2Click();
    camera.shoot(form, "05-about");
    form.Button1Click();
    form.Button2->click();
    // Held at its next stopping point, so that the page shows an installation under way.
    form.installer().SuspendWorker();
    camera.shoot(form, "06-installing");
    form.installer().ResumeWorker();
    waitFor([&] { return form.CurrentPage() != TMainForm::Install; });
    camera.shoot(form, form.CurrentPage() == TMainForm::Done ? "07-done" : "07-error");
    form.BEnd->click();
}

void walkToADiskSpaceFailure(const QString& packageDir, Camera& camera) {
    auto* root = dynamic_cast<winplatform::RootPlatform*>(&winplatform::current());
    if (!root)
        return;
    root->setFreeSpace('C', 10);
    TMainForm form(TMainForm::StartUp{{}, packageDir});
    if (form.Ended())
        return;
    form.show();
    form.installer().Header.HasLicense = 0;
    form.Button2->click();
    form.EDest->setText(QStringLiteral("C:\\Program Files\\Another"));
    form.Button2->click();
    form.Button2->click();
    waitFor([&] { return form.CurrentPage() != TMainForm::Install; });
    camera.shoot(form, "08-error");
    form.BEnd->click();
    root->setFreeSpace('C', std::nullopt);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Setup"));
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <package folder> <output folder>\n", argv[0]);
        return 2;
    }
    AnsweringSeam seam;
    modal::ScopedSeam scoped(seam);
    const QString packageDir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(QString::fromLocal8Bit(argv[2]));
    Camera camera(QString::fromLocal8Bit(argv[2]));
    walkThroughAnInstall(packageDir, camera);
    walkToADiskSpaceFailure(packageDir, camera);
    return 0;
}
