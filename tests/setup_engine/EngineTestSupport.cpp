#include "EngineTestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <gtest/gtest.h>

namespace engine_testing {

WindowsRoot::WindowsRoot() {
    platform_ =
        std::make_unique<winplatform::RootPlatform>(dir_.filePath(QStringLiteral("windows")));
    EXPECT_TRUE(platform_->openError().isEmpty()) << platform_->openError().toStdString();
    scope_ = std::make_unique<winplatform::ScopedPlatform>(*platform_);
}

WindowsRoot::~WindowsRoot() {
    scope_.reset();
    platform_.reset();
}

QString WindowsRoot::Host(const QString& windowsPath) const {
    return platform_->paths().toHost(windowsPath).value_or(QString());
}

bool WindowsRoot::Exists(const QString& windowsPath) const {
    const QString host = Host(windowsPath);
    return !host.isEmpty() && QFileInfo::exists(host);
}

QByteArray WindowsRoot::Read(const QString& windowsPath) const {
    QFile f(Host(windowsPath));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void WindowsRoot::Write(const QString& windowsPath, const QByteArray& bytes) const {
    const QString host = Host(windowsPath);
    QDir().mkpath(QFileInfo(host).path());
    QFile f(host);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << host.toStdString();
    f.write(bytes);
}

QString WindowsRoot::RegistryFile() const {
    return QDir(platform_->rootFolder())
        .filePath(QString::fromLatin1(winplatform::kRegistryFileName));
}

QString WindowsRoot::RegistryText() const {
    QFile f(RegistryFile());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.readAll();
    if (bytes.startsWith("\xFF\xFE"))
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                                  (bytes.size() - 2) / 2);
    return QString::fromUtf8(bytes);
}

PackageFolder::PackageFolder() = default;

PackageFolder::PackageFolder(const package_writer::Package& package) {
    package_writer::Write(dir_.path().toStdString(), package);
}

void PackageFolder::WriteRaw(const char* name, const std::string& bytes) const {
    QFile f(File(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

void ProcessPendingEvents() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool RunToEnd(setup::TInstaller& installer, FakeWizard& wizard) {
    installer.StartInstallThread();
    QDeadlineTimer deadline(120000);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (wizard.endSignals > 0 || !installer.IsWorkerRunning())
            break;
        QThread::msleep(1);
    }
    installer.EndWorkerAndWait();
    ProcessPendingEvents();
    return !deadline.hasExpired();
}

package_writer::Package BasicPackage() {
    package_writer::Package p;
    p.header.AppName = "App";
    p.header.Version = "1.0";
    p.header.Company = "Firm";
    p.header.AnnounceStyle = 2;
    p.header.AllowAnyWindows = 1;
    return p;
}

} // namespace engine_testing
