#pragma once
// The registry kept in one export-format file, rewritten atomically after every change, or once
// for all the changes of a `change`. A file that cannot be read is left alone: nothing is read
// from it and every change is refused.

#include "RegistryData.h"

#include <QDateTime>
#include <functional>
#include <mutex>

namespace winplatform {

class RegistryStore : public Registry {
public:
    explicit RegistryStore(const QString& filePath);

    bool keyExists(std::uint32_t root, const QString& key) const override;
    bool createKey(std::uint32_t root, const QString& key) override;
    bool deleteKey(std::uint32_t root, const QString& key) override;
    std::optional<RegistryValue> value(std::uint32_t root, const QString& key,
                                       const QString& name) const override;
    bool setValue(std::uint32_t root, const QString& key, const QString& name,
                  const RegistryValue& v) override;
    bool deleteValue(std::uint32_t root, const QString& key, const QString& name) override;
    QStringList valueNames(std::uint32_t root, const QString& key) const override;
    QStringList subKeyNames(std::uint32_t root, const QString& key) const override;
    QString lastError() const override;

    // One write of the file for all the changes; the store stays locked meanwhile.
    bool change(const std::function<bool(Registry&)>& changes) override;
    const QString& filePath() const { return filePath_; }
    // Empty when the file could be read (or does not exist yet).
    QString loadError() const;

private:
    // Reloads the file when someone else has changed it since it was last read or written.
    void refresh() const;
    bool load() const;
    bool save();
    bool endBatch(RegistryData before, bool applied);
    bool mutate(std::uint32_t root, const QString& key,
                const std::function<bool(RegistryData&, const QString&)>& apply);
    bool fail(const QString& why) const;
    bool succeed() const;

    QString filePath_;
    mutable std::recursive_mutex mutex_;
    mutable RegistryData data_;
    mutable QString loadError_;
    mutable QString lastError_;
    mutable QDateTime stamp_;
    mutable qint64 stampSize_ = -1;
    int batchDepth_ = 0;
    bool batchDirty_ = false;
};

} // namespace winplatform
