// Decompress must take any bytes whatever: no crash, no out-of-bounds access, no hang, and
// when it gives True exactly OriginalSize bytes. The same bytes, taken as a file to pack, must
// come back unchanged.
#include "lzh.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

namespace {

void CheckDecode(const std::uint8_t* data, std::size_t size) {
    setup::TLzhMemoryStream out;
    setup::TCustom_lzh coder;
    coder.InputBuffer = data;
    coder.InputSize = static_cast<std::int32_t>(size);
    coder.OutputStream = &out;
    if (!coder.Decompress()) {
        if (!out.empty())
            std::abort();
        return;
    }
    std::uint32_t claimed = 0;
    std::memcpy(&claimed, data + size - 4, 4); // the fuzz hosts are little-endian
    const std::int32_t originalSize = static_cast<std::int32_t>(claimed);
    const std::size_t expected = originalSize < 0 ? 0 : static_cast<std::size_t>(originalSize);
    if (out.size() != expected)
        std::abort();
}

void CheckRoundTrip(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    const setup::TLzhMemoryStream packed = setup::LzhCompress(input);
    const auto unpacked = setup::LzhDecompress(packed);
    if (!unpacked || unpacked->size() != size ||
        (size > 0 && std::memcmp(unpacked->data(), data, size) != 0))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 20))
        return 0;
    CheckDecode(data, size);
    CheckRoundTrip(data, size);
    return 0;
}
