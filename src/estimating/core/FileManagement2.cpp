#include "FileManagement2.h"

#include "Win1252.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace estimating {
namespace {

static_assert(std::endian::native == std::endian::little,
              "the database file is little-endian and read by plain copies");

// A save's temporary file, beside the database: the prefix, six random characters, the suffix.
constexpr const char* kTemporaryPrefix = "obravel-save-";
constexpr const char* kTemporarySuffix = ".tmp";

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

std::string ParentFolder(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd_; }
    // Closes now and gives the errno of a failed close, or 0.
    int Close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd_;
};

std::string ReadWholeFile(const std::string& path) {
    // Non-blocking, so that opening a named pipe does not wait for a writer.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    auto fail = [&path](int error) {
        return EFOpenError("Cannot open file " + Quoted(path) + ". " + std::strerror(error));
    };
    if (file.Get() < 0) {
        throw fail(errno);
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0) {
        throw fail(errno);
    }
    if (S_ISDIR(info.st_mode)) {
        throw fail(EISDIR);
    }
    if (!S_ISREG(info.st_mode)) {
        // A device or pipe could feed bytes without end.
        throw EFOpenError("Cannot open file " + Quoted(path) + ". Not a regular file");
    }
    // What fstat reported is what is read, so a file growing meanwhile cannot make it unbounded.
    std::string image(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t filled = 0;
    while (filled < image.size()) {
        const ssize_t got = ::read(file.Get(), image.data() + filled, image.size() - filled);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            throw EFOpenError("Cannot open file " + Quoted(path) + ". " + std::strerror(errno));
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    image.resize(filled);
    return image;
}

std::string ResolvedLink(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return path;
    }
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        return path; // a dangling link: replaced by the new file
    }
    std::string target(resolved);
    std::free(resolved);
    return target;
}

mode_t NewFileMode(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        return info.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

int WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            return errno;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// Why an existing target must not be replaced, or nothing when it may (a missing target is
// left to the file's creation to report).
std::optional<std::string> RefusalOf(const std::string& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        return std::nullopt;
    }
    if (S_ISDIR(info.st_mode)) {
        return std::strerror(EISDIR);
    }
    if (!S_ISREG(info.st_mode)) {
        return std::string("Not a regular file");
    }
    // A file without any write permission is read-only for everyone: a privileged user, whom
    // access() never refuses, must not silently undo what its owner set either.
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return std::strerror(EACCES);
    }
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        return std::strerror(errno);
    }
    return std::nullopt;
}

// In the target's folder, under a short name of its own, so that any file name the folder
// allows can be saved, and one a crash left behind says what it is.
std::string TemporaryTemplate(const std::string& target) {
    const std::string folder = ParentFolder(target);
    return (folder == "/" ? folder : folder + "/") + kTemporaryPrefix + "XXXXXX" + kTemporarySuffix;
}

} // namespace

void TArchive::Open() {
    image_.clear();
    position_ = 0;
    if (!isStoring_) {
        image_ = ReadWholeFile(fileName_);
        lastImageSize_ = image_.size();
        return;
    }
    // The last file read or written is the best guess of the size of this one.
    image_.reserve(lastImageSize_ + lastImageSize_ / 8);
}

void TArchive::OpenImage(std::string image) {
    image_ = std::move(image);
    position_ = 0;
}

void TArchive::Close() {
    std::string image;
    image.swap(image_);
    position_ = 0;
    lastImageSize_ = image.size();
    if (isStoring_) {
        WriteFileAtomically(fileName_, image);
    }
}

void TArchive::Discard() {
    std::string().swap(image_);
    position_ = 0;
}

void TArchive::Need(std::size_t bytes) const {
    if (bytes > Remaining()) {
        throw EReadError();
    }
}

std::int32_t TArchive::ReadInteger() {
    Need(4);
    std::int32_t value = 0;
    std::memcpy(&value, image_.data() + position_, 4);
    position_ += 4;
    return value;
}

double TArchive::ReadDouble() {
    Need(8);
    double value = 0.0;
    std::memcpy(&value, image_.data() + position_, 8);
    position_ += 8;
    return value;
}

std::uint8_t TArchive::ReadByte() {
    Need(1);
    return static_cast<std::uint8_t>(image_[position_++]);
}

std::string TArchive::ReadString() {
    const std::int32_t length = ReadInteger();
    if (length < 0) {
        throw EReadError();
    }
    Need(static_cast<std::size_t>(length));
    const std::string_view bytes(image_.data() + position_, static_cast<std::size_t>(length));
    position_ += static_cast<std::size_t>(length);
    return Win1252ToUtf8(bytes);
}

std::int32_t TArchive::ReadCount(std::size_t minRecordBytes) {
    const std::int32_t count = ReadInteger();
    if (count < 0) {
        throw EReadError();
    }
    if (minRecordBytes > 0 && static_cast<std::size_t>(count) > Remaining() / minRecordBytes) {
        throw EReadError();
    }
    return count;
}

void TArchive::WriteInteger(std::int32_t value) {
    char bytes[4];
    std::memcpy(bytes, &value, 4);
    image_.append(bytes, 4);
}

void TArchive::WriteDouble(double value) {
    char bytes[8];
    std::memcpy(bytes, &value, 8);
    image_.append(bytes, 8);
}

void TArchive::WriteByte(std::uint8_t value) {
    image_.push_back(static_cast<char>(value));
}

void TArchive::WriteString(std::string_view text) {
    const std::size_t lengthAt = image_.size();
    WriteInteger(0);
    AppendWin1252(image_, text);
    const std::size_t length = image_.size() - lengthAt - 4;
    if (length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        image_.resize(lengthAt);
        throw std::length_error("String too long for the database file");
    }
    const auto value = static_cast<std::int32_t>(length);
    std::memcpy(image_.data() + lengthAt, &value, 4);
}

void TArchive::WriteFileAtomically(const std::string& path, std::string_view image) {
    auto fail = [&path](int error) {
        return EFCreateError("Cannot create file " + Quoted(path) + ". " + std::strerror(error));
    };
    if (path.empty()) {
        throw fail(ENOENT);
    }
    // Through a symbolic link, the file it names is the one replaced.
    const std::string target = ResolvedLink(path);
    if (const auto reason = RefusalOf(target)) {
        throw EFCreateError("Cannot create file " + Quoted(path) + ". " + *reason);
    }
    std::string temporary = TemporaryTemplate(target);
    FileDescriptor file(
        ::mkstemps(temporary.data(), static_cast<int>(std::strlen(kTemporarySuffix))));
    if (file.Get() < 0) {
        throw fail(errno);
    }
    int error = ::fchmod(file.Get(), NewFileMode(target)) == 0 ? 0 : errno;
    if (error == 0) {
        error = WriteAll(file.Get(), image);
    }
    if (error == 0 && ::fsync(file.Get()) != 0) {
        error = errno;
    }
    const int closeError = file.Close();
    if (error == 0) {
        error = closeError;
    }
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        throw fail(error);
    }
    FileDescriptor folder(::open(ParentFolder(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0) {
        ::fsync(folder.Get());
    }
}

} // namespace estimating
