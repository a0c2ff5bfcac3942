#include "sharedtypes.h"

#include <array>

namespace setup {

namespace {

// Windows-1252 0x80..0x9F; the five holes map to the C1 control of the same value, as Windows does.
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t AnsiToUnit(std::uint8_t b) {
    if (b >= 0x80 && b < 0xA0)
        return HighControls[b - 0x80];
    return b;
}

char UnitToAnsi(char16_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<char>(u);
    for (std::size_t i = 0; i < HighControls.size(); ++i)
        if (HighControls[i] == u)
            return static_cast<char>(0x80 + i);
    return '?';
}

} // namespace

QString AnsiToText(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char c : bytes)
        text.append(QChar(AnsiToUnit(static_cast<std::uint8_t>(c))));
    return text;
}

std::string TextToAnsi(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text.at(i + 1).unicode()))
            ++i;
        out.push_back(QChar::isSurrogate(u) ? '?' : UnitToAnsi(u));
    }
    return out;
}

void RecordReader::Need(std::size_t offset, std::size_t width) const {
    if (offset > bytes_.size() || width > bytes_.size() - offset)
        throw EPackageDamaged("record field outside its record");
}

std::uint8_t RecordReader::Byte(std::size_t offset) const {
    Need(offset, 1);
    return bytes_[offset];
}

std::uint16_t RecordReader::Word(std::size_t offset) const {
    Need(offset, 2);
    return static_cast<std::uint16_t>(bytes_[offset] | (bytes_[offset + 1] << 8));
}

std::int32_t RecordReader::Int(std::size_t offset) const {
    Need(offset, 4);
    const std::uint32_t v =
        std::uint32_t(bytes_[offset]) | (std::uint32_t(bytes_[offset + 1]) << 8) |
        (std::uint32_t(bytes_[offset + 2]) << 16) | (std::uint32_t(bytes_[offset + 3]) << 24);
    return static_cast<std::int32_t>(v);
}

std::string RecordReader::PackageBytes(std::size_t offset) const {
    Need(offset, PackageStringSize);
    const std::size_t length = bytes_[offset];
    return std::string(reinterpret_cast<const char*>(bytes_.data() + offset + 1), length);
}

QString RecordReader::PackageString(std::size_t offset) const {
    return AnsiToText(PackageBytes(offset));
}

SetupHeader SetupHeader::Read(std::span<const std::uint8_t> bytes) {
    const RecordReader r(bytes);
    SetupHeader h;
    h.AppName = r.PackageString(0);
    h.Version = r.PackageString(256);
    h.Company = r.PackageString(512);
    h.Website = r.PackageString(768);
    h.AnnounceStyle = r.Byte(1024);
    h.RecommendRestart = r.Byte(1025);
    h.AllowWin95 = r.Byte(1026);
    h.AllowWin98 = r.Byte(1027);
    h.AllowWinME = r.Byte(1028);
    h.AllowNT4 = r.Byte(1029);
    h.AllowWin2000 = r.Byte(1030);
    h.AllowWinXP = r.Byte(1031);
    h.AllowWin2003 = r.Byte(1032);
    h.AllowAnyWindows = r.Byte(1033);
    h.OfferDesktopShortcuts = r.Byte(1034);
    h.OfferStartMenuShortcuts = r.Byte(1035);
    h.OfferQuickLaunchShortcuts = r.Byte(1036);
    h.DefaultDestination = r.PackageString(1037);
    h.ReservedByte = r.Byte(1293);
    h.HasLicense = r.Byte(1294);
    h.FilesCompressed = r.Byte(1295);
    h.LeadingBlockSize = r.Int(1296);
    h.UninstallerSize = r.Int(1300);
    h.Unattended = r.Byte(1304);
    return h;
}

RegistryEntry RegistryEntry::Read(std::span<const std::uint8_t> bytes) {
    const RecordReader r(bytes);
    RegistryEntry e;
    e.RootKey = r.Int(0);
    e.KeyPath = r.PackageString(4);
    e.ValueName = r.PackageString(260);
    e.ValueDataBytes = r.PackageBytes(516);
    e.ValueType = r.Byte(772);
    return e;
}

ShortcutEntry ShortcutEntry::Read(std::span<const std::uint8_t> bytes) {
    const RecordReader r(bytes);
    ShortcutEntry e;
    e.ShortcutFolder = r.PackageString(0);
    e.TargetFile = r.PackageString(256);
    e.ShortcutName = r.PackageString(512);
    e.Arguments = r.PackageString(768);
    e.HasIcon = r.Byte(1024);
    e.IconFile = r.PackageString(1025);
    e.IconIndex = r.Word(1282);
    return e;
}

FileEntry FileEntry::Read(std::span<const std::uint8_t> bytes) {
    const RecordReader r(bytes);
    FileEntry e;
    e.TargetPath = r.PackageString(0);
    e.ComponentName = r.PackageString(256);
    e.DataOffset = r.Int(512);
    e.StoredSize = r.Int(516);
    e.InstalledSize = r.Int(520);
    return e;
}

} // namespace setup
