#include "LzhTranscription.h"

#include <cstring>
#include <memory>

namespace lzh_transcription {

namespace {

thread_local int longestCode = 0;

constexpr int N = 4096;
constexpr int F = 60;
constexpr int THRESHOLD = 2;
constexpr int NIL = N;
constexpr int N_CHAR = 256 - THRESHOLD + F;
constexpr int T = N_CHAR * 2 - 1;
constexpr int R = T - 1;
constexpr unsigned MAX_FREQ = 0x8000;

// The core's callbacks are method pointers (an object and a routine), called once per byte;
// the routines stay real calls, as they are in a coder whose callers live elsewhere.
struct MemoryIo {
    std::span<const std::uint8_t> in;
    std::size_t pos = 0;
    std::vector<std::uint8_t>* out = nullptr;
};

[[gnu::noinline]] std::uint16_t GetBytes(void* self, std::uint8_t* buffer,
                                         std::uint16_t requested) {
    auto& io = *static_cast<MemoryIo*>(self);
    const std::size_t left = io.in.size() - io.pos;
    const std::uint16_t actual = left < requested ? static_cast<std::uint16_t>(left) : requested;
    if (actual > 0)
        std::memcpy(buffer, io.in.data() + io.pos, actual);
    io.pos += actual;
    return actual;
}

[[gnu::noinline]] std::uint16_t PutBytes(void* self, const std::uint8_t* buffer,
                                         std::uint16_t count) {
    auto& io = *static_cast<MemoryIo*>(self);
    io.out->insert(io.out->end(), buffer, buffer + count);
    return count;
}

struct InputCallback {
    void* self;
    std::uint16_t (*routine)(void*, std::uint8_t*, std::uint16_t);
};

struct OutputCallback {
    void* self;
    std::uint16_t (*routine)(void*, const std::uint8_t*, std::uint16_t);
};

struct State {
    std::uint8_t p_len[64]{};
    std::uint8_t p_code[64]{};
    std::uint8_t d_code[256]{};
    std::uint8_t d_len[256]{};

    std::uint8_t text_buf[N + F - 1]{};
    std::int16_t lson[N + 1]{};
    std::int16_t rson[N + 257]{};
    std::int16_t dad[N + 1]{};
    std::uint16_t freq[T + 1]{};
    std::int16_t prnt[T + N_CHAR]{};
    std::int16_t son[T]{};

    std::uint16_t getbuf = 0;
    std::uint8_t getlen = 0;
    std::uint16_t putbuf = 0;
    std::uint8_t putlen = 0;
    std::uint16_t match_position = 0;
    std::uint16_t match_length = 0;
    std::uint32_t textsize = 0;

    InputCallback input{};
    OutputCallback output{};

    State() {
        static const int counts[6] = {1, 3, 8, 12, 24, 16};
        int code = 0, idx = 0;
        for (int len = 3; len <= 8; len++)
            for (int k = 0; k < counts[len - 3]; k++, idx++) {
                p_len[idx] = static_cast<std::uint8_t>(len);
                p_code[idx] = static_cast<std::uint8_t>(code);
                for (int b = code; b < code + (1 << (8 - len)); b++) {
                    d_code[b] = static_cast<std::uint8_t>(idx);
                    d_len[b] = static_cast<std::uint8_t>(len);
                }
                code += 1 << (8 - len);
            }
    }

    int getc() {
        std::uint8_t b;
        return input.routine(input.self, &b, 1) == 1 ? b : -1;
    }
    void putc(int c) {
        std::uint8_t b = static_cast<std::uint8_t>(c);
        output.routine(output.self, &b, 1);
    }

    void InitTree() {
        for (int i = N + 1; i <= N + 256; i++)
            rson[i] = NIL;
        for (int i = 0; i < N; i++)
            dad[i] = NIL;
    }

