#include "RegistryData.h"

#include <algorithm>
#include <array>

namespace winplatform {

namespace {

constexpr int kMaxKeyNameLength = 255;
constexpr qsizetype kMaxKeyDepth = 512;
constexpr QChar kFoldedSeparator = QChar(1); // sorts before every character of a name

struct RootName {
    std::uint32_t handle;
    const char* name;
};
constexpr std::array<RootName, 5> kRoots{{
    {RootKey::ClassesRoot, "HKEY_CLASSES_ROOT"},
    {RootKey::CurrentUser, "HKEY_CURRENT_USER"},
    {RootKey::LocalMachine, "HKEY_LOCAL_MACHINE"},
    {RootKey::Users, "HKEY_USERS"},
    {RootKey::CurrentConfig, "HKEY_CURRENT_CONFIG"},
}};

bool isRootName(const QString& fullPath) {
    return !fullPath.contains(u'\\');
}

bool validKeyName(const QString& name) {
    return !name.isEmpty() && name.size() <= kMaxKeyNameLength &&
           std::none_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x20; });
}

std::optional<QString> joinChecked(const QString& rootName, const QString& key) {
    QString k = key;
    while (k.startsWith(u'\\'))
        k.remove(0, 1);
    while (k.endsWith(u'\\'))
        k.chop(1);
    if (k.isEmpty())
        return rootName;
    const QStringList names = k.split(u'\\');
    if (names.size() > kMaxKeyDepth || !std::all_of(names.begin(), names.end(), validKeyName))
        return std::nullopt;
    return rootName + u'\\' + k;
}

} // namespace

QString registryRootName(std::uint32_t root) {
    for (const auto& r : kRoots)
        if (r.handle == root)
            return QString::fromLatin1(r.name);
    return {};
}

std::optional<QString> normalizedKeyPath(std::uint32_t root, const QString& key) {
    const QString rootName = registryRootName(root);
    if (rootName.isEmpty())
        return std::nullopt;
    return joinChecked(rootName, key);
}

std::optional<QString> normalizedFullPath(const QString& fullPath) {
    const QString first = fullPath.section(u'\\', 0, 0);
    for (const auto& r : kRoots)
        if (first.compare(QLatin1String(r.name), Qt::CaseInsensitive) == 0)
            return joinChecked(QString::fromLatin1(r.name), fullPath.section(u'\\', 1));
    return std::nullopt;
}

const RegistryValue* RegistryData::Key::value(const QString& name) const {
    const auto it = index_.find(name.toLower());
    return it == index_.end() ? nullptr : &values_[it->second].second;
}

void RegistryData::Key::setValue(const QString& name, const RegistryValue& v) {
    const auto [it, inserted] = index_.try_emplace(name.toLower(), values_.size());
    if (inserted)
        values_.emplace_back(name, v);
    else
        values_[it->second].second = v;
}

bool RegistryData::Key::removeValue(const QString& name) {
    const auto it = index_.find(name.toLower());
    if (it == index_.end())
        return false;
    values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(it->second));
    index_.clear();
    for (std::size_t i = 0; i < values_.size(); ++i)
        index_.emplace(values_[i].first.toLower(), i);
    return true;
}

QString RegistryData::fold(const QString& fullPath) {
    QString f = fullPath.toLower();
    f.replace(u'\\', kFoldedSeparator);
    return f;
}

bool RegistryData::hasKey(const QString& fullPath) const {
    return isRootName(fullPath) || keys_.count(fold(fullPath)) != 0;
}

RegistryData::Key& RegistryData::createKey(const QString& fullPath) {
    const QString folded = fold(fullPath);
    if (const auto it = keys_.find(folded); it != keys_.end())
        return it->second;
    QString path = fullPath;
    if (!isRootName(fullPath)) {
        const QString parent = fullPath.section(u'\\', 0, -2);
        if (!isRootName(parent))
            path = createKey(parent).path + u'\\' + fullPath.section(u'\\', -1);
    }
    Key& created = keys_[folded];
    created.path = path;
    return created;
}

bool RegistryData::deleteKey(const QString& fullPath) {
    const QString folded = fold(fullPath);
    const auto first = keys_.find(folded);
    if (first == keys_.end())
        return false;
    const QString childPrefix = folded + kFoldedSeparator;
    auto last = std::next(first);
    while (last != keys_.end() && last->first.startsWith(childPrefix))
        ++last;
    keys_.erase(first, last);
    return true;
}

const RegistryData::Key* RegistryData::key(const QString& fullPath) const {
    const auto it = keys_.find(fold(fullPath));
    return it == keys_.end() ? nullptr : &it->second;
}

RegistryData::Key* RegistryData::key(const QString& fullPath) {
    const auto it = keys_.find(fold(fullPath));
    return it == keys_.end() ? nullptr : &it->second;
}

QStringList RegistryData::subKeyNames(const QString& fullPath) const {
    const QString prefix = fold(fullPath) + kFoldedSeparator;
    QStringList names;
    for (auto it = keys_.lower_bound(prefix); it != keys_.end() && it->first.startsWith(prefix);
         ++it) {
        if (!it->first.mid(prefix.size()).contains(kFoldedSeparator))
            names.append(it->second.path.section(u'\\', -1));
    }
    return names;
}

} // namespace winplatform
