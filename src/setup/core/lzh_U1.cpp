#include "lzh_U1.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <new>

#if defined(__SSE2__) && !defined(LZH_SCALAR)
#include <emmintrin.h>
#endif

namespace setup {

namespace lzh {

namespace {

PositionTables BuildPositionTables() {
    // How many of the 64 upper-position values get a code of 3, 4, ..., 8 bits.
    constexpr std::array<int, 6> countsByLength{1, 3, 8, 12, 24, 16};
    PositionTables t{};
    unsigned code = 0; // the next code, left-aligned in a byte
    int index = 0;
    for (int length = 3; length <= 8; ++length) {
        for (int k = 0; k < countsByLength[length - 3]; ++k, ++index) {
            t.p_len[index] = static_cast<std::uint8_t>(length);
            t.p_code[index] = static_cast<std::uint8_t>(code);
            const unsigned span = 1u << (8 - length);
            for (unsigned b = code; b < code + span; ++b) {
                t.d_code[b] = static_cast<std::uint8_t>(index);
                t.d_len[b] = static_cast<std::uint8_t>(length);
            }
            code += span;
        }
    }
    return t;
}

} // namespace

const PositionTables& positionTables() {
    static const PositionTables tables = BuildPositionTables();
    return tables;
}

} // namespace lzh

namespace {

using namespace lzh;

constexpr int N = kRingSize;
constexpr int F = kLookAhead;
constexpr int T = kTreeSize;
constexpr int R = kRoot;
constexpr int kRingMask = N - 1;
constexpr int kWordPad = 8; // lets the match search and the frequency scan read whole words

// The seven working tables of one run. They start zero-filled, as fixed tables would.
struct TLzhTables {
    std::uint8_t TextBuf[N + F - 1 + kWordPad];
    // MatchLeft and MatchRight side by side: the left child of p at 2p, the right at 2p + 1,
    // so the search picks a side by arithmetic instead of a branch.
    std::int16_t MatchChildren[2 * (N + 257)];
    std::int16_t MatchParent[N + 1];
    std::uint16_t HuffFreq[T + 1 + kWordPad];
    std::int16_t HuffParent[T + kSymbolCount];
    std::int16_t HuffChild[T];
};

std::unique_ptr<TLzhTables> AllocTables() {
    try {
        return std::make_unique<TLzhTables>(); // value-initialised: all zero
    } catch (const std::bad_alloc&) {
        throw ElzhException(kLzhAllocMessage);
    }
}

// ---- adaptive Huffman tree ---------------------------------------------------------------

class THuffTree {
public:
    explicit THuffTree(TLzhTables& t)
        : freq_(t.HuffFreq), parent_(t.HuffParent), child_(t.HuffChild) {}

    void StartHuff() {
        topStale_ = true;
        for (int s = 0; s < kSymbolCount; ++s) {
            freq_[s] = 1;
            child_[s] = static_cast<std::int16_t>(s + T);
            parent_[s + T] = static_cast<std::int16_t>(s);
        }
        for (int i = 0, j = kSymbolCount; j <= R; i += 2, ++j) {
            freq_[j] = static_cast<std::uint16_t>(freq_[i] + freq_[i + 1]);
            child_[j] = static_cast<std::int16_t>(i);
            parent_[i] = parent_[i + 1] = static_cast<std::int16_t>(j);
        }
        freq_[T] = 0xFFFF;
        parent_[R] = 0;
    }

    void UpdateFreq(int symbol) {
        if (freq_[R] == kMaxFrequency)
            Reconst();
        ClimbFrom(parent_[symbol + T]);
    }

    // From node c up to and including the root; a parent 0 ends the climb, as in the classic
    // loop.
    void ClimbFrom(int c) {
        do {
            const unsigned k = ++freq_[c];
            if (k > freq_[c + 1]) {
                const int l = LastBelow(c + 2, k);
                SwapNodes(c, l, k);
                c = l;
            }
            c = parent_[c];
        } while (c != 0);
    }

