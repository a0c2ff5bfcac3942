#pragma once
// A plain, line-by-line rendering of the classic LZHUF loops: 16-bit bit buffers, one byte per
// callback call, tables in one state block. It is the baseline of the coder benchmarks and the
// oracle of the coder tests. Like the library it emits Huffman codes longer than 16 bits
// whole. Its decoder copies a final match whole, as the classic one does, so on a damaged
// stream it may hand back up to 59 bytes more than OriginalSize.

#include <cstdint>
#include <span>
#include <vector>

namespace lzh_transcription {

std::vector<std::uint8_t> Compress(std::span<const std::uint8_t> input);
// The longest Huffman code (in bits) that the last Compress on this thread emitted.
int LongestCodeOfLastCompress();
struct Symbol {
    int symbol;   // 0..255 a literal, 256..313 a match of symbol - 253 bytes
    int position; // of a match: distance back less one; -1 for a literal
    bool operator==(const Symbol&) const = default;
};
// The symbols of a stream, up to its OriginalSize.
std::vector<Symbol> DecodeSymbols(std::span<const std::uint8_t> stream);

// False for a stream of 4 bytes or fewer.
bool Decompress(std::span<const std::uint8_t> stream, std::vector<std::uint8_t>& output);

} // namespace lzh_transcription
