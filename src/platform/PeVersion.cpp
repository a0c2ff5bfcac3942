// The fixed file version of a PE image: the resource directory's version entry (type 16), its
// first name and first language, and in it the fixed block after the "VS_VERSION_INFO" key.
#include "FileVersion.h"

#include <QByteArray>
#include <QIODevice>

#include <algorithm>
#include <vector>

namespace winplatform {

namespace {

constexpr quint32 kPeSignature = 0x00004550; // "PE\0\0"
constexpr quint32 kPe32Magic = 0x10B;
constexpr quint32 kPe32PlusMagic = 0x20B;
constexpr quint32 kResourceDirectoryIndex = 2;
constexpr quint32 kVersionResourceType = 16;
constexpr quint32 kSubdirectoryFlag = 0x80000000u;
constexpr quint32 kFixedBlockSignature = 0xFEEF04BDu;
constexpr quint32 kFixedBlockSize = 52;
constexpr int kVersionKeyLength = 15; // "VS_VERSION_INFO"

class Image {
public:
    explicit Image(QIODevice& file) : file_(file), size_(file.size()) {}

    std::optional<QByteArray> bytes(qint64 at, qint64 n) const {
        if (at < 0 || n < 0 || at > size_ - n || !file_.seek(at))
            return std::nullopt;
        QByteArray b = file_.read(n);
        if (b.size() != n)
            return std::nullopt;
        return b;
    }
    std::optional<quint32> u16(qint64 at) const { return number(at, 2); }
    std::optional<quint32> u32(qint64 at) const { return number(at, 4); }

private:
    std::optional<quint32> number(qint64 at, int width) const {
        const auto b = bytes(at, width);
        if (!b)
            return std::nullopt;
        quint32 v = 0;
        for (int i = width - 1; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>((*b)[i]);
        return v;
    }
    QIODevice& file_;
    qint64 size_;
};

struct Section {
    quint32 virtualAddress;
    quint32 virtualSize;
    quint32 rawSize;
    quint32 rawOffset;
};

class PeFile {
public:
    explicit PeFile(const Image& image) : image_(image) {}

    bool readHeaders() {
        if (image_.u16(0) != 0x5A4D) // "MZ"
            return false;
        const auto peAt = image_.u32(0x3C);
        if (!peAt || image_.u32(*peAt) != kPeSignature)
            return false;
        const qint64 coff = qint64(*peAt) + 4;
        const auto sectionCount = image_.u16(coff + 2);
        const auto optionalSize = image_.u16(coff + 16);
        if (!sectionCount || !optionalSize)
            return false;
        const qint64 optional = coff + 20;
        if (!readResourceDirectory(optional, *optionalSize))
            return false;
        return readSections(optional + *optionalSize, *sectionCount);
    }

    // File offset of an address of the loaded image, when `length` bytes there are in the file.
    std::optional<qint64> offsetOf(quint32 rva, quint32 length) const {
        for (const Section& s : sections_) {
            const quint64 extent = std::max(s.virtualSize, s.rawSize);
            if (rva < s.virtualAddress || rva - quint64(s.virtualAddress) >= extent)
                continue;
            const quint64 within = rva - quint64(s.virtualAddress);
            if (within + length > s.rawSize)
                return std::nullopt;
            return qint64(s.rawOffset) + qint64(within);
        }
        return std::nullopt;
    }

    quint32 resourceRva() const { return resourceRva_; }
    quint32 resourceSize() const { return resourceSize_; }

private:
    bool readResourceDirectory(qint64 optional, quint32 optionalSize) {
        const auto magic = image_.u16(optional);
        qint64 countAt = 0;
        if (magic == kPe32Magic)
            countAt = 92;
        else if (magic == kPe32PlusMagic)
            countAt = 108;
        else
            return false;
        const auto count = image_.u32(optional + countAt);
        const qint64 entryAt = countAt + 4 + 8 * kResourceDirectoryIndex;
        if (!count || *count <= kResourceDirectoryIndex || entryAt + 8 > optionalSize)
            return false;
        const auto rva = image_.u32(optional + entryAt);
        const auto size = image_.u32(optional + entryAt + 4);
        if (!rva || !size || *rva == 0 || *size == 0)
            return false;
        resourceRva_ = *rva;
        resourceSize_ = *size;
        return true;
    }

    bool readSections(qint64 table, quint32 count) {
        for (quint32 i = 0; i < count; ++i) {
            const qint64 at = table + 40 * qint64(i);
            const auto vsize = image_.u32(at + 8);
            const auto va = image_.u32(at + 12);
            const auto rawSize = image_.u32(at + 16);
            const auto rawOffset = image_.u32(at + 20);
            if (!vsize || !va || !rawSize || !rawOffset)
                return false;
            sections_.push_back({*va, *vsize, *rawSize, *rawOffset});
        }
        return true;
    }

    const Image& image_;
    std::vector<Section> sections_;
    quint32 resourceRva_ = 0;
    quint32 resourceSize_ = 0;
};

class ResourceTree {
public:
    ResourceTree(const Image& image, const PeFile& pe) : image_(image), pe_(pe) {}

