#pragma once
// Inputs for the coder benchmarks and tests, all made from a fixed seed.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lzh_inputs {

using Bytes = std::vector<std::uint8_t>;

// English-like prose: common words with a skewed frequency, sentences and lines.
Bytes EnglishLikeText(std::size_t size, std::uint32_t seed = 1);
// The running program's own executable file, repeated to the size.
Bytes ExecutableBytes(std::size_t size);
Bytes RandomBytes(std::size_t size, std::uint32_t seed = 1);
// About 1.3 MB whose coding needs a Huffman code longer than 16 bits: a chain of eight match
// lengths with Fibonacci-like frequencies over the never-used symbols, then a few literals.
Bytes LongCodeInput();

} // namespace lzh_inputs
