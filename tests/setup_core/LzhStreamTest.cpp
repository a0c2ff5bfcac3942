// The LZH stream: hand-checked bit patterns, the edge cases of the stored form, round trips,
// and identity with a plain rendering of the classic loops on every kind of input.
#include "LzhInputs.h"
#include "LzhTranscription.h"
#include "lzh.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

using setup::LzhCompress;
using setup::LzhDecompress;
using setup::TCustom_lzh;
using setup::TLzhMemoryStream;
using Bytes = std::vector<std::uint8_t>;
using Symbol = lzh_transcription::Symbol;

namespace {

Bytes BytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

std::int32_t TrailerOf(const Bytes& stream) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(stream[stream.size() - 4 + static_cast<std::size_t>(i)])
             << (8 * i);
    return static_cast<std::int32_t>(v);
}

// Our stream must be the classic one bit for bit, and both decoders must give the input back.
void ExpectClassicRoundTrip(const Bytes& input) {
    const Bytes packed = LzhCompress(input);
    ASSERT_EQ(packed, lzh_transcription::Compress(input))
        << "input of " << input.size() << " bytes";
    EXPECT_EQ(TrailerOf(packed), static_cast<std::int32_t>(input.size()));
    const auto unpacked = LzhDecompress(packed);
    ASSERT_TRUE(unpacked.has_value());
    EXPECT_EQ(*unpacked, input);
    Bytes classic;
    ASSERT_TRUE(lzh_transcription::Decompress(packed, classic));
    EXPECT_EQ(classic, input);
}

} // namespace

TEST(LzhBitPattern, SingleLiteralUsesItsStartingNineBitCode) {
    // Leaf 65 climbs 65, 346, 487, 557, 592, 610, 619, 623, 625 to the root: 111001101.
    EXPECT_EQ(LzhCompress(BytesOf("A")), (Bytes{0xE6, 0x80, 0x01, 0x00, 0x00, 0x00}));
}

TEST(LzhBitPattern, EmptyInputCodesOneZeroLiteralAndSizeZero) {
    // Leaf 0 climbs 0, 314, 471, 549, 588, 608, 618, 623, 625: 110001100.
    EXPECT_EQ(LzhCompress(Bytes{}), (Bytes{0xC6, 0x00, 0x00, 0x00, 0x00, 0x00}));
}

TEST(LzhBitPattern, LeadingSpacesAreAMatchIntoThePresetRing) {
    // Symbol 256 (length 3) is 10001100, position 0 is 000 then 000000.
    EXPECT_EQ(LzhCompress(BytesOf("   ")), (Bytes{0x8C, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00}));
    const auto symbols = lzh_transcription::DecodeSymbols(LzhCompress(BytesOf("   hello")));
    ASSERT_FALSE(symbols.empty());
    EXPECT_GE(symbols.front().symbol, 256);
}

TEST(LzhBitPattern, EqualLengthMatchesTakeTheNearestString) {
    // The last "abc" matches both earlier ones for 3 bytes; the nearer lies 4 back (position 3).
    const auto symbols = lzh_transcription::DecodeSymbols(LzhCompress(BytesOf("abcYabcXabc")));
    const std::vector<Symbol> expected{{'a', -1}, {'b', -1}, {'c', -1}, {'Y', -1},
                                       {256, 3},  {'X', -1}, {256, 3}};
    EXPECT_EQ(symbols, expected);
}

