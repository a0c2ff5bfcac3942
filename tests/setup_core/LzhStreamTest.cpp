#include "lzh.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

using setup::LzhCompress;
using setup::LzhDecompress;
using setup::TCustom_lzh;
using setup::TLzhMemoryStream;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes BytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes RoundTrip(const Bytes& input) {
    const TLzhMemoryStream packed = LzhCompress(input);
    auto unpacked = LzhDecompress(packed);
    EXPECT_TRUE(unpacked.has_value());
    return unpacked.value_or(Bytes{});
}

} // namespace

TEST(LzhStream, SingleLiteralHasItsInitialNineBitCode) {
    // 'A' (65) sits in the starting tree at depth 9: root-first bits 111001101.
    EXPECT_EQ(LzhCompress(BytesOf("A")), (Bytes{0xE6, 0x80, 0x01, 0x00, 0x00, 0x00}));
}

TEST(LzhStream, RoundTripsShortInputs) {
    for (const std::string text : {"", "A", "AB", "   ", "abcabcabcabc", "hello, hello, hello"})
        EXPECT_EQ(RoundTrip(BytesOf(text)), BytesOf(text)) << text;
}

TEST(LzhStream, RoundTripsRandomBytes) {
    std::mt19937 rng(7);
    Bytes input(100000);
    for (auto& b : input)
        b = static_cast<std::uint8_t>(rng());
    EXPECT_EQ(RoundTrip(input), input);
}
