#include "TempWindows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <gtest/gtest.h>

namespace platform_testing {

TempWindows::TempWindows()
    : platform_(
          std::make_unique<winplatform::RootPlatform>(dir_.path() + QStringLiteral("/windows"))) {
    EXPECT_TRUE(dir_.isValid());
    EXPECT_EQ(platform_->openError(), QString());
    platform_->setUrlOpener([this](const QString& address) {
        openedUrls_.append(address);
        return true;
    });
    scope_ = std::make_unique<winplatform::ScopedPlatform>(*platform_);
}

TempWindows::~TempWindows() = default;

QString TempWindows::rootFolder() const {
    return platform_->rootFolder();
}

QString TempWindows::host(const QString& windowsPath) const {
    const auto h = platform_->paths().toHost(windowsPath);
    if (!h) {
        ADD_FAILURE() << "not a path of the Windows root: " << windowsPath.toStdString();
        return {};
    }
    return *h;
}

void TempWindows::writeFile(const QString& windowsPath, const QByteArray& bytes) const {
    const QString h = host(windowsPath);
    ASSERT_FALSE(h.isEmpty());
    ASSERT_TRUE(QDir().mkpath(QFileInfo(h).path()));
    QFile f(h);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray TempWindows::readFile(const QString& windowsPath) const {
    QFile f(host(windowsPath));
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << windowsPath.toStdString();
        return {};
    }
    return f.readAll();
}

QString TempWindows::registryText() const {
    QFile f(rootFolder() + u'/' + QLatin1String(winplatform::kRegistryFileName));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.readAll();
    QStringDecoder decode(QStringConverter::Utf16LE);
    return decode(bytes.startsWith("\xFF\xFE") ? bytes.mid(2) : bytes);
}

} // namespace platform_testing