    // The version resource's data: address and size in the loaded image.
    std::optional<std::pair<quint32, quint32>> versionData() const {
        const auto names = entryOf(0, kVersionResourceType, true);
        if (!names)
            return std::nullopt;
        const auto languages = firstEntry(*names, true);
        if (!languages)
            return std::nullopt;
        const auto data = firstEntry(*languages, false);
        if (!data)
            return std::nullopt;
        const auto at = fileOffset(*data, 16);
        if (!at)
            return std::nullopt;
        const auto rva = image_.u32(*at);
        const auto size = image_.u32(*at + 4);
        if (!rva || !size)
            return std::nullopt;
        return std::make_pair(*rva, *size);
    }

private:
    std::optional<qint64> fileOffset(quint32 withinResources, quint32 length) const {
        if (withinResources >= pe_.resourceSize() || length > pe_.resourceSize() - withinResources)
            return std::nullopt;
        return pe_.offsetOf(pe_.resourceRva() + withinResources, length);
    }

    struct Entry {
        quint32 id;
        quint32 target;
    };

    std::optional<std::vector<Entry>> entries(quint32 directory) const {
        const auto at = fileOffset(directory, 16);
        if (!at)
            return std::nullopt;
        const auto named = image_.u16(*at + 12);
        const auto numbered = image_.u16(*at + 14);
        if (!named || !numbered)
            return std::nullopt;
        const quint32 count = *named + *numbered;
        const auto table = fileOffset(directory + 16, 8 * count);
        if (!table)
            return std::nullopt;
        const auto bytes = image_.bytes(*table, 8 * qint64(count));
        if (!bytes)
            return std::nullopt;
        std::vector<Entry> out;
        for (quint32 i = 0; i < count; ++i) {
            auto word = [&](int at) {
                quint32 v = 0;
                for (int k = 3; k >= 0; --k)
                    v = (v << 8) | static_cast<unsigned char>((*bytes)[8 * i + at + k]);
                return v;
            };
            out.push_back({i < *named ? kSubdirectoryFlag | word(0) : word(0), word(4)});
        }
        return out;
    }

    static std::optional<quint32> target(const Entry& e, bool wantDirectory) {
        if (bool(e.target & kSubdirectoryFlag) != wantDirectory)
            return std::nullopt;
        return e.target & ~kSubdirectoryFlag;
    }

    std::optional<quint32> entryOf(quint32 directory, quint32 id, bool wantDirectory) const {
        const auto list = entries(directory);
        if (!list)
            return std::nullopt;
        for (const Entry& e : *list)
            if (e.id == id)
                return target(e, wantDirectory);
        return std::nullopt;
    }

    std::optional<quint32> firstEntry(quint32 directory, bool wantDirectory) const {
        const auto list = entries(directory);
        if (!list || list->empty())
            return std::nullopt;
        return target(list->front(), wantDirectory);
    }

    const Image& image_;
    const PeFile& pe_;
};

QByteArray versionKey() {
    QByteArray key;
    for (char c : QByteArrayLiteral("VS_VERSION_INFO")) {
        key.append(c);
        key.append('\0');
    }
    return key + QByteArray(2, '\0');
}

std::optional<FixedFileVersion> fixedBlock(const Image& image, qint64 at, quint32 size) {
    const auto length = image.u16(at);
    const auto valueLength = image.u16(at + 2);
    if (!length || !valueLength || *length > size || *valueLength < kFixedBlockSize)
        return std::nullopt;
    const qint64 keyEnd = 6 + 2 * (kVersionKeyLength + 1);
    const qint64 fixedAt = (keyEnd + 3) & ~qint64(3);
    if (fixedAt + kFixedBlockSize > *length)
        return std::nullopt;
    if (image.bytes(at + 6, 2 * (kVersionKeyLength + 1)) != versionKey())
        return std::nullopt;
    if (image.u32(at + fixedAt) != kFixedBlockSignature)
        return std::nullopt;
    const auto high = image.u32(at + fixedAt + 8);
    const auto low = image.u32(at + fixedAt + 12);
    if (!high || !low)
        return std::nullopt;
    return FixedFileVersion{
        static_cast<std::uint16_t>(*high >> 16), static_cast<std::uint16_t>(*high & 0xFFFF),
        static_cast<std::uint16_t>(*low >> 16), static_cast<std::uint16_t>(*low & 0xFFFF)};
}

} // namespace

std::optional<FixedFileVersion> readFixedFileVersion(QIODevice& file) {
    if (!file.isReadable() || file.isSequential())
        return std::nullopt;
    const Image image(file);
    PeFile pe(image);
    if (!pe.readHeaders())
        return std::nullopt;
    const auto data = ResourceTree(image, pe).versionData();
    if (!data)
        return std::nullopt;
    const auto at = pe.offsetOf(data->first, data->second);
    if (!at)
        return std::nullopt;
    return fixedBlock(image, *at, data->second);
}

} // namespace winplatform
