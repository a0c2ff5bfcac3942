#pragma once
// The reader and writer of the database file: primitive values over an in-memory image of the
// whole file. Every length and count read is checked against the bytes that remain.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace estimating {

// A read past the end of the image, or a length or count the image cannot hold. Its message is
// "Stream read error".
class EReadError : public std::runtime_error {
public:
    EReadError() : std::runtime_error("Stream read error") {}
};

// The database file could not be opened: "Cannot open file "<path>". <reason>".
class EFOpenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The database file could not be written: "Cannot create file "<path>". <reason>". The file on
// disk is then as it was before.
class EFCreateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TArchive {
public:
    TArchive() = default;
    virtual ~TArchive() = default;
    TArchive(const TArchive&) = delete;
    TArchive& operator=(const TArchive&) = delete;

    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string path) { fileName_ = std::move(path); }
    bool IsStoring() const { return isStoring_; }
    void SetStoring(bool storing) { isStoring_ = storing; }

    // Starts an empty image; when reading, fills it with the whole file (EFOpenError when it
    // cannot be read).
    void Open();
    // Reading from an image given directly (tests, fuzzing); no file involved.
    void OpenImage(std::string image);
    // When storing, writes the image to FileName through a temporary file in the same folder
    // that replaces the old file only once it is complete (EFCreateError on any failure, the old
    // file untouched). A target that is not a regular file, or that the user may not write, is
    // refused the same way. Then frees the image. Reading: frees the image.
    void Close();
    // Frees the image without writing anything.
    void Discard();
    // The image built so far (storing) or read (reading).
    const std::string& Image() const { return image_; }

    std::int32_t ReadInteger();
    std::string ReadString(); // Windows-1252 in the file, UTF-8 here
    double ReadDouble();
    std::uint8_t ReadByte();
    void WriteInteger(std::int32_t value);
    void WriteString(std::string_view text);
    void WriteDouble(double value);
    void WriteByte(std::uint8_t value);

    // Bytes left to read.
    std::size_t Remaining() const { return image_.size() - position_; }
    // Reads a count of records each at least `minRecordBytes` long; a negative count, or one the
    // remaining bytes cannot hold, is an EReadError.
    std::int32_t ReadCount(std::size_t minRecordBytes);

    // Writes `image` to `path` the same safe way Close does.
    static void WriteFileAtomically(const std::string& path, std::string_view image);

private:
    void Need(std::size_t bytes) const;
    std::string fileName_;
    std::string image_;
    std::size_t position_ = 0;
    std::size_t lastImageSize_ = 0;
    bool isStoring_ = false;
};

} // namespace estimating
