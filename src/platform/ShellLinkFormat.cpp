// The shell link (.lnk) binary format: a 76-byte header, an optional item list (skipped when
// read, never written), the link info with the target's local path, then counted strings.
#include "Shortcuts.h"

#include <QStringEncoder>

#include <array>

namespace winplatform {

namespace {

constexpr quint32 kHeaderSize = 0x4C;
constexpr std::array<unsigned char, 16> kLinkClassId{
    0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
enum LinkFlag : quint32 {
    HasTargetIdList = 0x01,
    HasLinkInfo = 0x02,
    HasName = 0x04,
    HasRelativePath = 0x08,
    HasWorkingDir = 0x10,
    HasArguments = 0x20,
    HasIconLocation = 0x40,
    IsUnicode = 0x80,
};
constexpr quint32 kVolumeIdAndLocalBasePath = 0x1;
constexpr quint32 kLinkInfoHeaderSize = 0x24; // with the Unicode path offsets
constexpr quint32 kDriveFixed = 3;
constexpr quint32 kAttributeDirectory = 0x10;
constexpr quint32 kAttributeArchive = 0x20;
constexpr quint32 kShowNormal = 1;
constexpr int kMaxCountedString = 0xFFFF;

void put16(QByteArray& out, quint32 v) {
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>((v >> 8) & 0xFF));
}

void put32(QByteArray& out, quint32 v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

QByteArray utf16(const QString& s) {
    QByteArray out;
    for (QChar c : s)
        put16(out, c.unicode());
    return out;
}

// The ANSI form for the link info: Latin-1, "?" for what it cannot hold.
QByteArray ansi(const QString& s) {
    QByteArray out;
    for (QChar c : s)
        out.append(c.unicode() < 0x100 ? static_cast<char>(c.unicode()) : '?');
    return out;
}

QByteArray volumeId() {
    QByteArray v;
    put32(v, 0x11); // size, with the empty label
    put32(v, kDriveFixed);
    put32(v, 0); // serial number
    put32(v, 0x10);
    v.append('\0');
    return v;
}

QByteArray linkInfo(const QString& target) {
    const QByteArray volume = volumeId();
    const QByteArray basePath = ansi(target) + '\0';
    const QByteArray suffix(1, '\0');
    const QByteArray basePathUnicode = utf16(target) + QByteArray(2, '\0');
    const QByteArray suffixUnicode(2, '\0');
    const quint32 volumeAt = kLinkInfoHeaderSize;
    const quint32 baseAt = volumeAt + volume.size();
    const quint32 suffixAt = baseAt + basePath.size();
    const quint32 baseUnicodeAt = suffixAt + suffix.size();
    const quint32 suffixUnicodeAt = baseUnicodeAt + basePathUnicode.size();
    const quint32 total = suffixUnicodeAt + suffixUnicode.size();
    QByteArray info;
    put32(info, total);
    put32(info, kLinkInfoHeaderSize);
    put32(info, kVolumeIdAndLocalBasePath);
    put32(info, volumeAt);
    put32(info, baseAt);
    put32(info, 0); // no network location
    put32(info, suffixAt);
    put32(info, baseUnicodeAt);
    put32(info, suffixUnicodeAt);
    return info + volume + basePath + suffix + basePathUnicode + suffixUnicode;
}

QByteArray countedString(const QString& s) {
    const QString cut = s.left(kMaxCountedString);
    QByteArray out;
    put16(out, static_cast<quint32>(cut.size()));
    return out + utf16(cut);
}

class Reader {
public:
    explicit Reader(const QByteArray& bytes) : b_(bytes) {}

    bool has(qsizetype at, qsizetype n) const { return at >= 0 && n >= 0 && at <= b_.size() - n; }
    std::optional<quint32> u16(qsizetype at) const {
        if (!has(at, 2))
            return std::nullopt;
        return byte(at) | (byte(at + 1) << 8);
    }
    std::optional<quint32> u32(qsizetype at) const {
        const auto lo = u16(at);
        const auto hi = u16(at + 2);
        if (!lo || !hi)
            return std::nullopt;
        return *lo | (*hi << 16);
    }
    // A zero-terminated string that must end before `limit`.
    std::optional<QString> ansiz(qsizetype at, qsizetype limit) const {
        QString out;
        for (qsizetype i = at; i < limit && has(i, 1); ++i) {
            if (byte(i) == 0)
                return out;
            out.append(QChar(static_cast<char16_t>(byte(i))));
        }
        return std::nullopt;
    }
    std::optional<QString> unicodez(qsizetype at, qsizetype limit) const {
        QString out;
        for (qsizetype i = at; i + 1 < limit && has(i, 2); i += 2) {
            const quint32 unit = *u16(i);
            if (unit == 0)
                return out;
            out.append(QChar(static_cast<char16_t>(unit)));
        }
        return std::nullopt;
    }
    std::optional<QString> counted(qsizetype& at, bool unicode) const {
        const auto count = u16(at);
        if (!count)
            return std::nullopt;
        at += 2;
        const qsizetype bytes = static_cast<qsizetype>(*count) * (unicode ? 2 : 1);
        if (!has(at, bytes))
            return std::nullopt;
        QString out;
        for (qsizetype i = 0; i < *count; ++i)
            out.append(QChar(static_cast<char16_t>(unicode ? *u16(at + 2 * i) : byte(at + i))));
        at += bytes;
        return out;
    }

private:
    quint32 byte(qsizetype at) const { return static_cast<unsigned char>(b_[at]); }
    const QByteArray& b_;
};

std::optional<ShellLink> fail(QString* error, const char* why) {
    if (error)
        *error = QString::fromLatin1(why);
    return std::nullopt;
}

std::optional<QString> localBasePath(const Reader& r, qsizetype info, quint32 infoSize) {
    const qsizetype end = info + infoSize;
    const auto headerSize = r.u32(info + 4);
    const auto flags = r.u32(info + 8);
    if (!headerSize || !flags || *headerSize < 0x1C || *headerSize > infoSize)
        return std::nullopt;
    if (!(*flags & kVolumeIdAndLocalBasePath))
        return QString();
    const auto baseAt = r.u32(info + 16);
    const auto suffixAt = r.u32(info + 24);
    if (!baseAt || !suffixAt)
        return std::nullopt;
    if (*headerSize >= kLinkInfoHeaderSize) {
        const auto baseUnicodeAt = r.u32(info + 28);
        const auto suffixUnicodeAt = r.u32(info + 32);
        if (baseUnicodeAt && *baseUnicodeAt != 0) {
            const auto base = r.unicodez(info + *baseUnicodeAt, end);
            const auto suffix = (suffixUnicodeAt && *suffixUnicodeAt != 0)
                                    ? r.unicodez(info + *suffixUnicodeAt, end)
                                    : std::optional<QString>(QString());
            if (!base || !suffix)
                return std::nullopt;
            return *base + *suffix;
        }
    }
    const auto base = r.ansiz(info + *baseAt, end);
    const auto suffix = r.ansiz(info + *suffixAt, end);
    if (!base || !suffix)
        return std::nullopt;
    return *base + *suffix;
}

} // namespace

QByteArray encodeShellLink(const ShellLink& link, quint32 targetSize, bool targetIsFolder) {
    quint32 flags = HasLinkInfo | IsUnicode;
    if (!link.workingFolder.isEmpty())
        flags |= HasWorkingDir;
    if (!link.arguments.isEmpty())
        flags |= HasArguments;
    if (link.hasIcon)
        flags |= HasIconLocation;

    QByteArray out;
    put32(out, kHeaderSize);
    out.append(reinterpret_cast<const char*>(kLinkClassId.data()), kLinkClassId.size());
    put32(out, flags);
    put32(out, targetIsFolder ? kAttributeDirectory : kAttributeArchive);
    out.append(24, '\0'); // creation, access and write times: unknown
    put32(out, targetSize);
    put32(out, static_cast<quint32>(link.hasIcon ? link.iconIndex : 0));
    put32(out, kShowNormal);
    out.append(12, '\0'); // hot key and reserved fields

    out += linkInfo(link.targetPath);
    if (flags & HasWorkingDir)
        out += countedString(link.workingFolder);
    if (flags & HasArguments)
        out += countedString(link.arguments);
    if (flags & HasIconLocation)
        out += countedString(link.iconFile);
    put32(out, 0); // no extra data blocks
    return out;
}

std::optional<ShellLink> decodeShellLink(const QByteArray& bytes, QString* error) {
    const Reader r(bytes);
    if (r.u32(0) != kHeaderSize || !r.has(0, kHeaderSize))
        return fail(error, "not a shell link header");
    if (bytes.mid(4, 16) !=
        QByteArray(reinterpret_cast<const char*>(kLinkClassId.data()), kLinkClassId.size()))
        return fail(error, "wrong link class");
    const quint32 flags = *r.u32(20);
    ShellLink link;
    link.iconIndex = static_cast<qint32>(*r.u32(56));
    qsizetype at = kHeaderSize;
    if (flags & HasTargetIdList) {
        const auto size = r.u16(at);
        if (!size || !r.has(at + 2, *size))
            return fail(error, "item list runs past the end");
        at += 2 + *size;
    }
    if (flags & HasLinkInfo) {
        const auto size = r.u32(at);
        if (!size || *size < 0x1C || !r.has(at, *size))
            return fail(error, "link info runs past the end");
        const auto target = localBasePath(r, at, *size);
        if (!target)
            return fail(error, "damaged link info");
        link.targetPath = *target;
        at += *size;
    }
    const bool unicode = flags & IsUnicode;
    for (const LinkFlag f :
         {HasName, HasRelativePath, HasWorkingDir, HasArguments, HasIconLocation}) {
        if (!(flags & f))
            continue;
        const auto s = r.counted(at, unicode);
        if (!s)
            return fail(error, "string data runs past the end");
        if (f == HasWorkingDir)
            link.workingFolder = *s;
        else if (f == HasArguments)
            link.arguments = *s;
        else if (f == HasIconLocation)
            link.iconFile = *s;
    }
    link.hasIcon = flags & HasIconLocation;
    if (!link.hasIcon)
        link.iconIndex = 0;
    return link;
}

} // namespace winplatform
