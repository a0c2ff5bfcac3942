#include "LzhInputs.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string_view>

namespace lzh_inputs {

namespace {

constexpr std::array<std::string_view, 120> kWords{
    "the",      "of",       "and",      "to",     "a",        "in",        "is",        "that",
    "for",      "it",       "as",       "was",    "with",     "be",        "by",        "on",
    "not",      "he",       "this",     "are",    "or",       "his",       "from",      "at",
    "which",    "but",      "have",     "an",     "had",      "they",      "you",       "were",
    "their",    "one",      "all",      "we",     "can",      "her",       "has",       "there",
    "been",     "if",       "more",     "when",   "will",     "would",     "who",       "so",
    "no",       "building", "cost",     "budget", "price",    "work",      "material",  "labor",
    "concrete", "wall",     "floor",    "roof",   "window",   "door",      "steel",     "timber",
    "estimate", "quantity", "unit",     "meter",  "contract", "site",      "plan",      "design",
    "owner",    "project",  "schedule", "week",   "month",    "year",      "total",     "amount",
    "should",   "could",    "about",    "after",  "before",   "because",   "between",   "through",
    "under",    "over",     "again",    "still",  "never",    "always",    "often",     "small",
    "large",    "new",      "old",      "good",   "first",    "last",      "long",      "great",
    "little",   "other",    "same",     "right",  "high",     "different", "following", "water",
    "house",    "street",   "country",  "world",  "people",   "family",    "money",     "time"};

} // namespace

Bytes EnglishLikeText(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<double> weights;
    for (std::size_t i = 0; i < kWords.size(); ++i)
        weights.push_back(1.0 / static_cast<double>(i + 1));
    std::discrete_distribution<std::size_t> pickWord(weights.begin(), weights.end());
    std::uniform_int_distribution<int> sentenceLength(4, 18);
    Bytes text;
    text.reserve(size + 64);
    std::size_t lineStart = 0;
    while (text.size() < size) {
        const int words = sentenceLength(rng);
        for (int w = 0; w < words; ++w) {
            std::string_view word = kWords[pickWord(rng)];
            const std::size_t at = text.size();
            text.insert(text.end(), word.begin(), word.end());
            if (w == 0)
                text[at] = static_cast<std::uint8_t>(text[at] - 'a' + 'A');
            if (w + 1 < words && rng() % 9 == 0)
                text.push_back(',');
            if (text.size() - lineStart > 72) {
                text.push_back('\n');
                lineStart = text.size();
            } else if (w + 1 < words) {
                text.push_back(' ');
            }
        }
        text.push_back('.');
        text.push_back(' ');
    }
    text.resize(size);
    return text;
}

Bytes ExecutableBytes(std::size_t size) {
    std::ifstream in("/proc/self/exe", std::ios::binary);
    const Bytes image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Bytes out;
    out.reserve(size);
    while (!image.empty() && out.size() < size)
        out.insert(out.end(), image.begin(),
                   image.begin() +
                       static_cast<std::ptrdiff_t>(std::min(image.size(), size - out.size())));
    return out;
}

Bytes RandomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937_64 rng(seed);
    Bytes out(size);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(rng() >> 56);
    return out;
}

namespace {

// True when some earlier copy of the `length` bytes at `start`, within the ring's reach, is
// followed by `next`: the coder would then take a longer match than the copy.
bool WouldExtend(const Bytes& in, std::size_t start, int length, std::uint8_t next) {
    const std::size_t from = start >= 4090 ? start - 4090 : 0;
    for (std::size_t p = from; p < start; ++p)
        if (in[p + static_cast<std::size_t>(length)] == next && in[p] == in[start] &&
            std::memcmp(&in[p], &in[start], static_cast<std::size_t>(length)) == 0)
            return true;
    return false;
}

} // namespace

Bytes LongCodeInput() {
    // Each length must outweigh everything merged before the one below it, so that every
    // unused symbol ends up beneath a chain of eight matches.
    const std::array<double, 8> weights{337, 345, 707, 1086, 1864, 3059, 5109, 8474};
    double total = 0;
    for (double w : weights)
        total += w;
    std::mt19937 rng(1);
    Bytes in = RandomBytes(4096, 1);
    std::array<double, 8> credit{};
    std::size_t previousStart = 0;
    int previousLength = 0;
    for (int copy = 0; copy < 150000; ++copy) {
        std::size_t pick = 0;
        for (std::size_t i = 0; i < weights.size(); ++i) {
            credit[i] += weights[i];
            if (credit[i] > credit[pick])
                pick = i;
        }
        credit[pick] -= total;
        const int length = 3 + static_cast<int>(pick);
        std::size_t source = 0;
        for (int attempt = 0; attempt < 50; ++attempt) {
            source = in.size() - 4000 + rng() % (4000 - 64);
            if (previousLength == 0 || !WouldExtend(in, previousStart, previousLength, in[source]))
                break;
        }
        previousStart = in.size();
        previousLength = length;
        for (int k = 0; k < length; ++k)
            in.push_back(in[source + static_cast<std::size_t>(k)]);
    }
    const Bytes tail = RandomBytes(40, 2);
    in.insert(in.end(), tail.begin(), tail.end());
    return in;
}

} // namespace lzh_inputs
