// Any bytes as a shortcut: decoding never crashes and a refusal says why; what decodes encodes
// to a shortcut that decodes to the same fields and encodes to the same bytes again, and bytes
// after a decodable shortcut (extra data blocks, damage) change nothing that was read.
#include "Shortcuts.h"

#include <cstdint>
#include <cstdlib>

using namespace winplatform;

namespace {

void expectStableRoundTrip(const ShellLink& link) {
    const QByteArray encoded = encodeShellLink(link);
    const auto again = decodeShellLink(encoded);
    if (!again || *again != link || encodeShellLink(*again) != encoded)
        std::abort();
}

void expectTrailingBytesIgnored(const QByteArray& bytes, const ShellLink& link) {
    const auto extended = decodeShellLink(bytes + bytes);
    if (!extended || *extended != link)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    const auto link = decodeShellLink(bytes, &error);
    if (!link) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    expectStableRoundTrip(*link);
    expectTrailingBytesIgnored(bytes, *link);
    return 0;
}
