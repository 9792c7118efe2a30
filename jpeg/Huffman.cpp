// Huffman tables, the entropy bit reader and the block decoders of sequential
// and progressive scans.
//
// The bit reader never reads past the data: once a marker or the end of the
// data stops the supply it hands out zero bits and counts them (padBits). A
// block that consumes such bits ends there, keeping what it had decoded, and
// marks the reader starved.
#include <cstring>

#include "jpeg/CodecInternal.h"

const uint8_t kNaturalOrder[80] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33,
    40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36,
    29, 22, 15, 23, 30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54,
    47, 55, 62, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63,
};

int buildHuffmanLookup(const uint8_t counts[16], const uint8_t* symbols, int tableClass, int id,
                       HuffmanLookup& t) {
    int total = 0;
    for (int i = 0; i < 16; ++i) total += counts[i];
    if (total > 257) return kJpegBadHuffmanTable;
    std::memset(&t, 0, sizeof t);
    t.tableClass = tableClass;
    t.id = id;
    int code = 0, k = 0;
    for (int len = 1; len <= 16; ++len) {
        int n = counts[len - 1];
        if (n == 0) {
            t.maxcode[len] = -1;
        } else {
            t.valptr[len] = k;
            t.mincode[len] = code;
            code += n;
            // More codes than the length can hold: the table cannot be canonical.
            if (code > (1 << len)) return kJpegBadHuffmanTable;
            t.maxcode[len] = code - 1;
            for (int i = 0; i < n; ++i, ++k) t.values[k] = symbols[k];
            if (len <= 8) {
                for (int c = t.mincode[len]; c <= t.maxcode[len]; ++c) {
                    int first = c << (8 - len), span = 1 << (8 - len);
                    uint32_t entry = t.values[t.valptr[len] + c - t.mincode[len]] | (uint32_t(len) << 16);
                    for (int j = 0; j < span; ++j) t.lookahead[first + j] = entry;
                }
            }
        }
        code <<= 1;
    }
    t.maxcode[17] = -1;
    if (tableClass == 1) {
        for (int look = 0; look < 512; ++look) {
            uint32_t e = t.lookahead[look >> 1];
            int len = static_cast<int>(e >> 16), sym = static_cast<int>(e & 0xFFFF);
            int run = sym >> 4, size = sym & 15;
            // The end of the block: its length alone (no value, no run).
            if (len && sym == 0) t.fastAc[look] = static_cast<int16_t>(len);
            if (!len || !size || size > 7 || len + size > 9) continue;
            int bits = (look >> (9 - len - size)) & ((1 << size) - 1);
            int value = (bits & (1 << (size - 1))) ? bits : bits - (1 << size) + 1;
            t.fastAc[look] = static_cast<int16_t>(value * 256 + (run << 4) + len + size);
        }
    }
    t.defined = 1;
    return 0;
}

