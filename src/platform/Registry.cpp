#include "Registry.h"

#include <bit>

namespace winplatform {

namespace {

QByteArray littleEndian(std::uint64_t v, int bytes) {
    QByteArray out(bytes, '\0');
    for (int i = 0; i < bytes; ++i)
        out[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return out;
}

std::uint64_t fromLittleEndian(const QByteArray& data) {
    std::uint64_t v = 0;
    for (int i = data.size() - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(data[i]);
    return v;
}

} // namespace

RegistryValue RegistryValue::fromString(const QString& text, ValueKind kind) {
    QByteArray data;
    data.reserve((text.size() + 1) * 2);
    for (QChar c : text)
        data.append(littleEndian(c.unicode(), 2));
    data.append(2, '\0');
    return {kind, data};
}

RegistryValue RegistryValue::fromDWord(std::uint32_t v) {
    return {ValueKind::DWord, littleEndian(v, 4)};
}

RegistryValue RegistryValue::fromBinary(const QByteArray& bytes) {
    return {ValueKind::Binary, bytes};
}

std::optional<QString> RegistryValue::toText() const {
    if (kind != ValueKind::String && kind != ValueKind::ExpandString)
        return std::nullopt;
    QString text;
    for (qsizetype i = 0; i + 1 < data.size(); i += 2) {
        const auto unit = static_cast<char16_t>(fromLittleEndian(data.mid(i, 2)));
        if (unit == 0)
            break;
        text.append(QChar(unit));
    }
    return text;
}

std::optional<std::uint32_t> RegistryValue::toDWord() const {
    if (kind != ValueKind::DWord || data.size() != 4)
        return std::nullopt;
    return static_cast<std::uint32_t>(fromLittleEndian(data));
}

bool Registry::writeString(std::uint32_t root, const QString& key, const QString& name,
                           const QString& text) {
    return setValue(root, key, name, RegistryValue::fromString(text));
}

bool Registry::writeInteger(std::uint32_t root, const QString& key, const QString& name,
                            std::int32_t v) {
    return setValue(root, key, name, RegistryValue::fromDWord(static_cast<std::uint32_t>(v)));
}

bool Registry::writeBool(std::uint32_t root, const QString& key, const QString& name, bool v) {
    return writeInteger(root, key, name, v ? 1 : 0);
}

bool Registry::writeDateTime(std::uint32_t root, const QString& key, const QString& name,
                             double v) {
    return setValue(root, key, name,
                    RegistryValue::fromBinary(littleEndian(std::bit_cast<std::uint64_t>(v), 8)));
}

bool Registry::writeBinary(std::uint32_t root, const QString& key, const QString& name,
                           const QByteArray& bytes) {
    return setValue(root, key, name, RegistryValue::fromBinary(bytes));
}

QString Registry::readString(std::uint32_t root, const QString& key, const QString& name) const {
    const auto v = value(root, key, name);
    return v ? v->toText().value_or(QString()) : QString();
}

std::optional<std::int32_t> Registry::readInteger(std::uint32_t root, const QString& key,
                                                  const QString& name) const {
    const auto v = value(root, key, name);
    if (!v)
        return std::nullopt;
    const auto d = v->toDWord();
    if (!d)
        return std::nullopt;
    return static_cast<std::int32_t>(*d);
}

std::optional<bool> Registry::readBool(std::uint32_t root, const QString& key,
                                       const QString& name) const {
    const auto i = readInteger(root, key, name);
    if (!i)
        return std::nullopt;
    return *i != 0;
}

std::optional<double> Registry::readDateTime(std::uint32_t root, const QString& key,
                                             const QString& name) const {
    const auto v = value(root, key, name);
    if (!v || v->kind != ValueKind::Binary || v->data.size() != 8)
        return std::nullopt;
    return std::bit_cast<double>(fromLittleEndian(v->data));
}

} // namespace winplatform