    void InsertNode(int r) {
        int i, p, cmp;
        std::uint8_t* key;
        int c;

        cmp = 1;
        key = &text_buf[r];
        p = N + 1 + key[0];
        rson[r] = lson[r] = NIL;
        match_length = 0;
        for (;;) {
            if (cmp >= 0) {
                if (rson[p] != NIL)
                    p = rson[p];
                else {
                    rson[p] = static_cast<std::int16_t>(r);
                    dad[r] = static_cast<std::int16_t>(p);
                    return;
                }
            } else {
                if (lson[p] != NIL)
                    p = lson[p];
                else {
                    lson[p] = static_cast<std::int16_t>(r);
                    dad[r] = static_cast<std::int16_t>(p);
                    return;
                }
            }
            for (i = 1; i < F; i++)
                if ((cmp = key[i] - text_buf[p + i]) != 0)
                    break;
            if (i > THRESHOLD) {
                c = ((r - p) & (N - 1)) - 1;
                if (i > match_length) {
                    match_position = static_cast<std::uint16_t>(c);
                    if ((match_length = static_cast<std::uint16_t>(i)) >= F)
                        break;
                } else if (i == match_length) {
                    if (c < match_position)
                        match_position = static_cast<std::uint16_t>(c);
                }
            }
        }
        dad[r] = dad[p];
        lson[r] = lson[p];
        rson[r] = rson[p];
        dad[lson[p]] = static_cast<std::int16_t>(r);
        dad[rson[p]] = static_cast<std::int16_t>(r);
        if (rson[dad[p]] == p)
            rson[dad[p]] = static_cast<std::int16_t>(r);
        else
            lson[dad[p]] = static_cast<std::int16_t>(r);
        dad[p] = NIL;
    }

    void DeleteNode(int p) {
        int q;
        if (dad[p] == NIL)
            return;
        if (rson[p] == NIL)
            q = lson[p];
        else if (lson[p] == NIL)
            q = rson[p];
        else {
            q = lson[p];
            if (rson[q] != NIL) {
                do {
                    q = rson[q];
                } while (rson[q] != NIL);
                rson[dad[q]] = lson[q];
                dad[lson[q]] = dad[q];
                lson[q] = lson[p];
                dad[lson[p]] = static_cast<std::int16_t>(q);
            }
            rson[q] = rson[p];
            dad[rson[p]] = static_cast<std::int16_t>(q);
        }
        dad[q] = dad[p];
        if (rson[dad[p]] == p)
            rson[dad[p]] = static_cast<std::int16_t>(q);
        else
            lson[dad[p]] = static_cast<std::int16_t>(q);
        dad[p] = NIL;
    }

    int GetBit() {
        int i;
        while (getlen <= 8) {
            if ((i = getc()) < 0)
                i = 0;
            getbuf = static_cast<std::uint16_t>(getbuf | (i << (8 - getlen)));
            getlen = static_cast<std::uint8_t>(getlen + 8);
        }
        i = getbuf;
        getbuf = static_cast<std::uint16_t>(getbuf << 1);
        getlen--;
        return (i & 0x8000) ? 1 : 0;
    }

    int GetByte() {
        unsigned i;
        while (getlen <= 8) {
            int c = getc();
            if (c < 0)
                c = 0;
            getbuf = static_cast<std::uint16_t>(getbuf | (c << (8 - getlen)));
            getlen = static_cast<std::uint8_t>(getlen + 8);
        }
        i = getbuf;
        getbuf = static_cast<std::uint16_t>(getbuf << 8);
        getlen = static_cast<std::uint8_t>(getlen - 8);
        return static_cast<int>((i >> 8) & 0xFF);
    }

    void Putcode(int l, unsigned c) {
        putbuf = static_cast<std::uint16_t>(putbuf | (c >> putlen));
        if ((putlen = static_cast<std::uint8_t>(putlen + l)) >= 8) {
            putc(putbuf >> 8);
            if ((putlen = static_cast<std::uint8_t>(putlen - 8)) >= 8) {
                putc(putbuf & 0xFF);
                putlen = static_cast<std::uint8_t>(putlen - 8);
                putbuf = static_cast<std::uint16_t>(c << (l - putlen));
            } else {
                putbuf = static_cast<std::uint16_t>(putbuf << 8);
            }
        }
    }

    void StartHuff() {
        int i, j;
        for (i = 0; i < N_CHAR; i++) {
            freq[i] = 1;
            son[i] = static_cast<std::int16_t>(i + T);
            prnt[i + T] = static_cast<std::int16_t>(i);
        }
        i = 0;
        j = N_CHAR;
        while (j <= R) {
            freq[j] = static_cast<std::uint16_t>(freq[i] + freq[i + 1]);
            son[j] = static_cast<std::int16_t>(i);
            prnt[i] = prnt[i + 1] = static_cast<std::int16_t>(j);
            i += 2;
            j++;
        }
        freq[T] = 0xffff;
        prnt[R] = 0;
    }

