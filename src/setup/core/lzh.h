#pragma once
// TCustom_lzh: the LZH coder over a memory buffer, writing to a memory stream. The stored form,
// LzhStream, is the bit stream followed by OriginalSize as 4 little-endian bytes; no header.

#include "lzh_U1.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <vector>

namespace setup {

using TLzhMemoryStream = std::vector<std::uint8_t>;

inline constexpr std::int64_t kNoOutputLimit = std::numeric_limits<std::int64_t>::max();

class TCustom_lzh {
public:
    using TProgressEvent = void (*)(std::int32_t remaining, std::int32_t data);

    TCustom_lzh() = default;
    virtual ~TCustom_lzh() = default;
    TCustom_lzh(const TCustom_lzh&) = delete;
    TCustom_lzh& operator=(const TCustom_lzh&) = delete;

    // Empties OutputStream, then writes the LzhStream of the InputSize bytes at InputBuffer.
    // False without OutputStream, or when the tables cannot be had.
    virtual bool Compress();
    // Empties OutputStream, then decodes the LzhStream of InputSize bytes at InputBuffer.
    // False (and an empty OutputStream) without OutputStream, for InputSize <= 4, and when
    // OriginalSize is more than OutputLimit or more than any intact stream of this length can
    // hold (kMaxBytesPerStreamByte per stream byte before the trailer). A damaged bit stream
    // otherwise decodes to wrong bytes, exactly OriginalSize of them, and gives True.
    virtual bool Decompress();

    std::uint16_t GetBytes(std::uint8_t* buffer, std::uint16_t requested);
    std::uint16_t PutBytes(const std::uint8_t* buffer, std::uint16_t count);

    // Called after every read of input (the coder reads in blocks) with the bytes still unread.
    TProgressEvent OnProgress = nullptr;
    std::int32_t ProgressData = 0;
    std::int32_t InputRemaining = 0;
    std::int32_t InputPos = 0;
    const std::uint8_t* InputBuffer = nullptr; // not owned
    TLzhMemoryStream* OutputStream = nullptr;  // not owned
    std::int32_t InputSize = 0;
    // The most bytes Decompress may produce; a caller that knows the expected size sets it.
    std::int64_t OutputLimit = kNoOutputLimit;
};

// Shorthands over TCustom_lzh.
TLzhMemoryStream LzhCompress(std::span<const std::uint8_t> data);
std::optional<TLzhMemoryStream> LzhDecompress(std::span<const std::uint8_t> stream,
                                              std::int64_t outputLimit = kNoOutputLimit);

} // namespace setup
