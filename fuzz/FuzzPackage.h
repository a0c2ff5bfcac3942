#pragma once
// What the package fuzz targets share: a modal seam that answers every question at once, and
// the input split into a package folder — a 4-byte little-endian length, that many bytes of
// "setup.dat", the rest as "data.pak".

#include "ModalSeam.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace fuzzing {

class SilentSeam : public modal::QuietSeam {
public:
    modal::Answer message(const modal::Message&) override { return modal::Answer::Ok; }
};

inline void WriteFile(const QString& path, const std::uint8_t* data, std::size_t size) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
}

// Writes the package the input describes into `folder`.
inline void WritePackage(const QString& folder, const std::uint8_t* data, std::size_t size) {
    std::uint32_t split = 0;
    if (size >= 4) {
        std::memcpy(&split, data, 4);
        data += 4;
        size -= 4;
    }
    split = static_cast<std::uint32_t>(std::min<std::size_t>(split, size));
    QDir().mkpath(folder);
    WriteFile(folder + "/setup.dat", data, split);
    WriteFile(folder + "/data.pak", data + split, size - split);
}

} // namespace fuzzing