TEST(LzhBitPattern, PositionTablesFollowTheirCodeLengths) {
    const auto& t = setup::lzh::positionTables();
    int perLength[9] = {};
    for (int i = 0; i < 64; ++i)
        ++perLength[t.p_len[i]];
    EXPECT_EQ(perLength[3], 1);
    EXPECT_EQ(perLength[4], 3);
    EXPECT_EQ(perLength[5], 8);
    EXPECT_EQ(perLength[6], 12);
    EXPECT_EQ(perLength[7], 24);
    EXPECT_EQ(perLength[8], 16);
    const std::uint8_t firstCodes[] = {0x00, 0x20, 0x30, 0x40, 0x50, 0x58};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(t.p_code[i], firstCodes[i]) << i;
    EXPECT_EQ(t.p_code[12], 0x90); // first 6-bit code
    EXPECT_EQ(t.p_code[24], 0xC0); // first 7-bit code
    EXPECT_EQ(t.p_code[48], 0xF0); // first 8-bit code
    EXPECT_EQ(t.p_code[63], 0xFF);
    for (int b = 0; b < 256; ++b) {
        const int i = t.d_code[b];
        const int len = t.d_len[b];
        EXPECT_EQ(len, t.p_len[i]);
        EXPECT_EQ(b >> (8 - len), t.p_code[i] >> (8 - len)) << b;
    }
}

TEST(LzhRoundTrip, ShortAndUniformInputs) {
    for (const std::string text :
         {"", "A", "AB", "ABC", "   ", "  ", "abcabcabcabc", "hello, hello"})
        ExpectClassicRoundTrip(BytesOf(text));
    ExpectClassicRoundTrip(Bytes(100000, 'x'));
    ExpectClassicRoundTrip(Bytes(100000, ' '));
    ExpectClassicRoundTrip(Bytes(5000, 0));
    ExpectClassicRoundTrip(Bytes(1, 0xFF));
}

TEST(LzhRoundTrip, TextExecutableAndRandomBytes) {
    ExpectClassicRoundTrip(lzh_inputs::EnglishLikeText(300000));
    ExpectClassicRoundTrip(lzh_inputs::ExecutableBytes(300000));
    ExpectClassicRoundTrip(lzh_inputs::RandomBytes(150000));
}

TEST(LzhRoundTrip, ManyTreeRebuilds) {
    // 200,000 random bytes are nearly all literals: six rebuilds of the tree and more.
    ExpectClassicRoundTrip(lzh_inputs::RandomBytes(200000, 9));
    // Sizes around the first rebuild (the 32455th symbol).
    for (std::size_t size : {32453u, 32454u, 32455u, 32456u})
        ExpectClassicRoundTrip(lzh_inputs::RandomBytes(size, 3));
}

TEST(LzhRoundTrip, EverySmallLengthAgreesWithTheClassicCoder) {
    const Bytes text = lzh_inputs::EnglishLikeText(200);
    const Bytes binary = lzh_inputs::RandomBytes(200, 5);
    for (std::size_t n = 0; n <= 130; ++n) {
        ExpectClassicRoundTrip(Bytes(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n)));
        ExpectClassicRoundTrip(
            Bytes(binary.begin(), binary.begin() + static_cast<std::ptrdiff_t>(n)));
    }
}

TEST(LzhRoundTrip, HuffmanCodesLongerThanSixteenBits) {
    const Bytes input = lzh_inputs::LongCodeInput();
    const Bytes classic = lzh_transcription::Compress(input);
    ASSERT_GT(lzh_transcription::LongestCodeOfLastCompress(), 16);
    EXPECT_EQ(LzhCompress(input), classic);
    const auto unpacked = LzhDecompress(classic);
    ASSERT_TRUE(unpacked.has_value());
    EXPECT_EQ(*unpacked, input);
}

TEST(LzhRoundTrip, RunsOnSeveralThreadsAtOnce) {
    std::vector<Bytes> inputs;
    for (std::uint32_t seed = 1; seed <= 4; ++seed)
        inputs.push_back(lzh_inputs::EnglishLikeText(200000, seed));
    std::vector<Bytes> expected;
    for (const Bytes& in : inputs)
        expected.push_back(LzhCompress(in));
    std::vector<Bytes> packed(inputs.size());
    std::vector<Bytes> unpacked(inputs.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < inputs.size(); ++i)
        threads.emplace_back([&, i] {
            packed[i] = LzhCompress(inputs[i]);
            unpacked[i] = LzhDecompress(packed[i]).value_or(Bytes{});
        });
    for (auto& t : threads)
        t.join();
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        EXPECT_EQ(packed[i], expected[i]);
        EXPECT_EQ(unpacked[i], inputs[i]);
    }
}
