#pragma once
// The fixed file version of an executable's version resource.

#include <QString>
#include <cstdint>
#include <optional>

class QIODevice;

namespace winplatform {

struct FixedFileVersion {
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint16_t release = 0;
    std::uint16_t build = 0;
    bool operator==(const FixedFileVersion&) const = default;
};

class FileVersionReader {
public:
    virtual ~FileVersionReader() = default;
    // nullopt when the file is missing, is not a PE file, or has no version resource or no
    // fixed block in it.
    virtual std::optional<FixedFileVersion> fixedFileVersion(const QString& windowsPath) const = 0;
};

// The parser itself, over an open readable device (bounded reads, never trusts an offset).
std::optional<FixedFileVersion> readFixedFileVersion(QIODevice& file);

} // namespace winplatform
