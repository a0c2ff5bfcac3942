#pragma once
// A fresh Windows root in a temporary folder, installed as the current platform for the life of
// the object (and removed afterwards).

#include "RootPlatform.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace platform_testing {

class TempWindows {
public:
    TempWindows();
    ~TempWindows();

    winplatform::RootPlatform& platform() { return *platform_; }
    QString rootFolder() const;
    // Host path of a Windows path (fails the test when it does not map).
    QString host(const QString& windowsPath) const;
    // Writes a file (creating its folders) at a Windows path.
    void writeFile(const QString& windowsPath, const QByteArray& bytes) const;
    QByteArray readFile(const QString& windowsPath) const;
    // The registry file's text.
    QString registryText() const;
    // Web addresses handed to the opener (none is really opened).
    const QStringList& openedUrls() const { return openedUrls_; }

private:
    QTemporaryDir dir_;
    std::unique_ptr<winplatform::RootPlatform> platform_;
    std::unique_ptr<winplatform::ScopedPlatform> scope_;
    QStringList openedUrls_;
};

} // namespace platform_testing