    // UpdateFreq for a symbol whose path the caller knows: `count` nodes from the one holding
    // the leaf (at `from`) up to the root, `Step` apart in memory. Up to the first swap the
    // parents come from the path instead of one dependent load after the other.
    template <int Step> void UpdateFreqAlong(int symbol, const std::int16_t* from, int count) {
        if (freq_[R] == kMaxFrequency) {
            UpdateFreq(symbol); // the rebuild moves every node
            return;
        }
        for (int i = 0; i < count; ++i) {
            const int c = from[i * Step];
            if (c == 0 && i > 0)
                return; // a parent 0 ends the climb, as in the classic loop
            const unsigned k = ++freq_[c];
            if (k > freq_[c + 1]) {
                const int l = LastBelow(c + 2, k);
                SwapNodes(c, l, k);
                if (parent_[l] != 0)
                    ClimbFrom(parent_[l]);
                return;
            }
        }
    }

    // Bits of the symbol's code from the root down, left-aligned; gives the length, or 0 when
    // the code is longer than 64 bits. `path` gets the nodes from the leaf's up to the root.
    int CodeOf(int symbol, std::uint64_t& code, std::int16_t* path) const {
        std::uint64_t bits = 0;
        int length = 0;
        int k = parent_[symbol + T];
        for (; k != R; k = parent_[k]) {
            path[length] = static_cast<std::int16_t>(k);
            bits = (bits >> 1) | (static_cast<std::uint64_t>(k & 1) << 63);
            ++length;
        }
        path[length] = static_cast<std::int16_t>(R);
        code = bits;
        return length <= 64 ? length : 0;
    }

    // The decoder's table of the top levels copies the child links of the watched nodes; a swap
    // that changes one of them, or a rebuild, makes the table stale.
    void SetWatched(int node, bool watched) { watched_[static_cast<std::size_t>(node)] = watched; }
    void ClearWatched() { watched_.fill(false); }
    void MarkTopFresh() { topStale_ = false; }
    bool TopStale() const { return topStale_; }

    int RootChild() const { return child_[R]; }
    int Child(int node) const { return child_[node]; }
    int Parent(int node) const { return parent_[node]; }

private:
    // The first index from `from` on whose frequency is not below k, less one. The sentinel
    // 0xFFFF at T stops the scan.
    int LastBelow(int from, unsigned k) const {
        int j = from;
#if defined(__SSE2__) && !defined(LZH_SCALAR)
        const __m128i limit = _mm_set1_epi16(static_cast<short>(k - 1));
        const __m128i zero = _mm_setzero_si128();
        for (;;) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(freq_ + j));
            const __m128i below = _mm_cmpeq_epi16(_mm_subs_epu16(v, limit), zero);
            const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(below));
            if (mask != 0xFFFF)
                return j + std::countr_one(mask) / 2 - 1;
            j += 8;
        }
#else
        while (k > freq_[j])
            ++j;
        return j - 1;
#endif
    }

    void SwapNodes(int c, int l, unsigned k) {
        if (watched_[static_cast<std::size_t>(c)] || watched_[static_cast<std::size_t>(l)])
            topStale_ = true;
        freq_[c] = freq_[l];
        freq_[l] = static_cast<std::uint16_t>(k);
        const int i = child_[c];
        PointParentsAt(i, l);
        const int j = child_[l];
        child_[l] = static_cast<std::int16_t>(i);
        PointParentsAt(j, c);
        child_[c] = static_cast<std::int16_t>(j);
    }

    // An inner node's two children are at childValue and childValue + 1; a leaf stands alone
    // (its parent is then written twice, which spares an unpredictable branch).
    void PointParentsAt(int childValue, int node) {
        parent_[childValue] = static_cast<std::int16_t>(node);
        parent_[childValue + (childValue < T ? 1 : 0)] = static_cast<std::int16_t>(node);
    }

    void Reconst() {
        topStale_ = true;
        int j = 0;
        for (int i = 0; i < T; ++i) {
            if (child_[i] >= T) {
                freq_[j] = static_cast<std::uint16_t>((freq_[i] + 1u) / 2);
                child_[j] = child_[i];
                ++j;
            }
        }
        for (int i = 0, n = kSymbolCount; n < T; i += 2, ++n) {
            const unsigned f = freq_[i] + freq_[i + 1];
            freq_[n] = static_cast<std::uint16_t>(f);
            int k = n - 1;
            while (f < freq_[k])
                --k;
            ++k;
            const std::size_t moved = static_cast<std::size_t>(n - k);
            std::memmove(&freq_[k + 1], &freq_[k], moved * sizeof(freq_[0]));
            freq_[k] = static_cast<std::uint16_t>(f);
            std::memmove(&child_[k + 1], &child_[k], moved * sizeof(child_[0]));
            child_[k] = static_cast<std::int16_t>(i);
        }
        for (int i = 0; i < T; ++i)
            PointParentsAt(child_[i], i);
    }

    std::uint16_t* freq_;
    std::int16_t* parent_;
    std::int16_t* child_;
    std::array<bool, T> watched_{};
    bool topStale_ = true;
};