namespace {

// Fills the bit buffer to at least 57 bits. After a marker or the end of the
// data the bits are zeros, counted in padBits.
inline int fill(StreamReader& r) {
    while (r.bitCount <= 56) {
        if (r.pendingMarker || (r.ptr >= r.end && !refillMore(r))) {
            r.bitBuffer <<= 8;
            r.bitCount += 8;
            r.padBits += 8;
            continue;
        }
        uint32_t c = *r.ptr++;
        if (c == 0xFF) {
            for (;;) {
                if (r.ptr >= r.end && !refillMore(r)) return kJpegDataError;
                if (*r.ptr != 0xFF) break;
                ++r.ptr;
            }
            uint32_t next = *r.ptr++;
            if (next != 0) {
                r.pendingMarker = static_cast<int32_t>(next);
                continue;
            }
        }
        r.bitBuffer = (r.bitBuffer << 8) | c;
        r.bitCount += 8;
    }
    return 0;
}

// True (and the reader marked) when the last bits taken were padding.
inline bool starved(StreamReader& r) {
    if (r.bitCount >= r.padBits) return false;
    r.bitCount = 0;
    r.padBits = 0;
    r.starved = 1;
    return true;
}

inline uint32_t peek(const StreamReader& r, int n) {
    return static_cast<uint32_t>(r.bitBuffer >> (r.bitCount - n)) & ((1u << n) - 1);
}

inline uint32_t take(StreamReader& r, int n) {
    uint32_t v = peek(r, n);
    r.bitCount -= n;
    return v;
}

// Needs at least 16 bits held.
inline int symbolFrom(StreamReader& r, const HuffmanLookup& t) {
    uint32_t e = t.lookahead[peek(r, 8)];
    if (e >> 16) {
        r.bitCount -= static_cast<int>(e >> 16);
        return static_cast<int>(e & 0xFFFF);
    }
    uint32_t code16 = peek(r, 16);
    for (int len = 9; len <= 16; ++len) {
        int code = static_cast<int>(code16 >> (16 - len));
        if (code <= t.maxcode[len]) {
            r.bitCount -= len;
            return t.values[t.valptr[len] + code - t.mincode[len]];
        }
    }
    r.bitCount -= 16;   // no code fits: symbol 0
    return 0;
}

inline void clearBlock(int16_t* block) { std::memset(block, 0, 64 * sizeof(int16_t)); }

inline int extend(uint32_t v, int s) {
    return (v & (1u << (s - 1))) ? static_cast<int>(v) : static_cast<int>(v) - (1 << s) + 1;
}

// One symbol and its magnitude bits need at most 31 bits.
#define VT_ENSURE_BITS(r)                   \
    if ((r).bitCount < 32) {                \
        int e_ = fill(r);                   \
        if (e_) return e_;                  \
    }

}  // namespace

int fillBits(StreamReader& r) { return fill(r); }

int decodeSymbol(StreamReader& r, const HuffmanLookup& t) {
    VT_ENSURE_BITS(r);
    return symbolFrom(r, t);
}

void dropBits(StreamReader& r) {
    r.bitCount = 0;
    r.padBits = 0;
}

int decodeBlock(StreamReader& r, const HuffmanLookup& dc, const HuffmanLookup& ac, int16_t& dcPred,
                int16_t* block) {
    clearBlock(block);
    VT_ENSURE_BITS(r);
    int s = symbolFrom(r, dc) & 15;
    int diff = s ? extend(take(r, s), s) : 0;
    if (starved(r)) return 0;
    dcPred = static_cast<int16_t>(dcPred + diff);
    block[0] = dcPred;
    for (int k = 1; k < 64;) {
        VT_ENSURE_BITS(r);
        // Most coefficients come whole from one 9-bit look.
        if (int fast = ac.fastAc[peek(r, 9)]) {
            r.bitCount -= fast & 15;
            if (starved(r)) return 0;
            if (!(fast >> 4)) break;   // end of block
            k += (fast >> 4) & 15;
            block[kNaturalOrder[k]] = static_cast<int16_t>(fast >> 8);
            ++k;
            continue;
        }
        int sym = symbolFrom(r, ac);
        int run = sym >> 4;
        s = sym & 15;
        if (s) {
            int v = extend(take(r, s), s);
            if (starved(r)) return 0;
            k += run;
            block[kNaturalOrder[k]] = static_cast<int16_t>(v);
            ++k;
        } else {
            if (starved(r)) return 0;
            if (run != 15) break;
            k += 16;
        }
    }
    return 0;
}

int skipBlock(StreamReader& r, const HuffmanLookup& dc, const HuffmanLookup& ac, int16_t& dcPred,
              int16_t* dcOut) {
    VT_ENSURE_BITS(r);
    int s = symbolFrom(r, dc) & 15;
    int diff = s ? extend(take(r, s), s) : 0;
    if (starved(r)) return 0;
    dcPred = static_cast<int16_t>(dcPred + diff);
    *dcOut = dcPred;
    for (int k = 1; k < 64;) {
        VT_ENSURE_BITS(r);
        int sym = symbolFrom(r, ac);
        int run = sym >> 4;
        s = sym & 15;
        if (s) r.bitCount -= s;
        if (starved(r)) return 0;
        if (s) {
            k += run + 1;
        } else {
            if (run != 15) break;
            k += 16;
        }
    }
    return 0;
}

