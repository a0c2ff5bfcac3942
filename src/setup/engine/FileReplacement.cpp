#include "FileReplacement.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace setup {

namespace {

constexpr int MaxAttempts = 100;

QByteArray TemporaryPath(const QByteArray& folder) {
    static constexpr char Characters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray path = folder + "/tvsetup-";
    for (int i = 0; i < 6; ++i)
        path += Characters[QRandomGenerator::global()->bounded(int(sizeof(Characters) - 1))];
    return path + ".tmp";
}

// Best effort: the rename is on disk once its folder is.
void SyncFolderOf(const QByteArray& path) {
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(path)).path());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

FileReplacement::FileReplacement(const QString& hostTarget)
    : target_(QFile::encodeName(hostTarget)) {
    const QByteArray folder = QFile::encodeName(QFileInfo(hostTarget).path());
    for (int attempt = 0; attempt < MaxAttempts && fd_ < 0; ++attempt) {
        temporary_ = TemporaryPath(folder);
        // Asked for as 0666, the file gets the mode the umask gives any new file.
        fd_ = ::open(temporary_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST)
            break;
    }
    if (fd_ < 0)
        temporary_.clear(); // someone else's file, or none
}

FileReplacement::~FileReplacement() {
    if (!committed_)
        discard();
    else if (fd_ >= 0)
        ::close(fd_);
}

void FileReplacement::discard() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.isEmpty())
        ::unlink(temporary_.constData());
    temporary_.clear();
}

bool FileReplacement::write(QByteArrayView bytes) {
    if (fd_ < 0)
        return false;
    const off_t start = ::lseek(fd_, 0, SEEK_CUR);
    while (!bytes.isEmpty()) {
        const ssize_t written = ::write(fd_, bytes.data(), static_cast<size_t>(bytes.size()));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            // No part of the bytes stays: a line cut short could name another file.
            if (start >= 0 && ::ftruncate(fd_, start) == 0)
                ::lseek(fd_, start, SEEK_SET);
            return false;
        }
        bytes = bytes.sliced(written);
    }
    return true;
}

bool FileReplacement::commit() {
    if (fd_ < 0 || committed_)
        return fd_ >= 0;
    if (::fsync(fd_) != 0 || ::rename(temporary_.constData(), target_.constData()) != 0) {
        discard();
        return false;
    }
    committed_ = true;
    SyncFolderOf(target_);
    return true;
}

bool FileReplacement::replace(const QString& hostTarget, QByteArrayView bytes) {
    FileReplacement file(hostTarget);
    return file.write(bytes) && file.commit();
}

} // namespace setup
