#pragma once
// The registry's keys and values in memory, with full key paths that start with the root name
// ("HKEY_LOCAL_MACHINE\Software\..."). Callers pass paths already checked by normalizedKeyPath.

#include "Registry.h"

#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

namespace winplatform {

// "HKEY_LOCAL_MACHINE" + "\" + key, with leading and trailing "\" dropped; nullopt for an unknown
// root, an empty name inside the path, a name over 255 characters or one with control characters.
std::optional<QString> normalizedKeyPath(std::uint32_t root, const QString& key);
// The same for a path that begins with its root's name, as the export format writes it.
std::optional<QString> normalizedFullPath(const QString& fullPath);

class RegistryData {
public:
    class Key {
    public:
        QString path; // as first spelled

        const RegistryValue* value(const QString& name) const;
        void setValue(const QString& name, const RegistryValue& v);
        bool removeValue(const QString& name);
        // In the order they were first set.
        const std::vector<std::pair<QString, RegistryValue>>& values() const { return values_; }

    private:
        std::vector<std::pair<QString, RegistryValue>> values_;
        std::unordered_map<QString, std::size_t> index_; // lower-case name -> position
    };

    bool hasKey(const QString& fullPath) const;
    Key& createKey(const QString& fullPath); // with its parents
    bool deleteKey(const QString& fullPath); // with its subkeys
    const Key* key(const QString& fullPath) const;
    Key* key(const QString& fullPath);
    QStringList subKeyNames(const QString& fullPath) const;
    // Parents come before their children, a key's subtree follows it.
    const std::map<QString, Key>& keys() const { return keys_; }

private:
    static QString fold(const QString& fullPath);
    std::map<QString, Key> keys_;
};

} // namespace winplatform
