// TCustom_lzh: its fields and results, and what it does with damaged or hostile streams.
#include "LzhInputs.h"
#include "LzhTranscription.h"
#include "lzh.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

using setup::TCustom_lzh;
using setup::TLzhMemoryStream;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes WithTrailer(Bytes body, std::int64_t originalSize) {
    for (int i = 0; i < 4; ++i)
        body.push_back(
            static_cast<std::uint8_t>(static_cast<std::uint64_t>(originalSize) >> (8 * i)));
    return body;
}

struct DecodeRun {
    bool ok = false;
    Bytes output;
};

DecodeRun Decompress(const Bytes& stream, std::int64_t limit = setup::kNoOutputLimit) {
    DecodeRun run;
    run.output = {1, 2, 3}; // must be emptied
    TCustom_lzh coder;
    coder.InputBuffer = stream.data();
    coder.InputSize = static_cast<std::int32_t>(stream.size());
    coder.OutputStream = &run.output;
    coder.OutputLimit = limit;
    run.ok = coder.Decompress();
    return run;
}

} // namespace

TEST(LzhCoder, CreateLeavesEveryFieldEmpty) {
    TCustom_lzh coder;
    EXPECT_EQ(coder.OnProgress, nullptr);
    EXPECT_EQ(coder.ProgressData, 0);
    EXPECT_EQ(coder.InputRemaining, 0);
    EXPECT_EQ(coder.InputPos, 0);
    EXPECT_EQ(coder.InputBuffer, nullptr);
    EXPECT_EQ(coder.OutputStream, nullptr);
    EXPECT_EQ(coder.InputSize, 0);
}

TEST(LzhCoder, NoOutputStreamGivesFalse) {
    const Bytes input{1, 2, 3, 4, 5, 6, 7};
    TCustom_lzh coder;
    coder.InputBuffer = input.data();
    coder.InputSize = static_cast<std::int32_t>(input.size());
    EXPECT_FALSE(coder.Compress());
    EXPECT_FALSE(coder.Decompress());
}

TEST(LzhCoder, MissingInputBufferCountsAsEmptyInput) {
    TLzhMemoryStream out;
    TCustom_lzh coder;
    coder.InputSize = 1000;
    coder.OutputStream = &out;
    ASSERT_TRUE(coder.Compress());
    EXPECT_EQ(out, setup::LzhCompress(Bytes{}));
    EXPECT_FALSE(coder.Decompress());
    EXPECT_TRUE(out.empty());
}

TEST(LzhCoder, CompressReplacesOldOutputAndConsumesAllInput) {
    const Bytes input = lzh_inputs::EnglishLikeText(50000);
    TLzhMemoryStream out(1000, 0xAA);
    TCustom_lzh coder;
    coder.InputBuffer = input.data();
    coder.InputSize = static_cast<std::int32_t>(input.size());
    coder.OutputStream = &out;
    ASSERT_TRUE(coder.Compress());
    EXPECT_EQ(out, lzh_transcription::Compress(input));
    EXPECT_EQ(coder.InputPos, coder.InputSize);
    EXPECT_EQ(coder.InputRemaining, 0);
}

namespace {
std::vector<std::int32_t> progressSeen;
void RecordProgress(std::int32_t remaining, std::int32_t data) {
    progressSeen.push_back(remaining);
    progressSeen.push_back(data);
}
} // namespace

TEST(LzhCoder, ProgressReportsBytesStillUnread) {
    const Bytes input = lzh_inputs::RandomBytes(100000);
    TLzhMemoryStream out;
    TCustom_lzh coder;
    coder.InputBuffer = input.data();
    coder.InputSize = static_cast<std::int32_t>(input.size());
    coder.OutputStream = &out;
    coder.OnProgress = RecordProgress;
    coder.ProgressData = 42;
    progressSeen.clear();
    ASSERT_TRUE(coder.Compress());
    ASSERT_GE(progressSeen.size(), 4u);
    for (std::size_t i = 1; i < progressSeen.size(); i += 2)
        EXPECT_EQ(progressSeen[i], 42);
    for (std::size_t i = 2; i < progressSeen.size(); i += 2)
        EXPECT_LE(progressSeen[i], progressSeen[i - 2]);
    EXPECT_EQ(progressSeen[progressSeen.size() - 2], 0);
}

TEST(LzhCoder, StreamsOfFourBytesOrFewerGiveFalseAndNothing) {
    for (std::size_t n = 0; n <= 4; ++n) {
        const DecodeRun run = Decompress(Bytes(n, 0));
        EXPECT_FALSE(run.ok) << n;
        EXPECT_TRUE(run.output.empty()) << n;
    }
}

TEST(LzhCoder, OriginalSizeZeroGivesTrueAndNothing) {
    for (const Bytes& stream : {Bytes{0xC6, 0, 0, 0, 0, 0}, Bytes{0xFF, 0, 0, 0, 0}}) {
        const DecodeRun run = Decompress(stream);
        EXPECT_TRUE(run.ok);
        EXPECT_TRUE(run.output.empty());
    }
}

TEST(LzhCoder, NegativeOriginalSizeDecodesNothing) {
    const DecodeRun run = Decompress(WithTrailer(Bytes(20, 0x5A), -5));
    EXPECT_TRUE(run.ok);
    EXPECT_TRUE(run.output.empty());
}