// ---- byte blocks over the callbacks --------------------------------------------------------

constexpr std::uint16_t kBlock = 32768;

class TBlockReader {
public:
    explicit TBlockReader(TLzhInput& input) : input_(input) {}

    // Gives the next input byte, or -1 at the end of the input.
    int Next() {
        if (pos_ == size_ && !Fetch())
            return -1;
        return buffer_[pos_++];
    }

    // Up to `wanted` bytes straight from the block; 0 at the end of the input.
    std::size_t Take(const std::uint8_t*& bytes, std::size_t wanted) {
        if (pos_ == size_ && !Fetch())
            return 0;
        const std::size_t n = std::min(wanted, size_ - pos_);
        bytes = buffer_ + pos_;
        pos_ += n;
        return n;
    }

private:
    bool Fetch() {
        if (ended_)
            return false;
        size_ = input_.GetBytes(buffer_, kBlock);
        pos_ = 0;
        ended_ = size_ == 0;
        return !ended_;
    }

    TLzhInput& input_;
    std::uint8_t buffer_[kBlock];
    std::size_t pos_ = 0;
    std::size_t size_ = 0;
    bool ended_ = false;
};

class TBlockWriter {
public:
    explicit TBlockWriter(TLzhOutput& output) : output_(output) {}
    ~TBlockWriter() = default;

    // Room for at least `n` more bytes at Cursor().
    void Reserve(std::size_t n) {
        if (size_ + n > kBlock)
            Flush();
    }
    std::uint8_t* Cursor() { return buffer_ + size_; }
    void Advance(std::size_t n) { size_ += n; }
    void Put(std::uint8_t b) {
        Reserve(1);
        buffer_[size_++] = b;
    }
    void Flush() {
        if (size_ > 0)
            output_.PutBytes(buffer_, static_cast<std::uint16_t>(size_));
        size_ = 0;
    }

private:
    TLzhOutput& output_;
    std::uint8_t buffer_[kBlock];
    std::size_t size_ = 0;
};

// ---- bit input and output ------------------------------------------------------------------

struct TBitState {
    std::uint64_t buffer; // the next bits, most significant first
    int count;            // how many of them are valid
};

class TBitReader {
public:
    explicit TBitReader(TLzhInput& input) : bytes_(input) {}

    // Gives at least 56 valid bits; past the end of the input they are zero.
    TBitState Refill(TBitState s) {
        if (avail_ >= 8) [[likely]]
            return RefillWord(s);
        return RefillBytes(s);
    }

private:
    // Tops the buffer up from eight bytes at once, without a branch; needs s.count < 64.
    TBitState RefillWord(TBitState s) {
        std::uint64_t v;
        std::memcpy(&v, next_, 8);
        if constexpr (std::endian::native == std::endian::little)
            v = __builtin_bswap64(v);
        s.buffer |= v >> s.count;
        const int taken = (63 - s.count) >> 3;
        next_ += taken;
        avail_ -= static_cast<std::size_t>(taken);
        s.count |= 56;
        return s;
    }

