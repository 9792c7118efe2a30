// The encoder driver: tables, headers and the sequential and progressive
// drivers over the working copy of the caller's fields.
#include <cstdlib>
#include <initializer_list>
#include <cstring>
#include <new>

#include "jpeg/JpegEncoder.h"
#include "jpeg/VectorOps.h"

namespace {

// ITU-T T.81 Annex K.3 to K.6.
constexpr uint8_t kDcLumaBits[16] = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
constexpr uint8_t kDcChromaBits[16] = {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0};
constexpr uint8_t kDcValues[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
constexpr uint8_t kAcLumaBits[16] = {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d};
constexpr uint8_t kAcLumaValues[162] = {
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61, 0x07, 0x22, 0x71,
    0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52, 0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72,
    0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37,
    0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59,
    0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a, 0xa2, 0xa3,
    0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3,
    0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2,
    0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa,
};
constexpr uint8_t kAcChromaBits[16] = {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77};
constexpr uint8_t kAcChromaValues[162] = {
    0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61, 0x71, 0x13, 0x22,
    0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33, 0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1,
    0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18, 0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35, 0x36,
    0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58,
    0x59, 0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a,
    0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a,
    0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba,
    0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda,
    0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa,
};

constexpr char kVersionText[] = "[1.0.0.1]";

// The tables a write uses: base quantisation tables and DC/AC specs.
struct TableSet {
    const uint8_t* quant[4];
    JpegHuffmanSpec huffman[8];
    int pairs;
};

TableSet chooseTables(const JpegEncoderSettings& st) {
    TableSet t{};
    const JpegEncoderSettings& e = st;
    bool ownQuant = false, ownHuffman = false;
    for (const uint8_t* q : e.quantTables) ownQuant |= e.ownQuantTables && q;
    for (const JpegHuffmanSpec& h : e.huffman) ownHuffman |= e.ownHuffmanTables && h.bits && h.values;
    if (ownQuant) {
        for (int i = 0; i < 4; ++i) t.quant[i] = e.quantTables[i];
    } else {
        t.quant[0] = annexKTable(0);
        t.quant[1] = annexKTable(1);
    }
    if (ownHuffman) {
        int n = 0;
        for (const JpegHuffmanSpec& h : e.huffman)
            if (h.bits && h.values && h.id >= 0 && h.id < 4 && (h.tableClass == 0 || h.tableClass == 1))
                t.huffman[n++] = h;
        t.pairs = (n + 1) / 2;
    } else {
        t.huffman[0] = {kDcLumaBits, kDcValues, 0, 0};
        t.huffman[1] = {kAcLumaBits, kAcLumaValues, 1, 0};
        t.huffman[2] = {kDcChromaBits, kDcValues, 0, 1};
        t.huffman[3] = {kAcChromaBits, kAcChromaValues, 1, 1};
        t.pairs = 2;
    }
    return t;
}

int huffmanCount(const JpegHuffmanSpec& h) {
    int n = 0;
    for (int i = 0; i < 16; ++i) n += h.bits[i];
    return n;
}

// Segment assembly: a growing byte list with big-endian words.
struct Segment {
    uint8_t bytes[2 + 2 + 17 * 8 + 256 * 8];
    int n = 0;
    void byte(int v) { bytes[n++] = static_cast<uint8_t>(v); }
    void word(int v) {
        byte(v >> 8);
        byte(v);
    }
    void marker(int code) {
        n = 0;
        byte(0xFF);
        byte(code);
    }
    void setLength() {
        bytes[2] = static_cast<uint8_t>((n - 2) >> 8);
        bytes[3] = static_cast<uint8_t>(n - 2);
    }
    int write(OutputWriter& w) {
        setLength();
        return w.writeBytes(bytes, n, w);
    }
};

int writeMarker(OutputWriter& w, int code) {
    const uint8_t m[2] = {0xFF, static_cast<uint8_t>(code)};
    return w.writeBytes(m, 2, w);
}

int writeComment(CodecState& s, OutputWriter& w) {
    const bool own = s.commentBuffer && s.commentLength > 0;
    int length;
    const uint8_t* text;
    char made[64];
    if (own) {
        length = s.commentLength;
        if (s.commentCapacity > 0 && length > s.commentCapacity) length = s.commentCapacity;
        if (length > 65531) length = 65531;
        text = reinterpret_cast<const uint8_t*>(s.commentBuffer);
    } else {
        std::snprintf(made, sizeof made, "Vantrelle JPEG Codec, version %s", kVersionText);
        length = int(std::strlen(made)) + 1;   // with its terminating zero
        text = reinterpret_cast<const uint8_t*>(made);
    }
    const uint8_t head[4] = {0xFF, 0xFE, static_cast<uint8_t>((length + 2) >> 8), static_cast<uint8_t>(length + 2)};
    if (int e = w.writeBytes(head, 4, w)) return e;
    return w.writeBytes(text, length, w);
}

int writeAppSegment(CodecState& s, OutputWriter& w) {
    Segment seg;
    const int jc = s.work.jpegColor;
    if (jc == kJpegColorRgb || jc == kJpegColorRgba || jc == kJpegColorYcck) {
        seg.marker(0xEE);
        seg.word(0);
        for (char c : {'A', 'd', 'o', 'b', 'e'}) seg.byte(c);
        seg.word(s.adobe.version);
        seg.word(s.adobe.flags0);
        seg.word(s.adobe.flags1);
        seg.byte(jc == kJpegColorYcck ? 2 : 0);
    } else {
        seg.marker(0xE0);
        seg.word(0);
        for (char c : {'J', 'F', 'I', 'F', '\0'}) seg.byte(c);
        seg.word(s.jfif.version);
        seg.byte(s.jfif.densityUnit);
        seg.word(s.jfif.xDensity);
        seg.word(s.jfif.yDensity);
        seg.byte(0);
        seg.byte(0);
    }
    return seg.write(w);
}

int writeHuffmanTable(Segment& seg, const JpegHuffmanSpec& h) {
    seg.byte(h.tableClass * 16 + h.id);
    for (int i = 0; i < 16; ++i) seg.byte(h.bits[i]);
    const int n = huffmanCount(h);
    for (int i = 0; i < n; ++i) seg.byte(h.values[i]);
    return n;
}

int installHuffman(EncoderWork& e, const JpegHuffmanSpec& h) {
    HuffmanCode& t = h.tableClass ? e.ac[h.id] : e.dc[h.id];
    if (int err = buildEncodingTable(h.bits, h.values, t)) return err;
    (h.tableClass ? e.acDefined : e.dcDefined)[h.id] = 1;
    return 0;
}

int buildDivisorTable(CodecState& s, EncoderWork& e, int i) {
    std::memcpy(e.divisors[i], e.quant[i], sizeof e.quant[i]);
    if (s.dctKind == 0) buildDivisors(e.divisors[i]);
    else if (s.dctKind == 1) makeReciprocals(e.divisors[i]);
    else return kJpegInvalidProperties;
    e.divisorsBuilt[i] = 1;
    return 0;
}

// Components, sampling, selectors and MCU geometry of the image.
int setupComponents(JpegProperties* p, EncoderWork& e, bool& conversion) {
    CodecState& s = p->state;
    const WorkingFields& w = s.work;
    const JpegEncoderSettings& st = s.encoder;
    const int n = w.jpegChannels;
    if (n < 1 || n > kMaxComponents) return kJpegBadComponents;
    conversion = !(w.jpegColor == kJpegColorRgb || w.jpegColor == kJpegColorRgba || w.color == kJpegColorYcbcr ||
                   w.color == kJpegColorGrey || w.color == kJpegColorOther);
    const int sub = w.jpegSubsampling;
    const bool ownQuant = st.ownQuantTables && (st.quantTables[0] || st.quantTables[1] || st.quantTables[2] ||
                                                st.quantTables[3]);
    e.components = n;
    int offset = 0;
    for (int c = 0; c < n; ++c) {
        EncoderComponent& k = e.comp[c];
        k.h = k.v = 1;
        if (c == 0 || c == 3) {
            if (sub == 1 || sub == 3) k.h = k.v = 2;
            if (sub == 2 || sub == 4) k.h = 2;
        }
        int q = st.quantSelector[c];
        if (!ownQuant) {
            if (c == 0) q = 0;
            else if (sub == 0) q = conversion ? 1 : st.quantSelector[c];
            else q = c == 3 ? 0 : (w.conversionRequired ? 1 : 0);
        }
        k.quant = q & 3;
        k.dc = st.dcSelector[c] & 3;
        k.ac = st.acSelector[c] & 3;
        if (st.progressive) k.dc = k.ac = c == 0 ? 0 : 1;
        k.mcuOffset = offset;
        offset += k.h * k.v;
    }
    e.blocksPerMcu = offset;
    int hmax = 1, vmax = 1;
    for (int c = 0; c < n; ++c) {
        hmax = e.comp[c].h > hmax ? e.comp[c].h : hmax;
        vmax = e.comp[c].v > vmax ? e.comp[c].v : vmax;
    }
    e.mcuWidth = 8 * hmax;
    e.mcuHeight = 8 * vmax;
    e.mcusAcross = (w.jpegWidth + e.mcuWidth - 1) / e.mcuWidth;
    e.mcusDown = (w.jpegHeight + e.mcuHeight - 1) / e.mcuHeight;
    for (int c = 0; c < n; ++c) {
        EncoderComponent& k = e.comp[c];
        const int cw = (w.jpegWidth * k.h + hmax - 1) / hmax, ch = (w.jpegHeight * k.v + vmax - 1) / vmax;
        k.blocksAcross = (cw + 7) / 8;
        k.blocksDown = (ch + 7) / 8;
    }

    FetchPlan& f = e.fetch;
    f = FetchPlan{};
    f.origin = w.origin;
    f.stride = w.stride;
    f.channels = w.channels;
    f.color = w.color;
    f.width = w.jpegWidth;
    f.height = w.jpegHeight;
    f.components = n;
    for (int c = 0; c < n; ++c) {
        f.h[c] = e.comp[c].h;
        f.v[c] = e.comp[c].v;
    }
    f.hmax = hmax;
    f.vmax = vmax;
    f.mcuWidth = e.mcuWidth;
    f.mcuHeight = e.mcuHeight;
    if (conversion) {
        f.mode = w.color == kJpegColorRgba ? kFetchInvertedYcck : (w.channels == 4 ? kFetchYccMeans : kFetchYcc);
    } else {
        f.mode = kFetchBytes;
        f.packed = w.color == kJpegColorYcbcr && w.subsampling == 2;
        for (int c = 0; c < n; ++c) {
            if (w.color == kJpegColorGrey) f.byteOf[c] = c == 0 ? 0 : -1;
            else if (w.color == kJpegColorBgr && w.jpegColor == kJpegColorRgb && n == 3) f.byteOf[c] = 2 - c;
            else f.byteOf[c] = c < w.channels ? c : -1;
        }
    }
    s.ops->mcuFetch = s.ops->fetch[mcuFetchSlot(f)];
    return 0;
}

int writeFrameHeader(CodecState& s, EncoderWork& e, bool progressive) {
    Segment seg;
    seg.marker(progressive ? 0xC2 : 0xC0);
    seg.word(0);
    seg.byte(8);
    seg.word(s.work.jpegHeight);
    seg.word(s.work.jpegWidth);
    seg.byte(e.components);
    for (int c = 0; c < e.components; ++c) {
        const bool one = e.components == 1;
        seg.byte(one ? 0 : (progressive ? c : c + 1));
        seg.byte(one ? 0x11 : e.comp[c].h * 16 + e.comp[c].v);
        seg.byte(e.comp[c].quant);
    }
    if (int err = seg.write(e.out)) return err;
    if (s.encoder.restartInterval > 0 && !progressive) {
        seg.marker(0xDD);
        seg.word(0);
        seg.word(s.encoder.restartInterval & 0xFFFF);
        return seg.write(e.out);
    }
    return 0;
}

int writeScanHeader(EncoderWork& e, bool progressive) {
    const ScanInfo& sc = e.scan;
    Segment seg;
    seg.marker(0xDA);
    seg.word(0);
    seg.byte(sc.ns);
    for (int i = 0; i < sc.ns; ++i) {
        const int c = sc.comp[i].frameIndex;
        const EncoderComponent& k = e.comp[c];
        if (!progressive && e.components == 1) {
            seg.byte(0);
            seg.byte(0);
        } else {
            seg.byte(progressive ? c : c + 1);
            seg.byte(k.dc * 16 + k.ac);
        }
    }
    seg.byte(sc.ss);
    seg.byte(sc.se);
    seg.byte(sc.ah * 16 + sc.al);
    return seg.write(e.out);
}

int writeHeaders(JpegProperties* p, EncoderWork& e, int ioType, const TableSet& tables) {
    CodecState& s = p->state;
    const bool progressive = s.encoder.progressive != 0;
    if (s.file) s.ops->startOutput(e.out, nullptr, 0, s.file);
    else s.ops->startOutput(e.out, static_cast<uint8_t*>(const_cast<void*>(p->buffer)), p->bufferSize, nullptr);
    int err = writeMarker(e.out, 0xD8);
    const bool withTables = ioType >= kJpegWriteImageFile && ioType <= kJpegWriteTables;
    for (int i = 0; i < 4 && !err; ++i) {
        if (!tables.quant[i]) continue;
        if (withTables || !e.divisorsBuilt[i]) {
            scaleQuantTable(p->quality, tables.quant[i], e.quant[i]);
            e.quantDefined[i] = 1;
            e.divisorsBuilt[i] = 0;
        }
    }
    if (withTables && !err) {
        err = writeAppSegment(s, e.out);
        if (!err) err = writeComment(s, e.out);
        for (int i = 0; i < 4 && !err; ++i) {
            if (!tables.quant[i]) continue;
            Segment seg;
            seg.marker(0xDB);
            seg.word(0);
            seg.byte(i);
            for (int k = 0; k < 64; ++k) seg.byte(e.quant[i][k]);
            err = seg.write(e.out);
            if (!err) err = buildDivisorTable(s, e, i);
        }
        if (!err && !progressive && tables.pairs > 0) {
            Segment seg;
            seg.marker(0xC4);
            seg.word(0);
            for (int i = 0; i < 2 * tables.pairs && !err; ++i) {
                const JpegHuffmanSpec& h = tables.huffman[i];
                if (!h.bits) continue;
                if (huffmanCount(h) > 256) err = kJpegBadHuffmanTable;
                else writeHuffmanTable(seg, h);
            }
            if (!err) err = seg.write(e.out);
            for (int i = 0; i < 2 * tables.pairs && !err; ++i)
                if (tables.huffman[i].bits) err = installHuffman(e, tables.huffman[i]);
        }
    } else if (!err) {
        for (int i = 0; i < 4 && !err; ++i)
            if (tables.quant[i] && !e.divisorsBuilt[i]) err = buildDivisorTable(s, e, i);
        for (int i = 0; i < 2 * tables.pairs && !err && !progressive; ++i)
            if (tables.huffman[i].bits) err = installHuffman(e, tables.huffman[i]);
    }
    const int kind = s.dctKind == 1 ? 1 : 0;
    s.ops->activeForwardDct = s.ops->forwardDct[kind];
    s.ops->quantise[2] = s.ops->quantise[kind];
    if (!err && (ioType == kJpegWriteTablesFile || ioType == kJpegWriteTables)) err = writeMarker(e.out, 0xD9);
    if (!err) err = writeOut(e.out);
    return err;
}

// The MCU's blocks, as level-shifted samples or (coefficient planes) ready
// coefficients; returns true when they still need the transform.
bool getMcu(CodecState& s, EncoderWork& e, int column, int row) {
    const JpegPlaneInput* planes = s.encoder.planeInput;
    if (!planes) {
        s.ops->mcuFetch(e.fetch, column, row, e.mcu[0]);
        return true;
    }
    const ptrdiff_t mcu = ptrdiff_t(row) * e.mcusAcross + column;
    for (int c = 0; c < e.components; ++c) {
        const EncoderComponent& k = e.comp[c];
        const int n = k.h * k.v;
        const int16_t* src = planes->plane[c];
        for (int b = 0; b < n; ++b) {
            int16_t* dst = e.mcu[k.mcuOffset + b];
            if (!src) {
                std::memset(dst, 0, 64 * sizeof(int16_t));
                continue;
            }
            const int16_t* from = src + (mcu * n + b) * 64;
            for (int i = 0; i < 64; ++i) dst[i] = static_cast<int16_t>(planes->samples ? from[i] - 128 : from[i]);
        }
    }
    return planes->samples != 0;
}

// The forward transform and quantisation in one step, when the record's
// routines allow it; null otherwise.
using Transform8 = void (*)(int16_t* block, const uint16_t* reciprocals);
Transform8 fusedTransform(const CodecState& s) {
#ifdef VT_VECTOR_FORMS
    return quantisingFdct(*s.ops);
#else
    (void)s;
    return nullptr;
#endif
}

void transformMcu(CodecState& s, EncoderWork& e, bool transform, Transform8 fused) {
    for (int c = 0; c < e.components; ++c) {
        const EncoderComponent& k = e.comp[c];
        for (int b = 0; b < k.h * k.v; ++b) {
            int16_t* block = e.mcu[k.mcuOffset + b];
            if (transform && fused) {
                fused(block, e.divisors[k.quant]);
                continue;
            }
            if (transform) s.ops->activeForwardDct(block);
            s.ops->quantise[2](block, e.divisors[k.quant]);
        }
    }
}

void allComponentsScan(EncoderWork& e) {
    ScanInfo& sc = e.scan;
    sc = ScanInfo{};
    sc.ns = e.components;
    sc.se = 63;
    for (int c = 0; c < e.components; ++c) {
        sc.comp[c].frameIndex = c;
        sc.comp[c].h = e.comp[c].h;
        sc.comp[c].v = e.comp[c].v;
    }
}

int checkTables(const EncoderWork& e) {
    for (int c = 0; c < e.components; ++c) {
        const EncoderComponent& k = e.comp[c];
        if (!e.dcDefined[k.dc] || !e.acDefined[k.ac]) return kJpegNoHuffmanTable;
        if (!e.divisorsBuilt[k.quant]) return kJpegNoQuantTable;
    }
    return 0;
}

int encodeSequential(CodecState& s, EncoderWork& e) {
    int err = 0;
    if (!e.resuming) {
        allComponentsScan(e);
        err = writeFrameHeader(s, e, false);
        if (!err) err = writeScanHeader(e, false);
        if (!err) err = writeOut(e.out);
        if (err) return err;
    }
    e.resuming = 0;
    if ((err = checkTables(e))) return err;
    ScanInfo& sc = e.scan;
    const int interval = s.encoder.restartInterval > 0 ? s.encoder.restartInterval : 0;
    const Transform8 fused = fusedTransform(s);
    for (int row = sc.nextRow; row < e.mcusDown; ++row) {
        for (int col = row == sc.nextRow ? sc.nextColumn : 0; col < e.mcusAcross; ++col) {
            transformMcu(s, e, getMcu(s, e, col, row), fused);
            for (int c = 0; c < e.components; ++c) {
                const EncoderComponent& k = e.comp[c];
                for (int b = 0; b < k.h * k.v; ++b)
                    if ((err = s.ops->encodeBlock(e.out, e.dc[k.dc], e.ac[k.ac], sc.dcPred[c], e.mcu[k.mcuOffset + b])))
                        return err;
            }
            const bool last = row == e.mcusDown - 1 && col == e.mcusAcross - 1;
            if (interval && !last && ++sc.mcuCounter % interval == 0) {
                if ((err = flushBits(e.out))) return err;
                const int m = (sc.mcuCounter / interval - 1) % 8;
                if ((err = writeMarker(e.out, 0xD0 + m))) return err;
                if (m == 7) sc.mcuCounter = 0;
                for (int16_t& pred : sc.dcPred) pred = 0;
            }
            if (s.interrupt && storeNextPosition(sc, col, row, e.mcusAcross, e.mcusDown)) {
                e.resuming = 1;
                const int right = (col + 1) * e.mcuWidth, bottom = (row + 1) * e.mcuHeight;
                s.roiRight = right < s.work.jpegWidth ? right : s.work.jpegWidth;
                s.roiBottom = bottom < s.work.jpegHeight ? bottom : s.work.jpegHeight;
                return kJpegInterruptSuccess;
            }
        }
    }
    sc.nextColumn = sc.nextRow = 0;
    if ((err = flushBits(e.out))) return err;
    if ((err = writeMarker(e.out, 0xD9))) return err;
    return writeOut(e.out);
}

struct ScanStep {
    int comp;   // -1: DC scan of every component
    int ss, se, ah, al;
};

int scanScript(const WorkingFields& w, const ScanStep*& steps) {
    static const ScanStep kGrey[] = {{-1, 0, 0, 0, 1}, {0, 1, 5, 0, 2}, {0, 6, 63, 0, 2},
                                     {0, 1, 63, 2, 1}, {-1, 0, 0, 1, 0}, {0, 1, 63, 1, 0}};
    static const ScanStep kTwo[] = {{-1, 0, 0, 0, 0}, {0, 1, 5, 0, 0}, {1, 1, 5, 0, 0}, {0, 6, 63, 0, 0},
                                    {1, 6, 63, 0, 0}};
    static const ScanStep kYcc[] = {{-1, 0, 0, 0, 1}, {0, 1, 5, 0, 2},  {2, 1, 63, 0, 1}, {1, 1, 63, 0, 1},
                                    {0, 6, 63, 0, 2}, {0, 1, 63, 2, 1}, {-1, 0, 0, 1, 0}, {2, 1, 63, 1, 0},
                                    {1, 1, 63, 1, 0}, {0, 1, 63, 1, 0}};
    static const ScanStep kThree[] = {{-1, 0, 0, 0, 1}, {0, 1, 5, 0, 0},  {1, 1, 5, 0, 0},  {2, 1, 5, 0, 0},
                                      {-1, 0, 0, 1, 0}, {0, 6, 63, 0, 0}, {1, 6, 63, 0, 0}, {2, 6, 63, 0, 0}};
    static const ScanStep kFour[] = {{-1, 0, 0, 0, 1}, {0, 1, 5, 0, 0},  {1, 1, 5, 0, 0},  {2, 1, 5, 0, 0},
                                     {3, 1, 5, 0, 0},  {-1, 0, 0, 1, 0}, {0, 6, 63, 0, 0}, {1, 6, 63, 0, 0},
                                     {2, 6, 63, 0, 0}, {3, 6, 63, 0, 0}};
    static const ScanStep kYcck[] = {{-1, 0, 0, 0, 1}, {0, 1, 5, 0, 2},  {2, 1, 63, 0, 1}, {1, 1, 63, 0, 1},
                                     {3, 1, 63, 0, 0}, {0, 6, 63, 0, 2}, {0, 1, 63, 2, 1}, {-1, 0, 0, 1, 0},
                                     {2, 1, 63, 1, 0}, {1, 1, 63, 1, 0}, {0, 1, 63, 1, 0}};
    const int n = w.jpegChannels, c = w.jpegColor;
    if (n == 1 && c == kJpegColorGrey) return steps = kGrey, 6;
    if (n == 2 && c == kJpegColorOther) return steps = kTwo, 5;
    if (n == 3 && c == kJpegColorYcbcr) return steps = kYcc, 10;
    if (n == 3 && (c == kJpegColorRgb || c == kJpegColorOther)) return steps = kThree, 8;
    if (n == 4 && (c == kJpegColorRgba || c == kJpegColorOther)) return steps = kFour, 10;
    if (n == 4 && c == kJpegColorYcck) return steps = kYcck, 11;
    return 0;
}

int writeOptimalTable(EncoderWork& e, const uint32_t counts[257], int tableClass, int id) {
    uint8_t bits[16], values[256];
    buildOptimalTable(counts, bits, values);
    const JpegHuffmanSpec table{bits, values, tableClass, id};
    Segment seg;
    seg.marker(0xC4);
    seg.word(0);
    writeHuffmanTable(seg, table);
    if (int err = seg.write(e.out)) return err;
    return installHuffman(e, table);
}

int encodeProgressive(CodecState& s, EncoderWork& e) {
    const ScanStep* steps = nullptr;
    const int count = scanScript(s.work, steps);
    if (!count) return kJpegInvalidProperties;
    for (int c = 0; c < e.components; ++c)
        if (!e.divisorsBuilt[e.comp[c].quant]) return kJpegNoQuantTable;
    const uint64_t blocks = uint64_t(e.blocksPerMcu) * uint64_t(e.mcusAcross) * uint64_t(e.mcusDown);
    if (blocks > (uint64_t(1) << 40) / 128 || blocks * 128 > SIZE_MAX / 2) return kJpegMemoryError;
    int16_t* store = static_cast<int16_t*>(std::malloc(size_t(blocks) * 128));
    if (!store) return kJpegMemoryError;
    int err = writeFrameHeader(s, e, true);
    const Transform8 fused = fusedTransform(s);
    for (int row = 0; row < e.mcusDown && !err; ++row)
        for (int col = 0; col < e.mcusAcross; ++col) {
            transformMcu(s, e, getMcu(s, e, col, row), fused);
            std::memcpy(store + (ptrdiff_t(row) * e.mcusAcross + col) * e.blocksPerMcu * 64, e.mcu[0],
                        size_t(e.blocksPerMcu) * 128);
        }
    static thread_local uint32_t counts[4][257];
    for (int i = 0; i < count && !err; ++i) {
        const ScanStep& step = steps[i];
        ScanInfo& sc = e.scan;
        if (step.comp < 0) {
            allComponentsScan(e);
        } else {
            sc = ScanInfo{};
            sc.ns = 1;
            sc.comp[0].frameIndex = step.comp;
            sc.comp[0].h = e.comp[step.comp].h;
            sc.comp[0].v = e.comp[step.comp].v;
        }
        sc.ss = step.ss;
        sc.se = step.se;
        sc.ah = step.ah;
        sc.al = step.al;
        const bool dcRefine = step.comp < 0 && step.ah != 0;
        if (!dcRefine) {
            std::memset(counts, 0, sizeof counts);
            ProgressiveScan counting{&e, store, counts};
            err = encodeProgressiveScan(counting);
            for (int16_t& pred : sc.dcPred) pred = 0;
            if (!err && step.comp >= 0) {
                const int id = e.comp[step.comp].ac;
                err = writeOptimalTable(e, counts[id], 1, id);
            } else if (!err) {
                err = writeOptimalTable(e, counts[0], 0, 0);
                if (!err && e.components > 1) err = writeOptimalTable(e, counts[1], 0, 1);
            }
        }
        if (!err) err = writeScanHeader(e, true);
        if (!err) {
            ProgressiveScan coding{&e, store, nullptr};
            err = encodeProgressiveScan(coding);
        }
    }
    std::free(store);
    if (!err) err = writeMarker(e.out, 0xD9);
    if (!err) err = writeOut(e.out);
    return err;
}

}  // namespace

void setEncoderDefaults(JpegEncoderSettings& e) {
    e = JpegEncoderSettings{};
    for (int c = 0; c < kMaxComponents; ++c) {
        e.dcSelector[c] = e.acSelector[c] = e.quantSelector[c] = c == 0 ? 0 : 1;
    }
}

void freeEncoderWork(CodecState& s) {
    delete s.encoderWork;
    s.encoderWork = nullptr;
}

int encodeImage(JpegProperties* p, int ioType) {
    CodecState& s = p->state;
    if (!s.encoderWork) {
        s.encoderWork = new (std::nothrow) EncoderWork{};
        if (!s.encoderWork) return kJpegMemoryError;
    }
    EncoderWork& e = *s.encoderWork;
    const bool fileType = (ioType & 1) == 0;
    if (fileType && !s.file) {
        s.file = std::fopen(p->fileName, "w+b");
        if (!s.file) return kJpegBadFileName;
    }
    const bool pixels = ioType != kJpegWriteTablesFile && ioType != kJpegWriteTables;
    if (e.resuming && pixels && !s.encoder.progressive) {
        const int result = encodeSequential(s, e);
        p->bufferSize = static_cast<int32_t>(e.out.written);
        return result;
    }
    e.resuming = 0;
    WorkingFields& w = s.work;
    w.origin = w.pixels;
    if (w.pixels && w.height < 0) w.origin = w.pixels + ptrdiff_t(-w.height - 1) * -w.stride;
    if (pixels && !s.encoder.planeInput) {
        // The image is read from the buffer: it must lie inside it.
        const int64_t rows = w.height < 0 ? -int64_t(w.height) : w.height;
        if (!w.origin || w.jpegWidth > w.width || w.jpegHeight > rows) return kJpegInvalidProperties;
    }
    bool conversion = false;
    if (int err = setupComponents(p, e, conversion)) return err;
    const TableSet tables = chooseTables(s.encoder);
    if (int err = writeHeaders(p, e, ioType, tables)) return err;
    if (!pixels) {
        p->bufferSize = static_cast<int32_t>(e.out.written);
        return 0;
    }
    e.scan = ScanInfo{};
    const int result = s.encoder.progressive ? encodeProgressive(s, e) : encodeSequential(s, e);
    if (result >= 0) p->bufferSize = static_cast<int32_t>(e.out.written);
    return result;
}
