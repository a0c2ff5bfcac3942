#pragma once
// The package records of "setup.dat", read from their little-endian byte layouts. Texts in the
// package are single-byte ANSI (Windows-1252); they become QString here and go back to ANSI only
// where the installer writes text for other Windows programs (the uninstall log).

#include <QString>

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace setup {

constexpr std::size_t PackageStringSize = 256;
constexpr std::size_t SetupHeaderSize = 1308;
constexpr std::size_t RegistryEntrySize = 776;
constexpr std::size_t ShortcutEntrySize = 1284;
constexpr std::size_t FileEntrySize = 524;

// A package that cannot be read as one: too short, counts or offsets outside its files.
class EPackageDamaged : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

QString AnsiToText(std::string_view bytes);
// Characters that Windows-1252 cannot hold become '?'.
std::string TextToAnsi(const QString& text);

// Bounds-checked little-endian reading of one record; every overrun is EPackageDamaged.
class RecordReader {
public:
    explicit RecordReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint8_t Byte(std::size_t offset) const;
    std::uint16_t Word(std::size_t offset) const;
    std::int32_t Int(std::size_t offset) const;
    // One length byte and up to 255 characters; bytes past the length are not read.
    QString PackageString(std::size_t offset) const;
    std::string PackageBytes(std::size_t offset) const;

private:
    void Need(std::size_t offset, std::size_t width) const;
    std::span<const std::uint8_t> bytes_;
};

struct SetupHeader {
    QString AppName;
    QString Version;
    QString Company;
    QString Website;
    std::uint8_t AnnounceStyle = 0;
    std::uint8_t RecommendRestart = 0;
    std::uint8_t AllowWin95 = 0;
    std::uint8_t AllowWin98 = 0;
    std::uint8_t AllowWinME = 0;
    std::uint8_t AllowNT4 = 0;
    std::uint8_t AllowWin2000 = 0;
    std::uint8_t AllowWinXP = 0;
    std::uint8_t AllowWin2003 = 0;
    std::uint8_t AllowAnyWindows = 0;
    std::uint8_t OfferDesktopShortcuts = 0;
    std::uint8_t OfferStartMenuShortcuts = 0;
    std::uint8_t OfferQuickLaunchShortcuts = 0;
    QString DefaultDestination;
    std::uint8_t ReservedByte = 0;
    std::uint8_t HasLicense = 0;
    std::uint8_t FilesCompressed = 0;
    std::int32_t LeadingBlockSize = 0;
    std::int32_t UninstallerSize = 0;
    std::uint8_t Unattended = 0;

    static SetupHeader Read(std::span<const std::uint8_t> bytes);
};

enum RegistryValueType : std::uint8_t {
    rvBinary = 0,
    rvBoolean = 1,
    rvDateTime = 2,
    rvInteger = 3,
    rvString = 4,
};

struct RegistryEntry {
    std::int32_t RootKey = 0;
    QString KeyPath;
    QString ValueName;
    // Kept as read: a binary value's characters are its raw bytes.
    std::string ValueDataBytes;
    std::uint8_t ValueType = 0;

    QString ValueData() const { return AnsiToText(ValueDataBytes); }
    static RegistryEntry Read(std::span<const std::uint8_t> bytes);
};

struct ShortcutEntry {
    QString ShortcutFolder;
    QString TargetFile;
    QString ShortcutName;
    QString Arguments;
    std::uint8_t HasIcon = 0;
    QString IconFile;
    std::uint16_t IconIndex = 0;

    static ShortcutEntry Read(std::span<const std::uint8_t> bytes);
};

struct FileEntry {
    QString TargetPath;
    QString ComponentName;
    std::int32_t DataOffset = 0;
    std::int32_t StoredSize = 0;
    std::int32_t InstalledSize = 0;

    static FileEntry Read(std::span<const std::uint8_t> bytes);
};

} // namespace setup