    void reconst() {
        int i, j, k;
        unsigned f, l;
        j = 0;
        for (i = 0; i < T; i++) {
            if (son[i] >= T) {
                freq[j] = static_cast<std::uint16_t>((freq[i] + 1) / 2);
                son[j] = son[i];
                j++;
            }
        }
        for (i = 0, j = N_CHAR; j < T; i += 2, j++) {
            k = i + 1;
            f = freq[j] = static_cast<std::uint16_t>(freq[i] + freq[k]);
            for (k = j - 1; f < freq[k]; k--)
                ;
            k++;
            l = static_cast<unsigned>(j - k) * 2;
            std::memmove(&freq[k + 1], &freq[k], l);
            freq[k] = static_cast<std::uint16_t>(f);
            std::memmove(&son[k + 1], &son[k], l);
            son[k] = static_cast<std::int16_t>(i);
        }
        for (i = 0; i < T; i++) {
            if ((k = son[i]) >= T)
                prnt[k] = static_cast<std::int16_t>(i);
            else
                prnt[k] = prnt[k + 1] = static_cast<std::int16_t>(i);
        }
    }

    void update(int c) {
        int i, j, l;
        unsigned k;
        if (freq[R] == MAX_FREQ)
            reconst();
        c = prnt[c + T];
        do {
            k = ++freq[c];
            if (k > freq[l = c + 1]) {
                while (k > freq[++l])
                    ;
                l--;
                freq[c] = freq[l];
                freq[l] = static_cast<std::uint16_t>(k);
                i = son[c];
                prnt[i] = static_cast<std::int16_t>(l);
                if (i < T)
                    prnt[i + 1] = static_cast<std::int16_t>(l);
                j = son[l];
                son[l] = static_cast<std::int16_t>(i);
                prnt[j] = static_cast<std::int16_t>(c);
                if (j < T)
                    prnt[j + 1] = static_cast<std::int16_t>(c);
                son[c] = static_cast<std::int16_t>(j);
                c = l;
            }
        } while ((c = prnt[c]) != 0);
    }

    void EncodeChar(unsigned c) {
        std::uint32_t code = 0; // wide enough for codes over 16 bits
        int len = 0;
        int k = prnt[c + T];
        do {
            code >>= 1;
            if (k & 1)
                code += 0x80000000u;
            len++;
        } while ((k = prnt[k]) != R);
        if (len > longestCode)
            longestCode = len;
        for (; len > 16; len -= 16, code <<= 16)
            Putcode(16, code >> 16);
        Putcode(len, code >> 16);
        update(static_cast<int>(c));
    }

    void EncodePosition(unsigned c) {
        unsigned i = c >> 6;
        Putcode(p_len[i], static_cast<unsigned>(p_code[i]) << 8);
        Putcode(6, (c & 0x3f) << 10);
    }

    void EncodeEnd() {
        if (putlen)
            putc(putbuf >> 8);
    }

    int DecodeChar() {
        unsigned c = static_cast<unsigned>(son[R]);
        while (c < T) {
            c += static_cast<unsigned>(GetBit());
            c = static_cast<unsigned>(son[c]);
        }
        c -= T;
        update(static_cast<int>(c));
        return static_cast<int>(c);
    }

    int DecodePosition() {
        unsigned i, j, c;
        i = static_cast<unsigned>(GetByte());
        c = static_cast<unsigned>(d_code[i]) << 6;
        j = d_len[i];
        j -= 2;
        while (j--)
            i = (i << 1) + static_cast<unsigned>(GetBit());
        return static_cast<int>(c | (i & 0x3f));
    }