TEST(LzhCoder, DamagedBodyGivesExactlyOriginalSizeBytes) {
    // Bits past the end of the stream read as zero; a final match is cut at OriginalSize, where
    // the classic loop would copy it whole.
    std::mt19937 rng(11);
    int cutMatches = 0;
    for (int trial = 0; trial < 300; ++trial) {
        Bytes body(1 + rng() % 40);
        for (auto& b : body)
            b = static_cast<std::uint8_t>(rng());
        const std::int32_t size = static_cast<std::int32_t>(rng() % (48 * body.size() + 1));
        const Bytes stream = WithTrailer(body, size);
        const DecodeRun run = Decompress(stream);
        ASSERT_TRUE(run.ok);
        ASSERT_EQ(run.output.size(), static_cast<std::size_t>(size));
        Bytes classic;
        ASSERT_TRUE(lzh_transcription::Decompress(stream, classic));
        ASSERT_GE(classic.size(), run.output.size());
        ASSERT_LE(classic.size(), run.output.size() + 59);
        EXPECT_TRUE(std::equal(run.output.begin(), run.output.end(), classic.begin()));
        cutMatches += classic.size() > run.output.size();
    }
    EXPECT_GT(cutMatches, 0);
}

TEST(LzhCoder, LongDamagedStreamsDecodeAsTheClassicLoopsDo) {
    // Long enough to cross many output blocks and tree rebuilds, with codes no encoder made.
    std::mt19937 rng(29);
    std::vector<Bytes> bodies;
    Bytes noise(6000);
    for (auto& b : noise)
        b = static_cast<std::uint8_t>(rng());
    bodies.push_back(noise);
    Bytes flipped = setup::LzhCompress(lzh_inputs::ExecutableBytes(200000));
    flipped.resize(flipped.size() - 4);
    for (int i = 0; i < 20; ++i)
        flipped[rng() % flipped.size()] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
    bodies.push_back(flipped);
    for (const Bytes& body : bodies) {
        const Bytes stream = WithTrailer(body, 250000);
        const DecodeRun run = Decompress(stream);
        ASSERT_TRUE(run.ok);
        ASSERT_EQ(run.output.size(), 250000u);
        Bytes classic;
        ASSERT_TRUE(lzh_transcription::Decompress(stream, classic));
        ASSERT_GE(classic.size(), run.output.size());
        EXPECT_TRUE(std::equal(run.output.begin(), run.output.end(), classic.begin()));
    }
}

TEST(LzhCoder, FlippedBitsInAnIntactStreamStillGiveTheRecordedSize) {
    const Bytes input = lzh_inputs::EnglishLikeText(20000);
    Bytes stream = setup::LzhCompress(input);
    stream[stream.size() / 2] ^= 0x10;
    const DecodeRun run = Decompress(stream);
    EXPECT_TRUE(run.ok);
    EXPECT_EQ(run.output.size(), input.size());
    EXPECT_NE(run.output, input);
}

TEST(LzhCoder, TrailerClaimingMoreThanAnyStreamCanHoldIsRefused) {
    const Bytes body(10, 0);
    const std::int64_t bound = setup::lzh::kMaxBytesPerStreamByte * 10;
    const DecodeRun atBound = Decompress(WithTrailer(body, bound));
    EXPECT_TRUE(atBound.ok);
    EXPECT_EQ(atBound.output.size(), static_cast<std::size_t>(bound));
    const DecodeRun past = Decompress(WithTrailer(body, bound + 1));
    EXPECT_FALSE(past.ok);
    EXPECT_TRUE(past.output.empty());
    const DecodeRun huge = Decompress(WithTrailer(body, 0x7FFFFFFF));
    EXPECT_FALSE(huge.ok);
    EXPECT_TRUE(huge.output.empty());
}

TEST(LzhCoder, MostCompressibleInputsStayWithinTheBound) {
    // Long runs are the best case the coder has; the refusal bound must leave them alone.
    for (std::size_t size : {60u * 1000u, 2u * 1000u * 1000u}) {
        const Bytes input(size, 0);
        const Bytes stream = setup::LzhCompress(input);
        const DecodeRun run = Decompress(stream);
        ASSERT_TRUE(run.ok) << size;
        EXPECT_EQ(run.output, input);
        EXPECT_LT(static_cast<std::int64_t>(size),
                  setup::lzh::kMaxBytesPerStreamByte *
                      static_cast<std::int64_t>(stream.size() - 4));
    }
}

TEST(LzhCoder, OutputLimitRefusesALargerClaimOnly) {
    const Bytes input = lzh_inputs::EnglishLikeText(5000);
    const Bytes stream = setup::LzhCompress(input);
    const DecodeRun exact = Decompress(stream, 5000);
    EXPECT_TRUE(exact.ok);
    EXPECT_EQ(exact.output, input);
    const DecodeRun tooSmall = Decompress(stream, 4999);
    EXPECT_FALSE(tooSmall.ok);
    EXPECT_TRUE(tooSmall.output.empty());
}

TEST(LzhCoder, TrailerBytesMayBeReadAsLookAheadOnly) {
    // A stream cut short of its last code reads the trailer as bits, then zeros, and still
    // stops at OriginalSize.
    const Bytes input = lzh_inputs::EnglishLikeText(3000);
    Bytes stream = setup::LzhCompress(input);
    Bytes cut(stream.begin(), stream.end() - 4 - 3);
    cut = WithTrailer(cut, static_cast<std::int32_t>(input.size()));
    const DecodeRun run = Decompress(cut);
    ASSERT_TRUE(run.ok);
    EXPECT_EQ(run.output.size(), input.size());
    Bytes classic;
    ASSERT_TRUE(lzh_transcription::Decompress(cut, classic));
    EXPECT_TRUE(std::equal(run.output.begin(), run.output.end(), classic.begin()));
}