    TBitState RefillBytes(TBitState s) {
        while (s.count <= 56) {
            if (avail_ >= 8) {
                std::uint64_t v;
                std::memcpy(&v, next_, 8);
                if constexpr (std::endian::native == std::endian::little)
                    v = __builtin_bswap64(v);
                s.buffer |= v >> s.count;
                const int taken = (63 - s.count) >> 3;
                next_ += taken;
                avail_ -= static_cast<std::size_t>(taken);
                s.count |= 56;
                return s;
            }
            if (avail_ == 0 && (avail_ = bytes_.Take(next_, kBlock)) == 0) {
                s.count = 64; // the zero bits below the held ones
                return s;
            }
            s.buffer |= static_cast<std::uint64_t>(*next_++) << (56 - s.count);
            --avail_;
            s.count += 8;
        }
        return s;
    }

    TBlockReader bytes_;
    const std::uint8_t* next_ = nullptr;
    std::size_t avail_ = 0;
};

class TBitWriter {
public:
    explicit TBitWriter(TLzhOutput& output) : bytes_(output) {}

    // `code` holds the code in its top `length` bits (length <= 64).
    void PutCode(int length, std::uint64_t code) {
        if (length > 32) {
            PutWord(32, code);
            code <<= 32;
            length -= 32;
        }
        PutWord(length, code);
    }

    // Writes the pending bits, the last byte padded with zero bits.
    void EncodeEnd() {
        while (pending_ > 0) {
            bytes_.Put(static_cast<std::uint8_t>(buffer_ >> 56));
            buffer_ <<= 8;
            pending_ = std::max(0, pending_ - 8);
        }
        bytes_.Flush();
    }

private:
    void PutWord(int length, std::uint64_t code) {
        buffer_ |= code >> pending_;
        pending_ += length;
        if (pending_ >= 32) {
            bytes_.Reserve(4);
            std::uint8_t* out = bytes_.Cursor();
            for (int i = 0; i < 4; ++i)
                out[i] = static_cast<std::uint8_t>(buffer_ >> (56 - 8 * i));
            bytes_.Advance(4);
            buffer_ <<= 32;
            pending_ -= 32;
        }
    }

    TBlockWriter bytes_;
    std::uint64_t buffer_ = 0;
    int pending_ = 0;
};

// ---- encoder -------------------------------------------------------------------------------

class TEncoder {
public:
    TEncoder(TLzhTables& t, TLzhOutput& output, TLzhInput& input)
        : text_(t.TextBuf), kids_(t.MatchChildren), parent_(t.MatchParent), tree_(t), bits_(output),
          input_(input) {}

    std::uint32_t LZHPack() {
        tree_.StartHuff();
        InitTree();
        int s = 0;
        int r = kStartPosition;
        std::memset(text_, kRingPreset, kStartPosition);
        int len = 0;
        for (int c; len < F && (c = input_.Next()) >= 0; ++len)
            text_[r + len] = static_cast<std::uint8_t>(c);
        std::uint32_t textSize = static_cast<std::uint32_t>(len);
        for (int i = 1; i <= F; ++i)
            InsertNode(r - i);
        InsertNode(r);
        do {
            if (matchLength_ > len)
                matchLength_ = len;
            if (matchLength_ <= kThreshold) {
                matchLength_ = 1;
                EncodeChar(text_[r]);
            } else {
                EncodeChar(255 - kThreshold + matchLength_);
                EncodePosition(matchPosition_);
            }
            const int last = matchLength_;
            int i = 0;
            for (int c; i < last && (c = input_.Next()) >= 0; ++i) {
                DeleteNode(s);
                text_[s] = static_cast<std::uint8_t>(c);
                if (s < F - 1)
                    text_[s + N] = static_cast<std::uint8_t>(c);
                s = (s + 1) & kRingMask;
                r = (r + 1) & kRingMask;
                InsertNode(r);
            }
            textSize += static_cast<std::uint32_t>(i);
            while (i++ < last) {
                DeleteNode(s);
                s = (s + 1) & kRingMask;
                r = (r + 1) & kRingMask;
                if (--len != 0)
                    InsertNode(r);
            }
        } while (len > 0);
        bits_.EncodeEnd();
        return textSize;
    }

private:
    void InitTree() {
        for (int i = N + 1; i <= N + 256; ++i)
            Right(i) = kNil;
        for (int i = 0; i < N; ++i)
            parent_[i] = kNil;
    }

