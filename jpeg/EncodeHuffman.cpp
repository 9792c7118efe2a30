// The encoder's entropy side: the output writer with byte stuffing and
// padding, encoding tables, the sequential block coder, the progressive scan
// coders with their counting pass, and optimal tables from symbol counts.
#include <cstring>

#include "jpeg/JpegEncoder.h"

int significantBits(int value) {
    int n = 0;
    while (value) {
        ++n;
        value >>= 1;
    }
    return n;
}

// ---- Output

void startOutput(OutputWriter& w, uint8_t* area, int64_t size, std::FILE* file) {
    w.file = file;
    if (file) {
        area = w.buffer;
        size = sizeof w.buffer;
    }
    w.start = w.pos = area;
    w.end = area + (size > 0 ? size : 0);
    w.left = w.end - w.pos;
    w.bits = 0;
    w.bitCount = 0;
    w.written = 0;
    w.writeBytes = writeSegment;
}

int writeOut(OutputWriter& w) {
    if (!w.file) return 0;
    const size_t n = size_t(w.pos - w.start);
    if (n && std::fwrite(w.start, 1, n, w.file) != n) return kJpegFileError;
    w.pos = w.start;
    w.left = w.end - w.pos;
    return 0;
}

namespace {

inline int emitByte(OutputWriter& w, uint8_t b) {
    if (w.pos >= w.end) {
        if (!w.file) return kJpegOutputTooSmall;
        if (int e = writeOut(w)) return e;
    }
    *w.pos++ = b;
    ++w.written;
    --w.left;
    return 0;
}

// Emits whole bytes from the top of the accumulator, stuffing after 0xFF.
inline int emitWholeBytes(OutputWriter& w) {
    while (w.bitCount >= 8) {
        const uint8_t b = static_cast<uint8_t>(w.bits >> 56);
        w.bits <<= 8;
        w.bitCount -= 8;
        if (int e = emitByte(w, b)) return e;
        if (b == 0xFF)
            if (int e = emitByte(w, 0)) return e;
    }
    return 0;
}

}  // namespace

int writeSegment(const uint8_t* bytes, int count, OutputWriter& w) {
    if (int e = emitWholeBytes(w)) return e;
    if (!w.file) {
        if (count > w.end - w.pos) return kJpegOutputTooSmall;
        std::memcpy(w.pos, bytes, size_t(count));
        w.pos += count;
        w.written += count;
        w.left = w.end - w.pos;
        return 0;
    }
    for (int i = 0; i < count; ++i)
        if (int e = emitByte(w, bytes[i])) return e;
    return 0;
}

int putBits(OutputWriter& w, uint32_t value, int n) {
    if (n <= 0) return 0;
    const uint64_t v = uint64_t(value) & ((uint64_t(1) << n) - 1);
    w.bits |= v << (64 - w.bitCount - n);
    w.bitCount += n;
    return w.bitCount >= 32 ? emitWholeBytes(w) : 0;
}

int flushBits(OutputWriter& w) {
    if (int e = emitWholeBytes(w)) return e;
    w.bits |= uint64_t(0x7F) << (64 - w.bitCount - 7);
    w.bitCount += 7;
    const int e = emitWholeBytes(w);
    w.bits = 0;
    w.bitCount = 0;
    return e;
}

// ---- Tables

int buildEncodingTable(const uint8_t bits[16], const uint8_t* values, HuffmanCode& table) {
    std::memset(&table, 0, sizeof table);
    int total = 0;
    for (int i = 0; i < 16; ++i) total += bits[i];
    if (total > 256) return kJpegBadHuffmanTable;
    int code = 0, k = 0;
    for (int len = 1; len <= 16; ++len) {
        for (int i = 0; i < bits[len - 1]; ++i, ++k) {
            table.code[values[k]] = static_cast<uint16_t>(code);
            table.length[values[k]] = static_cast<uint8_t>(len);
            ++code;
        }
        code <<= 1;
    }
    for (int sym = 0; sym < 256; ++sym) {
        const int size = sym & 15;
        table.codeWithRoom[sym] = uint32_t(table.code[sym]) << size;
        table.lengthWithValue[sym] = table.length[sym] ? static_cast<uint8_t>(table.length[sym] + size) : 0;
    }
    return 0;
}