    void Encode() {
        int i, c, len, r, s, last_match_length;
        textsize = 0;
        StartHuff();
        InitTree();
        s = 0;
        r = N - F;
        for (i = s; i < r; i++)
            text_buf[i] = ' ';
        for (len = 0; len < F && (c = getc()) >= 0; len++)
            text_buf[r + len] = static_cast<std::uint8_t>(c);
        textsize = static_cast<std::uint32_t>(len);
        for (i = 1; i <= F; i++)
            InsertNode(r - i);
        InsertNode(r);
        do {
            if (match_length > len)
                match_length = static_cast<std::uint16_t>(len);
            if (match_length <= THRESHOLD) {
                match_length = 1;
                EncodeChar(text_buf[r]);
            } else {
                EncodeChar(255 - THRESHOLD + match_length);
                EncodePosition(match_position);
            }
            last_match_length = match_length;
            for (i = 0; i < last_match_length && (c = getc()) >= 0; i++) {
                DeleteNode(s);
                text_buf[s] = static_cast<std::uint8_t>(c);
                if (s < F - 1)
                    text_buf[s + N] = static_cast<std::uint8_t>(c);
                s = (s + 1) & (N - 1);
                r = (r + 1) & (N - 1);
                InsertNode(r);
            }
            textsize += static_cast<std::uint32_t>(i);
            while (i++ < last_match_length) {
                DeleteNode(s);
                s = (s + 1) & (N - 1);
                r = (r + 1) & (N - 1);
                if (--len)
                    InsertNode(r);
            }
        } while (len > 0);
        EncodeEnd();
    }

    std::vector<Symbol> DecodeSymbols(std::int32_t textsize_) {
        std::vector<Symbol> symbols;
        StartHuff();
        for (std::int32_t count = 0; count < textsize_;) {
            const int c = DecodeChar();
            if (c < 256) {
                symbols.push_back({c, -1});
                count++;
            } else {
                symbols.push_back({c, DecodePosition()});
                count += c - 253;
            }
        }
        return symbols;
    }

    void Decode(std::int32_t textsize_) {
        int i, j, k, r, c;
        std::int32_t count;
        StartHuff();
        for (i = 0; i < N - F; i++)
            text_buf[i] = ' ';
        r = N - F;
        for (count = 0; count < textsize_;) {
            c = DecodeChar();
            if (c < 256) {
                putc(c);
                text_buf[r++] = static_cast<std::uint8_t>(c);
                r &= (N - 1);
                count++;
            } else {
                i = (r - DecodePosition() - 1) & (N - 1);
                j = c - 255 + THRESHOLD;
                for (k = 0; k < j; k++) {
                    c = text_buf[(i + k) & (N - 1)];
                    putc(c);
                    text_buf[r++] = static_cast<std::uint8_t>(c);
                    r &= (N - 1);
                    count++;
                }
            }
        }
    }
};

} // namespace

int LongestCodeOfLastCompress() {
    return longestCode;
}

std::vector<std::uint8_t> Compress(std::span<const std::uint8_t> input) {
    longestCode = 0;
    std::vector<std::uint8_t> out;
    MemoryIo io;
    io.in = input;
    io.out = &out;
    auto state = std::make_unique<State>();
    state->input = {&io, GetBytes};
    state->output = {&io, PutBytes};
    state->Encode();
    for (int i = 0; i < 4; i++)
        out.push_back(static_cast<std::uint8_t>(state->textsize >> (8 * i)));
    return out;
}

namespace {

std::int32_t TrailerOf(std::span<const std::uint8_t> stream) {
    const std::uint8_t* t = stream.data() + stream.size() - 4;
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(t[0]) | static_cast<std::uint32_t>(t[1]) << 8 |
        static_cast<std::uint32_t>(t[2]) << 16 | static_cast<std::uint32_t>(t[3]) << 24);
}

} // namespace

std::vector<Symbol> DecodeSymbols(std::span<const std::uint8_t> stream) {
    if (stream.size() <= 4)
        return {};
    MemoryIo io;
    io.in = stream;
    auto state = std::make_unique<State>();
    state->input = {&io, GetBytes};
    state->output = {&io, PutBytes};
    return state->DecodeSymbols(TrailerOf(stream));
}

bool Decompress(std::span<const std::uint8_t> stream, std::vector<std::uint8_t>& output) {
    output.clear();
    if (stream.size() <= 4)
        return false;
    const std::int32_t size = TrailerOf(stream);
    MemoryIo io;
    io.in = stream;
    io.out = &output;
    auto state = std::make_unique<State>();
    state->input = {&io, GetBytes};
    state->output = {&io, PutBytes};
    state->Decode(size);
    return true;
}

} // namespace lzh_transcription