int decodeDcFirst(StreamReader& r, const HuffmanLookup& t, int16_t* block, int16_t& dcPred, int al) {
    VT_ENSURE_BITS(r);
    int s = symbolFrom(r, t) & 15;
    int diff = s ? extend(take(r, s), s) : 0;
    if (starved(r)) return 0;
    dcPred = static_cast<int16_t>(dcPred + diff);
    block[0] = static_cast<int16_t>(dcPred * (1 << al));
    return 0;
}

int decodeDcRefine(StreamReader& r, int16_t* block, int al) {
    VT_ENSURE_BITS(r);
    uint32_t bit = take(r, 1);
    if (starved(r)) return 0;
    if (bit) block[0] = static_cast<int16_t>(block[0] | (1 << al));
    return 0;
}

int decodeAcFirst(StreamReader& r, int16_t* block, const HuffmanLookup& t, int ss, int se, int al) {
    if (r.eobRun > 0) {
        --r.eobRun;
        return 0;
    }
    for (int k = ss; k <= se; ++k) {
        VT_ENSURE_BITS(r);
        int sym = symbolFrom(r, t);
        int run = sym >> 4, s = sym & 15;
        if (s) {
            int v = extend(take(r, s), s);
            if (starved(r)) return 0;
            k += run;
            block[kNaturalOrder[k]] = static_cast<int16_t>(v * (1 << al));
        } else if (run == 15) {
            if (starved(r)) return 0;
            k += 15;
        } else {
            int eob = 1 << run;
            if (run) eob += static_cast<int>(take(r, run));
            if (starved(r)) return 0;
            r.eobRun = eob - 1;
            break;
        }
    }
    return 0;
}

int decodeAcRefine(StreamReader& r, int16_t* block, const HuffmanLookup& t, int ss, int se, int al) {
    const int p1 = 1 << al, m1 = -(1 << al);
    int k = ss;
    // A correction bit for a coefficient already nonzero: 1 done, 0 starved,
    // or a negative code.
    auto refine = [&](int16_t& c) -> int {
        if (r.bitCount < 1) {
            int e = fill(r);
            if (e) return e;
        }
        uint32_t bit = take(r, 1);
        if (starved(r)) return 0;
        if (bit && (c & p1) == 0) c = static_cast<int16_t>(c + (c >= 0 ? p1 : m1));
        return 1;
    };
    if (r.eobRun == 0) {
        for (; k <= se; ++k) {
            VT_ENSURE_BITS(r);
            int sym = symbolFrom(r, t);
            int run = sym >> 4, s = sym & 15;
            int value = 0;
            if (s) {
                value = take(r, 1) ? p1 : m1;
            } else if (run != 15) {
                int eob = 1 << run;
                if (run) eob += static_cast<int>(take(r, run));
                if (starved(r)) return 0;
                r.eobRun = eob;
                break;
            }
            if (starved(r)) return 0;
            // Pass the nonzero coefficients (each takes a correction bit) and
            // `run` zero ones; the new value goes on the next zero position.
            while (k <= se) {
                int16_t& c = block[kNaturalOrder[k]];
                if (c != 0) {
                    int e = refine(c);
                    if (e <= 0) return e;
                } else {
                    if (run == 0) break;
                    --run;
                }
                ++k;
            }
            if (value) block[kNaturalOrder[k]] = static_cast<int16_t>(value);
        }
    }
    if (r.eobRun > 0) {
        for (; k <= se; ++k) {
            int16_t& c = block[kNaturalOrder[k]];
            if (c != 0) {
                int e = refine(c);
                if (e <= 0) return e;
            }
        }
        --r.eobRun;
    }
    return 0;
}