void buildOptimalTable(const uint32_t counts[257], uint8_t bitsOut[16], uint8_t values[256]) {
    uint64_t freq[257];
    int codeSize[257];
    int others[257];
    for (int i = 0; i < 257; ++i) {
        freq[i] = i < 256 ? counts[i] : 1;   // the reserved entry keeps codes off all-ones
        codeSize[i] = 0;
        others[i] = -1;
    }
    for (;;) {
        int c1 = -1, c2 = -1;
        uint64_t v = ~uint64_t(0);
        for (int i = 0; i < 257; ++i)
            if (freq[i] && freq[i] <= v) v = freq[i], c1 = i;
        v = ~uint64_t(0);
        for (int i = 0; i < 257; ++i)
            if (freq[i] && freq[i] <= v && i != c1) v = freq[i], c2 = i;
        if (c2 < 0) break;
        freq[c1] += freq[c2];
        freq[c2] = 0;
        for (++codeSize[c1]; others[c1] >= 0;) ++codeSize[c1 = others[c1]];
        others[c1] = c2;
        for (++codeSize[c2]; others[c2] >= 0;) ++codeSize[c2 = others[c2]];
    }
    // Lengths can pass 32 only with enormous counts; the limiting below takes
    // any length down to 16.
    int bits[258] = {};
    int longest = 0;
    for (int i = 0; i < 257; ++i)
        if (codeSize[i]) {
            ++bits[codeSize[i]];
            if (codeSize[i] > longest) longest = codeSize[i];
        }
    for (int i = longest; i > 16; --i)
        while (bits[i] > 0) {
            int j = i - 2;
            while (bits[j] == 0) --j;
            bits[i] -= 2;
            bits[i - 1] += 1;
            bits[j + 1] += 2;
            bits[j] -= 1;
        }
    int last = 16;
    while (last > 0 && bits[last] == 0) --last;
    if (last > 0) --bits[last];
    for (int i = 0; i < 16; ++i) bitsOut[i] = static_cast<uint8_t>(bits[i + 1]);
    int p = 0;
    for (int len = 1; len <= longest; ++len)
        for (int s = 0; s < 256; ++s)
            if (codeSize[s] == len) values[p++] = static_cast<uint8_t>(s);
}

// ---- Sequential blocks

namespace {

inline int putCode(OutputWriter& w, const HuffmanCode& t, int symbol, uint32_t extra, int extraBits) {
    const int len = t.length[symbol];
    if (!len) return kJpegBadHuffmanTable;   // an own table without this symbol
    return putBits(w, (uint32_t(t.code[symbol]) << extraBits) | (extra & ((1u << extraBits) - 1)),
                   len + extraBits);
}

}  // namespace

int encodeBlock(OutputWriter& w, const HuffmanCode& dc, const HuffmanCode& ac, int16_t& dcPred,
                const int16_t* block) {
    const int diff = block[0] - dcPred;
    dcPred = block[0];
    int size = significantBits(diff < 0 ? -diff : diff);
    if (int e = putCode(w, dc, size, uint32_t(diff < 0 ? diff - 1 : diff), size)) return e;
    int run = 0;
    for (int k = 1; k < 64; ++k) {
        int v = block[kNaturalOrder[k]];
        if (v == 0) {
            ++run;
            continue;
        }
        // Eight-bit samples give at most ten magnitude bits; a rounding
        // overshoot is held there so every value has a code.
        if (v > 1023) v = 1023;
        if (v < -1023) v = -1023;
        for (; run > 15; run -= 16)
            if (int e = putCode(w, ac, 0xF0, 0, 0)) return e;
        size = significantBits(v < 0 ? -v : v);
        if (int e = putCode(w, ac, (run << 4) + size, uint32_t(v < 0 ? v - 1 : v), size)) return e;
        run = 0;
    }
    if (run > 0) return putCode(w, ac, 0x00, 0, 0);
    return 0;
}

// ---- Progressive scans

namespace {

constexpr int kMaxCorrectionBits = 1000;

class ScanCoder {
public:
    ScanCoder(ProgressiveScan& scan) : s_(scan), w_(scan.work->out), counting_(scan.counts != nullptr) {}

    int run() {
        EncoderWork& e = *s_.work;
        const ScanInfo& sc = e.scan;
        if (sc.ss == 0) return dcScan();
        const int c = sc.comp[0].frameIndex;
        const EncoderComponent& comp = e.comp[c];
        acTable_ = comp.ac;
        for (int by = 0; by < comp.blocksDown && !error_; ++by)
            for (int bx = 0; bx < comp.blocksAcross && !error_; ++bx) {
                const int mcu = (by / comp.v) * e.mcusAcross + bx / comp.h;
                const int16_t* block = s_.coefficients +
                    (ptrdiff_t(mcu) * e.blocksPerMcu + comp.mcuOffset + (by % comp.v) * comp.h + bx % comp.h) * 64;
                if (sc.ah == 0) acFirst(block);
                else acRefine(block);
            }
        if (!error_) emitEobRun();
        return finish();
    }

private:
    ProgressiveScan& s_;
    OutputWriter& w_;
    bool counting_;
    int error_ = 0;
    int acTable_ = 0;
    int eobRun_ = 0;
    int pendingBits_ = 0;              // correction bits that belong to the end-of-band run
    uint8_t bits_[kMaxCorrectionBits];