    // Eight bytes as a big-endian number, so that comparing two words compares the strings.
    static std::uint64_t LoadWord(const std::uint8_t* at) {
        std::uint64_t w;
        std::memcpy(&w, at, 8);
        if constexpr (std::endian::native == std::endian::little)
            w = __builtin_bswap64(w);
        return w;
    }

    // Common prefix length (at most F) of the strings at key and b, whose first 9 bytes are
    // equal; `side` gets 1 when key's first unequal byte is the greater (unsigned), else 0.
    static int LongCommonPrefix(const std::uint8_t* key, const std::uint8_t* b, int& side) {
        for (int i = 9; i < F; i += 8) {
            const std::uint64_t x = LoadWord(key + i);
            const std::uint64_t y = LoadWord(b + i);
            if (x != y) {
                side = x > y ? 1 : 0;
                const int at = i + std::countl_zero(x ^ y) / 8;
                return at < F ? at : F;
            }
        }
        return F;
    }

    // The search walks down one tree; at each node it fetches both children and their first
    // words before the comparison has chosen between them, which keeps the walk from waiting
    // on two loads in a row per node.
    void InsertNode(int r) {
        const std::uint8_t* const text = text_;
        std::int16_t* const kids = kids_;
        const std::uint8_t* key = &text[r];
        const std::uint64_t keyWord = LoadWord(key + 1);
        kids[2 * r] = kids[2 * r + 1] = kNil;
        int p = N + 1 + key[0]; // a root: its one child is on the right
        int next = kids[2 * p + 1];
        int side = 1;
        int length = 0;
        int position = matchPosition_;
        std::uint64_t word = LoadWord(&text[next + 1]);
        while (next != kNil) {
            p = next;
            const int leftChild = kids[2 * p];
            const int rightChild = kids[2 * p + 1];
            const std::uint64_t leftWord = LoadWord(&text[leftChild + 1]);
            const std::uint64_t rightWord = LoadWord(&text[rightChild + 1]);
            int i;
            if (keyWord != word) {
                side = keyWord > word ? 1 : 0;
                i = 1 + std::countl_zero(keyWord ^ word) / 8;
            } else {
                i = LongCommonPrefix(key, &text[p], side);
            }
            if (i > kThreshold) {
                const int d = ((r - p) & kRingMask) - 1;
                if (i > length) {
                    position = d;
                    length = i;
                    if (i >= F) {
                        Found(length, position);
                        ReplaceNode(p, r);
                        return;
                    }
                } else if (i == length && d < position) {
                    position = d; // of equal lengths the nearest earlier string wins
                }
            }
            next = side ? rightChild : leftChild;
            word = side ? rightWord : leftWord;
        }
        kids[2 * p + side] = static_cast<std::int16_t>(r);
        parent_[r] = static_cast<std::int16_t>(p);
        Found(length, position);
    }

    void Found(int length, int position) {
        matchLength_ = length;
        matchPosition_ = position;
    }

    void ReplaceNode(int p, int r) {
        parent_[r] = parent_[p];
        Left(r) = Left(p);
        Right(r) = Right(p);
        parent_[Left(p)] = static_cast<std::int16_t>(r);
        parent_[Right(p)] = static_cast<std::int16_t>(r);
        std::int16_t* link = Right(parent_[p]) == p ? &Right(parent_[p]) : &Left(parent_[p]);
        *link = static_cast<std::int16_t>(r);
        parent_[p] = kNil;
    }

    void DeleteNode(int p) {
        if (parent_[p] == kNil)
            return;
        int q;
        if (Right(p) == kNil) {
            q = Left(p);
        } else if (Left(p) == kNil) {
            q = Right(p);
        } else {
            q = Left(p);
            if (Right(q) != kNil) {
                do {
                    q = Right(q);
                } while (Right(q) != kNil);
                Right(parent_[q]) = Left(q);
                parent_[Left(q)] = parent_[q];
                Left(q) = Left(p);
                parent_[Left(p)] = static_cast<std::int16_t>(q);
            }
            Right(q) = Right(p);
            parent_[Right(p)] = static_cast<std::int16_t>(q);
        }
        parent_[q] = parent_[p];
        std::int16_t* link = Right(parent_[p]) == p ? &Right(parent_[p]) : &Left(parent_[p]);
        *link = static_cast<std::int16_t>(q);
        parent_[p] = kNil;
    }

