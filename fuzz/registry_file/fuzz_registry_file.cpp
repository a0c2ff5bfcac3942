// Any bytes as the registry file: reading never crashes; a file that does not read leaves the
// registry as it was and says why; one that reads writes a file that reads back to the same keys
// and values, and writing that again gives the same bytes.
#include "RegFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

using namespace winplatform;

namespace {

bool sameKeys(const RegistryData& a, const RegistryData& b) {
    return std::equal(a.keys().begin(), a.keys().end(), b.keys().begin(), b.keys().end(),
                      [](const auto& x, const auto& y) {
                          return x.first == y.first && x.second.path == y.second.path &&
                                 x.second.values() == y.second.values();
                      });
}

// What a failed read must leave untouched.
const RegistryData& earlierContents() {
    static const RegistryData data = [] {
        RegistryData d;
        d.createKey(QStringLiteral("HKEY_CURRENT_USER\\Software\\Kept"))
            .setValue(QStringLiteral("Name"), RegistryValue::fromDWord(7));
        return d;
    }();
    return data;
}

void expectStableRoundTrip(const RegistryData& read) {
    const QByteArray written = regfile::serialize(read);
    RegistryData again;
    QString error;
    if (!regfile::parse(written, again, error) || !sameKeys(again, read) ||
        regfile::serialize(again) != written)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    RegistryData read = earlierContents();
    QString error;
    if (!regfile::parse(bytes, read, error)) {
        if (error.isEmpty() || !sameKeys(read, earlierContents()))
            std::abort();
        return 0;
    }
    expectStableRoundTrip(read);
    return 0;
}
