#pragma once
// Drive letters as folders "drive_c", "drive_d" ... of the Windows root.

#include "WindowsPaths.h"

#include <map>
#include <mutex>

namespace winplatform {

class RootPaths : public WindowsPaths {
public:
    explicit RootPaths(const QString& rootFolder);

    std::optional<QString> toHost(const QString& windowsPath) const override;
    std::optional<QString> toWindows(const QString& hostPath) const override;
    qint64 diskFree(QChar driveLetter) const override;

    void setFreeSpace(QChar driveLetter, std::optional<qint64> bytes);
    QString driveFolder(QChar driveLetter) const; // host folder of a drive (may not exist)
    const QString& rootFolder() const { return root_; }

private:
    bool insideRoot(const QString& existingHostPath) const;
    std::optional<QString> relativeToRoot(const QString& cleanHostPath) const;

    QString root_;
    QString canonicalRoot_;
    mutable std::mutex mutex_;
    std::map<char16_t, qint64> fakeFree_;
};

} // namespace winplatform