    int finish() {
        if (!error_ && !counting_) error_ = flushBits(w_);
        return error_;
    }

    void symbol(const HuffmanCode& t, int countTable, int sym) {
        if (error_) return;
        if (counting_) {
            ++s_.counts[countTable][sym];
            return;
        }
        if (!t.length[sym]) {
            error_ = kJpegBadHuffmanTable;
            return;
        }
        error_ = putBits(w_, t.code[sym], t.length[sym]);
    }
    void raw(uint32_t value, int n) {
        if (!error_ && !counting_) error_ = putBits(w_, value, n);
    }
    void acSymbol(int sym) { symbol(s_.work->ac[acTable_], acTable_, sym); }
    void correctionBits(const uint8_t* b, int n) {
        if (counting_) return;
        for (int i = 0; i < n && !error_; ++i) raw(b[i], 1);
    }
    void emitEobRun() {
        if (eobRun_ > 0) {
            const int n = significantBits(eobRun_) - 1;
            acSymbol(n << 4);
            if (n) raw(uint32_t(eobRun_), n);
            eobRun_ = 0;
        }
        correctionBits(bits_, pendingBits_);
        pendingBits_ = 0;
    }

    int dcScan() {
        EncoderWork& e = *s_.work;
        ScanInfo& sc = e.scan;
        for (int m = 0; m < e.mcusAcross * e.mcusDown && !error_; ++m) {
            const int16_t* mcu = s_.coefficients + ptrdiff_t(m) * e.blocksPerMcu * 64;
            for (int i = 0; i < sc.ns; ++i) {
                const int c = sc.comp[i].frameIndex;
                const EncoderComponent& comp = e.comp[c];
                for (int b = 0; b < comp.h * comp.v; ++b) {
                    const int16_t* block = mcu + (comp.mcuOffset + b) * 64;
                    if (sc.ah) {
                        raw(uint32_t(block[0] >> sc.al) & 1, 1);
                        continue;
                    }
                    const int value = block[0] >> sc.al;
                    const int diff = value - sc.dcPred[i];
                    sc.dcPred[i] = static_cast<int16_t>(value);
                    const int size = significantBits(diff < 0 ? -diff : diff);
                    symbol(e.dc[comp.dc], comp.dc, size);
                    raw(uint32_t(diff < 0 ? diff - 1 : diff), size);
                }
            }
        }
        return finish();
    }

    void acFirst(const int16_t* block) {
        const ScanInfo& sc = s_.work->scan;
        int run = 0;
        for (int k = sc.ss; k <= sc.se; ++k) {
            const int c = block[kNaturalOrder[k]];
            int t = (c < 0 ? -c : c) >> sc.al;
            if (t == 0) {
                ++run;
                continue;
            }
            if (t > 1023) t = 1023;
            const int bits = c < 0 ? ~t : t;
            if (eobRun_) emitEobRun();
            for (; run > 15; run -= 16) acSymbol(0xF0);
            const int size = significantBits(t);
            acSymbol((run << 4) + size);
            raw(uint32_t(bits), size);
            run = 0;
        }
        if (run > 0 && ++eobRun_ == 0x7FFF) emitEobRun();
    }

    void acRefine(const int16_t* block) {
        const ScanInfo& sc = s_.work->scan;
        int absolute[64];
        int eob = 0;
        for (int k = sc.ss; k <= sc.se; ++k) {
            const int c = block[kNaturalOrder[k]];
            absolute[k] = (c < 0 ? -c : c) >> sc.al;
            if (absolute[k] == 1) eob = k;
        }
        uint8_t* own = bits_ + pendingBits_;   // this block's correction bits
        int ownCount = 0;
        int run = 0;
        for (int k = sc.ss; k <= sc.se; ++k) {
            const int t = absolute[k];
            if (t == 0) {
                ++run;
                continue;
            }
            while (run > 15 && k <= eob) {
                emitEobRun();
                acSymbol(0xF0);
                run -= 16;
                correctionBits(own, ownCount);
                own = bits_;
                ownCount = 0;
            }
            if (t > 1) {
                own[ownCount++] = static_cast<uint8_t>(t & 1);
                continue;
            }
            emitEobRun();
            acSymbol((run << 4) + 1);
            raw(block[kNaturalOrder[k]] < 0 ? 0 : 1, 1);
            correctionBits(own, ownCount);
            own = bits_;
            ownCount = 0;
            run = 0;
        }
        if (run > 0 || ownCount > 0) {
            ++eobRun_;
            pendingBits_ += ownCount;
            if (eobRun_ == 0x7FFF || pendingBits_ > kMaxCorrectionBits - 63) emitEobRun();
        }
    }
};

}  // namespace

int encodeProgressiveScan(ProgressiveScan& scan) {
    ScanCoder coder(scan);
    return coder.run();
}
