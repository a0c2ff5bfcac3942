#pragma once
// Writes installer packages ("setup.dat", "data.pak", "license.rtf") for tests, benchmarks and
// the sample package. Texts are given as ANSI bytes; every field lands at its fixed offset.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace package_writer {

struct Header {
    std::string AppName = "Sample";
    std::string Version = "1.0";
    std::string Company = "Sample Company";
    std::string Website = "http://www.example.com";
    std::uint8_t AnnounceStyle = 2;
    std::uint8_t RecommendRestart = 0;
    std::uint8_t AllowWin95 = 0;
    std::uint8_t AllowWin98 = 0;
    std::uint8_t AllowWinME = 0;
    std::uint8_t AllowNT4 = 0;
    std::uint8_t AllowWin2000 = 0;
    std::uint8_t AllowWinXP = 0;
    std::uint8_t AllowWin2003 = 0;
    std::uint8_t AllowAnyWindows = 1;
    std::uint8_t OfferDesktopShortcuts = 0;
    std::uint8_t OfferStartMenuShortcuts = 0;
    std::uint8_t OfferQuickLaunchShortcuts = 0;
    std::string DefaultDestination = "<ProgramFiles>\\<AppName>";
    std::uint8_t ReservedByte = 0;
    std::uint8_t HasLicense = 0;
    std::uint8_t FilesCompressed = 0;
    std::optional<std::int32_t> LeadingBlockSize; // default: the leading block's length
    std::optional<std::int32_t> UninstallerSize;  // default: the uninstaller's length
    std::uint8_t Unattended = 0;
};

struct File {
    std::string TargetPath;
    std::string ComponentName;
    std::string Content;
    std::optional<std::int32_t> InstalledSize; // default: the content's length
    std::optional<std::int32_t> DataOffset;    // default: where the body was placed (1-based)
    std::optional<std::int32_t> StoredSize;    // default: the stored body's length
};

// Registry roots as packages store them (int32 handles).
inline constexpr std::int32_t Root0 = static_cast<std::int32_t>(0x80000000u); // HKEY_CLASSES_ROOT
inline constexpr std::int32_t Root1 = static_cast<std::int32_t>(0x80000001u); // HKEY_CURRENT_USER
inline constexpr std::int32_t Root2 = static_cast<std::int32_t>(0x80000002u); // HKEY_LOCAL_MACHINE

struct RegistryValue {
    std::int32_t RootKey = Root1;
    std::string KeyPath;
    std::string ValueName;
    std::string ValueData;
    std::uint8_t ValueType = 4;
};

struct Shortcut {
    std::string ShortcutFolder;
    std::string TargetFile;
    std::string ShortcutName;
    std::string Arguments;
    std::uint8_t HasIcon = 0;
    std::string IconFile;
    std::uint16_t IconIndex = 0;
};

struct Package {
    Header header;
    std::vector<std::string> componentNames;
    std::vector<RegistryValue> registryEntries;
    std::vector<Shortcut> shortcutEntries;
    std::vector<std::string> dllPaths;
    std::vector<std::string> runAfterCommands;
    std::vector<std::string> uninstallCommands;
    std::vector<File> files;
    std::string leadingBlock;
    std::string uninstaller = "MZ uninstaller";
    std::optional<std::string> license; // "license.rtf" is written when set
};

struct Bytes {
    std::string setupDat;
    std::string dataPak;
};

// The two package files, bodies packed with our LZH encoder when FilesCompressed is 1.
Bytes Build(const Package& package);
// Writes the package into `folder` (created when missing).
void Write(const std::filesystem::path& folder, const Package& package);
// A body as the package stores it when packed: the LZH bit stream and its 4-byte length.
std::string Pack(const std::string& content);

// The byte layout of one package string (length byte, characters, zero fill to 256 bytes).
std::string PackageString(const std::string& text);

// A minimal Windows executable carrying a version resource with the given fixed file version.
std::string VersionedExecutable(std::uint16_t major, std::uint16_t minor, std::uint16_t release,
                                std::uint16_t build);

// A realistic package for screenshots and trying the installer by hand.
Package Sample();

} // namespace package_writer