    void EncodeChar(int symbol) {
        std::uint64_t code = 0;
        const int length = tree_.CodeOf(symbol, code, path_);
        if (length > 0) {
            bits_.PutCode(length, code);
            tree_.UpdateFreqAlong<1>(symbol, path_, length + 1);
        } else {
            PutLongCode(symbol);
            tree_.UpdateFreq(symbol);
        }
    }

    // A code too long for one word: collect the path and emit it root first, bit by bit.
    void PutLongCode(int symbol) {
        int path[T];
        int length = 0;
        for (int k = tree_.Parent(symbol + T); k != R; k = tree_.Parent(k))
            path[length++] = k & 1;
        while (length > 0)
            bits_.PutCode(1, static_cast<std::uint64_t>(path[--length]) << 63);
    }

    void EncodePosition(int d) {
        const PositionTables& pt = positionTables();
        const int upper = d >> 6;
        const std::uint64_t low = static_cast<std::uint64_t>(d & 63);
        const std::uint64_t code =
            (static_cast<std::uint64_t>(pt.p_code[upper]) << 56) | (low << (58 - pt.p_len[upper]));
        bits_.PutCode(pt.p_len[upper] + 6, code);
    }

    std::uint8_t* text_;
    std::int16_t& Left(int p) { return kids_[2 * p]; }
    std::int16_t& Right(int p) { return kids_[2 * p + 1]; }

    std::int16_t* kids_;
    std::int16_t* parent_;
    THuffTree tree_;
    TBitWriter bits_;
    TBlockReader input_;
    int matchPosition_ = 0;
    int matchLength_ = 0;
    std::int16_t path_[T + 1];
};

// ---- decoder -------------------------------------------------------------------------------

// The first kTopBits bits of a code, looked up at once: the nodes they pass and where they lead
// (an inner node to go on from, or a leaf when the code is that short).
constexpr int kTopBits = 4;

struct TTopStep {
    std::int16_t path[kTopBits];
    std::int16_t next;
    std::int16_t depth;
};

class TTopTable {
public:
    // Walks the top levels once, prefix after prefix in increasing order; each prefix goes on
    // from the depth where it parts from the one before.
    void Rebuild(THuffTree& tree) {
        tree.ClearWatched();
        int reached[kTopBits + 1]; // where the first d bits of the current prefix lead
        reached[0] = tree.RootChild();
        TTopStep step{};
        int depth = 0;
        unsigned prefix = 0;
        while (prefix < (1u << kTopBits)) {
            int c = reached[depth];
            while (c < T && depth < kTopBits) {
                const int node = c + static_cast<int>((prefix >> (kTopBits - 1 - depth)) & 1);
                tree.SetWatched(node, true);
                step.path[depth++] = static_cast<std::int16_t>(node);
                c = tree.Child(node);
                reached[depth] = c;
            }
            step.next = static_cast<std::int16_t>(c);
            step.depth = static_cast<std::int16_t>(depth);
            const unsigned span = 1u << (kTopBits - depth);
            std::fill_n(steps_ + prefix, span, step);
            prefix += span;
            depth = kTopBits - 1 - std::countr_zero(prefix); // the bits shared with the last
        }
        tree.MarkTopFresh();
    }
    const TTopStep& operator[](std::uint64_t prefix) const { return steps_[prefix]; }

private:
    TTopStep steps_[1u << kTopBits];
};

// The output block doubles as the ring: the N bytes before the block's start are the history,
// so matches copy from the contiguous output and nothing goes through a ring index.
constexpr std::size_t kCopySlack = 64; // a match copy may write up to this far past its end

class TDecoder {
public:
    TDecoder(TLzhOutput& output, TLzhInput& input) : input_(input), output_(output) {}

