// Any bytes as an executable whose fixed file version is asked for: reading never crashes, does
// not depend on where the device was left, and a version found stays the same when data follows
// the image (self-extracting installers carry their payload there).
#include "FileVersion.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

using namespace winplatform;

namespace {

std::optional<FixedFileVersion> versionOf(QByteArray bytes, qint64 startAt) {
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly) || !buffer.seek(startAt))
        std::abort();
    return readFixedFileVersion(buffer);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto version = versionOf(bytes, 0);
    if (versionOf(bytes, bytes.size() / 2) != version)
        std::abort();
    if (version && versionOf(bytes + bytes, 0) != version)
        std::abort();
    return 0;
}
