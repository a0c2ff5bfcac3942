#include "PeBuilder.h"

namespace platform_testing {

namespace {

constexpr quint32 kPeAt = 0x40;
constexpr quint32 kOptionalHeaderSize = 0xE0;
constexpr quint32 kFileAlignment = 0x200;
constexpr quint32 kSectionAlignment = 0x1000;
constexpr quint32 kResourceRva = 0x1000;

class Bytes {
public:
    void u8(quint32 v) { b_.append(static_cast<char>(v & 0xFF)); }
    void u16(quint32 v) {
        u8(v);
        u8(v >> 8);
    }
    void u32(quint32 v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void raw(const QByteArray& b) { b_.append(b); }
    void padTo(qsizetype size) {
        if (b_.size() < size)
            b_.append(size - b_.size(), '\0');
    }
    qsizetype size() const { return b_.size(); }
    const QByteArray& bytes() const { return b_; }

private:
    QByteArray b_;
};

QByteArray versionInfo(const winplatform::FixedFileVersion* v) {
    Bytes b;
    const quint32 fixedSize = v ? 52 : 0;
    b.u16(40 + fixedSize); // whole length
    b.u16(fixedSize);
    b.u16(0); // binary
    for (char c : QByteArrayLiteral("VS_VERSION_INFO"))
        b.u16(static_cast<unsigned char>(c));
    b.u16(0);
    b.padTo(40);
    if (v) {
        b.u32(0xFEEF04BD);
        b.u32(0x00010000);
        b.u32((quint32(v->major) << 16) | v->minor);
        b.u32((quint32(v->release) << 16) | v->build);
        b.u32((quint32(v->major) << 16) | v->minor); // product version: the same
        b.u32((quint32(v->release) << 16) | v->build);
        b.u32(0x3F);
        b.u32(0);
        b.u32(0x40004); // NT, 32-bit
        b.u32(1);       // application
        b.u32(0);
        b.u32(0);
        b.u32(0);
    }
    return b.bytes();
}

// Type 16 -> name 1 -> language 0x409 -> data.
QByteArray resourceSection(const QByteArray& data) {
    Bytes b;
    auto directory = [&](quint32 id, quint32 target) {
        b.u32(0);
        b.u32(0);
        b.u16(4);
        b.u16(0);
        b.u16(0); // named entries
        b.u16(1); // numbered entries
        b.u32(id);
        b.u32(target);
    };
    directory(16, 0x80000000u | 0x18);
    directory(1, 0x80000000u | 0x30);
    directory(0x409, 0x48);
    b.u32(kResourceRva + 0x58);
    b.u32(static_cast<quint32>(data.size()));
    b.u32(0);
    b.u32(0);
    b.padTo(0x58);
    b.raw(data);
    return b.bytes();
}

QByteArray image(const QByteArray* resources) {
    const quint32 rawSize =
        resources ? (quint32(resources->size()) + kFileAlignment - 1) & ~(kFileAlignment - 1) : 0;
    Bytes b;
    b.u16(0x5A4D); // "MZ"
    b.padTo(0x3C);
    b.u32(kPeAt);
    b.padTo(kPeAt);
    b.u32(0x00004550); // "PE\0\0"
    b.u16(0x14C);      // i386
    b.u16(resources ? 1 : 0);
    b.u32(0);
    b.u32(0);
    b.u32(0);
    b.u16(kOptionalHeaderSize);
    b.u16(0x0102); // executable, 32-bit
    const qsizetype optional = b.size();
    b.u16(0x10B);
    b.padTo(optional + 28);
    b.u32(0x400000); // image base
    b.u32(kSectionAlignment);
    b.u32(kFileAlignment);
    b.padTo(optional + 48);
    b.u16(4); // subsystem version 4.0
    b.u16(0);
    b.padTo(optional + 56);
    b.u32(kSectionAlignment + (resources ? kSectionAlignment : 0)); // size of image
    b.u32(kFileAlignment);                                          // size of headers
    b.padTo(optional + 68);
    b.u16(2); // graphical
    b.padTo(optional + 92);
    b.u32(16); // data directories
    b.padTo(optional + 96 + 16);
    if (resources) {
        b.u32(kResourceRva);
        b.u32(static_cast<quint32>(resources->size()));
    }
    b.padTo(optional + kOptionalHeaderSize);
    if (resources) {
        b.raw(QByteArray(".rsrc\0\0\0", 8));
        b.u32(static_cast<quint32>(resources->size()));
        b.u32(kResourceRva);
        b.u32(rawSize);
        b.u32(kFileAlignment);
        b.u32(0);
        b.u32(0);
        b.u16(0);
        b.u16(0);
        b.u32(0x40000040); // initialised data, readable
    }
    b.padTo(kFileAlignment);
    if (resources) {
        b.raw(*resources);
        b.padTo(kFileAlignment + rawSize);
    }
    return b.bytes();
}

} // namespace

QByteArray peWithVersion(const winplatform::FixedFileVersion& v) {
    const QByteArray resources = resourceSection(versionInfo(&v));
    return image(&resources);
}

QByteArray peWithVersionButNoFixedBlock() {
    const QByteArray resources = resourceSection(versionInfo(nullptr));
    return image(&resources);
}

QByteArray peWithoutResources() {
    return image(nullptr);
}

} // namespace platform_testing
