#pragma once
// The LZH core: an LZSS coder with a 4096-byte ring and 60-byte look-ahead whose literals and
// match lengths go through an adaptive Huffman tree and whose match positions use fixed codes.
// Each run keeps its working tables in an object of its own, so runs on different threads do
// not disturb each other.

#include <array>
#include <cstdint>
#include <stdexcept>

namespace setup {

class ElzhException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* kLzhAllocMessage = "LZH : Cannot get memory for dictionary tables";
inline constexpr const char* kLzhFreeMessage = "LZH : Error freeing memory for dictionary tables";

// The core's byte interface. An input call that delivers no byte means end of input. The core
// reads and writes in blocks; the byte sequence is the same as one byte per call.
class TLzhInput {
public:
    virtual ~TLzhInput() = default;
    virtual std::uint16_t GetBytes(std::uint8_t* buffer, std::uint16_t requested) = 0;
};

class TLzhOutput {
public:
    virtual ~TLzhOutput() = default;
    virtual std::uint16_t PutBytes(const std::uint8_t* buffer, std::uint16_t count) = 0;
};

// Codes everything the input delivers and gives the number of bytes consumed.
std::uint32_t LZHPack(TLzhOutput& output, TLzhInput& input);
// Decodes exactly count bytes (nothing when count <= 0); past the end of the input it reads
// zero bits.
void LZHUnpack(std::int32_t count, TLzhOutput& output, TLzhInput& input);

namespace lzh {

inline constexpr int kRingSize = 4096;                             // N
inline constexpr int kLookAhead = 60;                              // F
inline constexpr int kThreshold = 2;                               // a match is longer than this
inline constexpr int kNil = kRingSize;                             // absent node in the match trees
inline constexpr int kSymbolCount = 256 + kLookAhead - kThreshold; // 314
inline constexpr int kTreeSize = 2 * kSymbolCount - 1;             // 627
inline constexpr int kRoot = kTreeSize - 1;                        // 626
inline constexpr unsigned kMaxFrequency = 0x8000;
inline constexpr std::uint8_t kRingPreset = 0x20;
inline constexpr int kStartPosition = kRingSize - kLookAhead; // 4036

// No intact stream decodes to more than this many bytes per bit-stream byte: every symbol costs
// at least one bit, and a match of at most 60 bytes at least ten.
inline constexpr std::int64_t kMaxBytesPerStreamByte = 48;

struct PositionTables {
    std::array<std::uint8_t, 64> p_len;
    std::array<std::uint8_t, 64> p_code;
    std::array<std::uint8_t, 256> d_code;
    std::array<std::uint8_t, 256> d_len;
};

// Built from the code lengths (1 of 3 bits, 3 of 4, 8 of 5, 12 of 6, 24 of 7, 16 of 8 bits),
// the codes assigned in increasing order.
const PositionTables& positionTables();

} // namespace lzh
} // namespace setup
