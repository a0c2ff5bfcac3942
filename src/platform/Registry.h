#pragma once
// The registry: keys below the five predefined roots, values typed as Windows types them.
// Key paths are "Software\Microsoft\..." below a root (no leading root name); key and value names
// compare without regard to letter case and keep the case they were created with.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

namespace winplatform {

// Predefined root handles, as packages store them.
namespace RootKey {
inline constexpr std::uint32_t ClassesRoot = 0x80000000u;
inline constexpr std::uint32_t CurrentUser = 0x80000001u;
inline constexpr std::uint32_t LocalMachine = 0x80000002u;
inline constexpr std::uint32_t Users = 0x80000003u;
inline constexpr std::uint32_t CurrentConfig = 0x80000005u;
} // namespace RootKey

// "HKEY_LOCAL_MACHINE" etc.; empty for any other handle (those roots do not exist here).
QString registryRootName(std::uint32_t root);

// Windows value types (the numbers are the ones the export format writes as hex(n)).
enum class ValueKind : std::uint32_t {
    None = 0,
    String = 1,       // text, stored as UTF-16LE with its terminating zero
    ExpandString = 2, // same storage as String
    Binary = 3,
    DWord = 4, // 4 bytes little-endian
    MultiString = 7,
    QWord = 11,
};

struct RegistryValue {
    ValueKind kind = ValueKind::None;
    QByteArray data; // the raw bytes, exactly as Windows stores them

    static RegistryValue fromString(const QString& text, ValueKind kind = ValueKind::String);
    static RegistryValue fromDWord(std::uint32_t v);
    static RegistryValue fromBinary(const QByteArray& bytes);
    // Text of a String/ExpandString value (up to its first zero); nullopt for other kinds.
    std::optional<QString> toText() const;
    // A DWord value; nullopt for other kinds or a wrong size.
    std::optional<std::uint32_t> toDWord() const;
    bool operator==(const RegistryValue&) const = default;
};

class Registry {
public:
    virtual ~Registry() = default;

    // The root itself (key "") always exists for the five roots above.
    virtual bool keyExists(std::uint32_t root, const QString& key) const = 0;
    // Creates the key with every missing parent; true when it exists afterwards. Fails for an
    // unknown root, an empty name inside the path ("a\\b") or a name longer than 255.
    virtual bool createKey(std::uint32_t root, const QString& key) = 0;
    // Removes the key with all its subkeys and values; true when it existed.
    virtual bool deleteKey(std::uint32_t root, const QString& key) = 0;
    // name "" is the key's default value.
    virtual std::optional<RegistryValue> value(std::uint32_t root, const QString& key,
                                               const QString& name) const = 0;
    // Creates the key when it is missing. False (and nothing changed) when the store cannot be
    // written or the root/key is invalid.
    virtual bool setValue(std::uint32_t root, const QString& key, const QString& name,
                          const RegistryValue& v) = 0;
    virtual bool deleteValue(std::uint32_t root, const QString& key, const QString& name) = 0;
    virtual QStringList valueNames(std::uint32_t root, const QString& key) const = 0;
    virtual QStringList subKeyNames(std::uint32_t root, const QString& key) const = 0;
    // Why the last failing call failed (e.g. a damaged store file); empty after success.
    virtual QString lastError() const = 0;
    // Applies several changes at once: kept only when `changes` returns true and they can all be
    // stored; otherwise (also when `changes` throws) the registry stays as it was before.
    virtual bool change(const std::function<bool(Registry&)>& changes) = 0;

    // The forms a classic registry object writes: string -> String; integer -> DWord; boolean ->
    // DWord 0 or 1; date-time -> Binary, the 8 bytes of the double (little-endian); binary data
    // -> Binary.
    bool writeString(std::uint32_t root, const QString& key, const QString& name,
                     const QString& text);
    bool writeInteger(std::uint32_t root, const QString& key, const QString& name, std::int32_t v);
    bool writeBool(std::uint32_t root, const QString& key, const QString& name, bool v);
    bool writeDateTime(std::uint32_t root, const QString& key, const QString& name, double v);
    bool writeBinary(std::uint32_t root, const QString& key, const QString& name,
                     const QByteArray& bytes);

    // Empty when the value is missing or is not text.
    QString readString(std::uint32_t root, const QString& key, const QString& name) const;
    std::optional<std::int32_t> readInteger(std::uint32_t root, const QString& key,
                                            const QString& name) const;
    std::optional<bool> readBool(std::uint32_t root, const QString& key, const QString& name) const;
    std::optional<double> readDateTime(std::uint32_t root, const QString& key,
                                       const QString& name) const;
};

} // namespace winplatform