    // The hot state lives in locals: stores through byte pointers would otherwise force every
    // member back to memory.
    void LZHUnpack(std::int64_t count) {
        THuffTree tree(tables_);
        tree.StartHuff();
        std::uint8_t* const start = PresetHistory();
        const PositionTables& pt = positionTables();
        TBitState bits{};
        std::int16_t path[T + 1];
        path[0] = R;
        std::uint8_t* out = start;
        std::uint8_t* const flushAt = start + kBlock - kCopySlack;
        while (count > 0) {
            if (out > flushAt)
                out = Flush(out);
            bits = input_.Refill(bits);
            int depth = 0;
            const int symbol = DecodeChar(tree, bits, path, depth);
            tree.UpdateFreqAlong<-1>(symbol, path + depth, depth + 1);
            if (symbol < 256) {
                *out++ = static_cast<std::uint8_t>(symbol);
                --count;
                continue;
            }
            const int distance = DecodePosition(pt, bits) + 1;
            const int length = static_cast<int>(std::min<std::int64_t>(symbol - 253, count));
            CopyMatch(out, distance, length);
            out += length;
            count -= length;
        }
        Flush(out);
    }

private:
    // Walks down from the root; `path` gets the nodes passed, from path[1] to path[depth].
    int DecodeChar(THuffTree& tree, TBitState& bits, std::int16_t* path, int& depth) {
        if (tree.TopStale())
            top_.Rebuild(tree);
        const TTopStep& step = top_[bits.buffer >> (64 - kTopBits)];
        std::memcpy(path + 1, step.path, sizeof step.path);
        depth = step.depth;
        bits.buffer <<= depth;
        bits.count -= depth;
        int c = step.next;
        while (c < T) {
            if (bits.count == 0)
                bits = input_.Refill(bits);
            const int node = c + static_cast<int>(bits.buffer >> 63);
            path[++depth] = static_cast<std::int16_t>(node);
            c = tree.Child(node);
            bits.buffer <<= 1;
            --bits.count;
        }
        return c - T;
    }

    // Needs at least 14 valid bits.
    static int DecodePosition(const PositionTables& pt, TBitState& bits) {
        const unsigned first = static_cast<unsigned>(bits.buffer >> 56);
        const int extra = pt.d_len[first] - 2;
        const unsigned low = static_cast<unsigned>(bits.buffer >> (56 - extra)) & 63;
        bits.buffer <<= 8 + extra;
        bits.count -= 8 + extra;
        return static_cast<int>((unsigned{pt.d_code[first]} << 6) | low);
    }

    // The history as the ring starts: 60 zero bytes (the unwritten look-ahead) and then spaces,
    // oldest first. Gives where the output starts.
    std::uint8_t* PresetHistory() {
        std::memset(window_, 0, N - kStartPosition);
        std::memset(window_ + (N - kStartPosition), kRingPreset, kStartPosition);
        return window_ + N;
    }

    static void CopyMatch(std::uint8_t* out, int distance, int length) {
        const std::uint8_t* from = out - distance;
        if (distance >= 16) {
            // Sixteen at a time: every chunk read lies before the bytes it writes.
            for (int k = 0; k < length; k += 16)
                std::memcpy(out + k, from + k, 16);
            return;
        }
        for (int k = 0; k < length; ++k) // the source overlaps the bytes being written
            out[k] = from[k];
    }

    // Hands on the block and keeps its last N bytes as the history.
    std::uint8_t* Flush(std::uint8_t* end) {
        std::uint8_t* const start = window_ + N;
        if (end > start)
            output_.PutBytes(start, static_cast<std::uint16_t>(end - start));
        std::memmove(window_, end - N, N);
        return start;
    }

    TLzhTables tables_{};
    TTopTable top_{};
    TBitReader input_;
    TLzhOutput& output_;
    std::uint8_t window_[N + kBlock + kCopySlack] = {};
};

} // namespace

std::uint32_t LZHPack(TLzhOutput& output, TLzhInput& input) {
    std::unique_ptr<TLzhTables> tables = AllocTables();
    auto encoder = std::make_unique<TEncoder>(*tables, output, input);
    return encoder->LZHPack();
}

void LZHUnpack(std::int32_t count, TLzhOutput& output, TLzhInput& input) {
    std::unique_ptr<TDecoder> decoder;
    try {
        decoder = std::make_unique<TDecoder>(output, input);
    } catch (const std::bad_alloc&) {
        throw ElzhException(kLzhAllocMessage);
    }
    decoder->LZHUnpack(count);
}

} // namespace setup
