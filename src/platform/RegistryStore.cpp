#include "RegistryStore.h"

#include "RegFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <utility>

namespace winplatform {

namespace {

constexpr int kMaxValueNameLength = 16383;
constexpr qsizetype kMaxValueSize = 1024 * 1024;

bool validValueName(const QString& name) {
    return name.size() <= kMaxValueNameLength &&
           std::none_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x20; });
}

} // namespace

RegistryStore::RegistryStore(const QString& filePath) : filePath_(filePath) {
    std::lock_guard lock(mutex_);
    load();
}

bool RegistryStore::fail(const QString& why) const {
    lastError_ = why;
    return false;
}

bool RegistryStore::succeed() const {
    lastError_.clear();
    return true;
}

bool RegistryStore::load() const {
    const QFileInfo info(filePath_);
    if (!info.exists()) {
        loadError_.clear();
        return true;
    }
    QFile file(filePath_);
    if (info.size() > regfile::kMaxFileSize || !file.open(QIODevice::ReadOnly)) {
        loadError_ = QStringLiteral("The registry file %1 cannot be read.").arg(filePath_);
        return false;
    }
    const QByteArray bytes = file.read(regfile::kMaxFileSize + 1);
    stamp_ = info.lastModified();
    stampSize_ = info.size();
    QString why;
    if (!regfile::parse(bytes, data_, why)) {
        data_ = RegistryData();
        loadError_ = QStringLiteral("The registry file %1 is damaged: %2.").arg(filePath_, why);
        return false;
    }
    loadError_.clear();
    return true;
}

void RegistryStore::refresh() const {
    if (batchDepth_ > 0)
        return; // a batch works on what it started from; its write replaces the file anyway
    const QFileInfo info(filePath_);
    if (!info.exists())
        return;
    if (info.lastModified() != stamp_ || info.size() != stampSize_)
        load();
}

bool RegistryStore::save() {
    QSaveFile file(filePath_);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = regfile::serialize(data_);
    // A small file is only written when flushed; commit() would put a failed one in place.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit())
        return false;
    const QFileInfo info(filePath_);
    stamp_ = info.lastModified();
    stampSize_ = info.size();
    return true;
}

// Changes a copy; only a successful write makes it the registry.
bool RegistryStore::mutate(std::uint32_t root, const QString& key,
                           const std::function<bool(RegistryData&, const QString&)>& apply) {
    std::lock_guard lock(mutex_);
    refresh();
    if (!loadError_.isEmpty())
        return fail(loadError_);
    const auto path = normalizedKeyPath(root, key);
    if (!path)
        return fail(QStringLiteral("Invalid registry key \"%1\".").arg(key));
    if (batchDepth_ > 0) {
        // The batch keeps the registry as it was before it and writes the file once.
        if (!apply(data_, *path))
            return false;
        batchDirty_ = true;
        return succeed();
    }
    RegistryData before = data_;
    if (!apply(data_, *path))
        return false;
    if (!save()) {
        data_ = std::move(before);
        return fail(QStringLiteral("The registry file %1 cannot be written.").arg(filePath_));
    }
    return succeed();
}

bool RegistryStore::keyExists(std::uint32_t root, const QString& key) const {
    std::lock_guard lock(mutex_);
    refresh();
    const auto path = normalizedKeyPath(root, key);
    return path && data_.hasKey(*path);
}

bool RegistryStore::createKey(std::uint32_t root, const QString& key) {
    return mutate(root, key, [](RegistryData& d, const QString& path) {
        if (path.contains(u'\\'))
            d.createKey(path);
        return true;
    });
}

bool RegistryStore::deleteKey(std::uint32_t root, const QString& key) {
    return mutate(root, key, [this](RegistryData& d, const QString& path) {
        if (!path.contains(u'\\'))
            return fail(QStringLiteral("A root key cannot be deleted."));
        return d.deleteKey(path) || fail(QStringLiteral("No such key."));
    });
}

std::optional<RegistryValue> RegistryStore::value(std::uint32_t root, const QString& key,
                                                  const QString& name) const {
    std::lock_guard lock(mutex_);
    refresh();
    const auto path = normalizedKeyPath(root, key);
    if (!path)
        return std::nullopt;
    const RegistryData::Key* k = data_.key(*path);
    const RegistryValue* v = k ? k->value(name) : nullptr;
    if (!v)
        return std::nullopt;
    return *v;
}

bool RegistryStore::setValue(std::uint32_t root, const QString& key, const QString& name,
                             const RegistryValue& v) {
    if (!validValueName(name))
        return fail(QStringLiteral("Invalid registry value name \"%1\".").arg(name));
    if (v.data.size() > kMaxValueSize)
        return fail(QStringLiteral("The value \"%1\" is too large.").arg(name));
    return mutate(root, key, [&](RegistryData& d, const QString& path) {
        d.createKey(path).setValue(name, v);
        return true;
    });
}

bool RegistryStore::deleteValue(std::uint32_t root, const QString& key, const QString& name) {
    return mutate(root, key, [&](RegistryData& d, const QString& path) {
        RegistryData::Key* k = d.key(path);
        return (k && k->removeValue(name)) || fail(QStringLiteral("No such value."));
    });
}

QStringList RegistryStore::valueNames(std::uint32_t root, const QString& key) const {
    std::lock_guard lock(mutex_);
    refresh();
    const auto path = normalizedKeyPath(root, key);
    const RegistryData::Key* k = path ? data_.key(*path) : nullptr;
    QStringList names;
    if (k)
        for (const auto& nv : k->values())
            names.append(nv.first);
    return names;
}

QStringList RegistryStore::subKeyNames(std::uint32_t root, const QString& key) const {
    std::lock_guard lock(mutex_);
    refresh();
    const auto path = normalizedKeyPath(root, key);
    return path ? data_.subKeyNames(*path) : QStringList();
}

QString RegistryStore::lastError() const {
    std::lock_guard lock(mutex_);
    return lastError_;
}

QString RegistryStore::loadError() const {
    std::lock_guard lock(mutex_);
    return loadError_;
}

bool RegistryStore::change(const std::function<bool(Registry&)>& changes) {
    std::lock_guard lock(mutex_);
    refresh();
    if (!loadError_.isEmpty())
        return fail(loadError_);
    RegistryData before = data_;
    bool applied = false;
    ++batchDepth_;
    try {
        applied = changes(*this);
    } catch (...) {
        endBatch(std::move(before), false);
        throw;
    }
    return endBatch(std::move(before), applied);
}

// The outermost batch writes the file when something changed; a batch that failed, or whose
// write failed, leaves the registry as it was before it.
bool RegistryStore::endBatch(RegistryData before, bool applied) {
    --batchDepth_;
    const bool dirty = batchDepth_ == 0 && std::exchange(batchDirty_, false);
    if (applied && (!dirty || save()))
        return succeed();
    data_ = std::move(before);
    return applied ? fail(QStringLiteral("The registry file %1 cannot be written.").arg(filePath_))
                   : false;
}

} // namespace winplatform
