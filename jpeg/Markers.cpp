// The stream reader, the marker loop and the segment parsers.
//
// Every length, count and selector read from the stream is checked against the
// segment and the state's arrays before use: a segment too short for its fields
// or one that runs past the data is "Data error".
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "jpeg/CodecInternal.h"
#include "render/FaultGuard.h"

namespace {

bool isParameterRead(int t) { return t == 0 || t == 1 || t == 4 || t == 5 || t == 20 || t == 21; }
bool isThumbnailRead(int t) { return t == 20 || t == 21; }
bool isTablesRead(int t) { return t == 4 || t == 5; }

int blockSideFor(int ioType) {
    switch (ioType) {
    case 14: case 15: return 4;
    case 16: case 17: return 2;
    case 18: case 19: return 1;
    default: return 8;
    }
}

int skipToMarker(StreamReader& r) {
    for (;;) {
        if (r.ptr >= r.end) {
            int e = refillInput(r);
            if (e) return e;
        }
        const uint8_t* ff =
            static_cast<const uint8_t*>(std::memchr(r.ptr, 0xFF, static_cast<size_t>(r.end - r.ptr)));
        if (!ff) {
            r.ptr = r.end;
            continue;
        }
        r.ptr = ff + 1;
        for (;;) {   // fill bytes
            if (r.ptr >= r.end) {
                int e = refillInput(r);
                if (e) return e;
            }
            if (*r.ptr != 0xFF) break;
            ++r.ptr;
        }
        if (*r.ptr != 0) return 0;
        ++r.ptr;   // a stuffed zero
    }
}

// The next n bytes of the segment; from a file, a run that crosses the buffer
// is copied into the reader's segment block.
int takeBytes(StreamReader& r, size_t n, const uint8_t** out) {
    size_t left = static_cast<size_t>(r.end - r.ptr);
    if (left >= n) {
        *out = r.ptr;
        r.ptr += n;
        return 0;
    }
    if (!r.file || n > 0xFFFF) return kJpegDataError;
    if (!r.segment) {
        r.segment = static_cast<uint8_t*>(std::malloc(0x10000));
        if (!r.segment) return kJpegMemoryError;
    }
    size_t have = 0;
    while (have < n) {
        if (r.ptr >= r.end && refillInput(r)) return kJpegDataError;
        size_t piece = std::min(n - have, static_cast<size_t>(r.end - r.ptr));
        std::memcpy(r.segment + have, r.ptr, piece);
        r.ptr += piece;
        have += piece;
    }
    *out = r.segment;
    return 0;
}

// Passes over n bytes without keeping them.
int skipBytes(StreamReader& r, size_t n) {
    while (n) {
        if (r.ptr >= r.end && (!r.file || refillInput(r))) return kJpegDataError;
        size_t piece = std::min(n, static_cast<size_t>(r.end - r.ptr));
        r.ptr += piece;
        n -= piece;
    }
    return 0;
}

// A segment's length field; its payload length (length - 2) or a negative code.
int readPayloadLength(StreamReader& r) {
    const uint8_t* p;
    if (takeBytes(r, 2, &p)) return kJpegDataError;
    int length = p[0] << 8 | p[1];
    return length < 2 ? kJpegDataError : length - 2;
}

int takePayload(StreamReader& r, const uint8_t** data) {
    int n = readPayloadLength(r);
    if (n < 0) return n;
    if (takeBytes(r, static_cast<size_t>(n), data)) return kJpegDataError;
    return n;
}

int read16(const uint8_t* p) { return p[0] << 8 | p[1]; }

int skipSegment(StreamReader& r) {
    int n = readPayloadLength(r);
    if (n < 0) return n;
    return skipBytes(r, static_cast<size_t>(n));
}

int parseSof(CodecState& s, int marker) {
    const uint8_t* d;
    int n = takePayload(s.reader, &d);
    if (n < 0) return n;
    if (n < 6) return kJpegDataError;
    FrameInfo f{};
    f.precision = d[0];
    f.height = read16(d + 1);
    f.width = read16(d + 3);
    f.componentCount = d[5];
    if (f.precision != 8) return kJpegUnsupportedFrame;
    if (f.height == 0) return kJpegBadDnl;
    if (f.componentCount == 0 || f.componentCount > kMaxComponents) return kJpegBadComponents;
    if (n < 6 + 3 * f.componentCount) return kJpegDataError;
    if (f.width == 0) return kJpegBadSof;
    if (int64_t(f.width) * f.height > kMaxImagePixels) return kJpegMemoryError;
    f.hmax = f.vmax = 1;
    for (int i = 0; i < f.componentCount; ++i) {
        const uint8_t* c = d + 6 + 3 * i;
        FrameComponent& fc = f.comp[i];
        fc.id = c[0];
        fc.h = c[1] >> 4;
        fc.v = c[1] & 15;
        fc.quantSelector = c[2];
        if (fc.h < 1 || fc.h > 4 || fc.v < 1 || fc.v > 4) return kJpegBadSof;
        if (fc.quantSelector > 3) return kJpegDataError;
        // One component is always scanned block by block; its factors mean nothing.
        if (f.componentCount == 1) fc.h = fc.v = 1;
        f.hmax = std::max(f.hmax, fc.h);
        f.vmax = std::max(f.vmax, fc.v);
    }
    for (int i = 0; i < f.componentCount; ++i) {
        FrameComponent& fc = f.comp[i];
        fc.mcuOffset = f.blocksPerMcu;
        f.blocksPerMcu += fc.h * fc.v;
        fc.blocksAcross = (f.width * fc.h + 8 * f.hmax - 1) / (8 * f.hmax);
        fc.blocksDown = (f.height * fc.v + 8 * f.vmax - 1) / (8 * f.vmax);
    }
    if (f.blocksPerMcu > kMaxBlocksPerMcu) return kJpegBadSof;
    f.mcusAcross = (f.width + 8 * f.hmax - 1) / (8 * f.hmax);
    f.mcusDown = (f.height + 8 * f.vmax - 1) / (8 * f.vmax);
    f.mcuTotal = f.mcusAcross * f.mcusDown;
    f.marker = marker;
    s.frame = f;
    return 0;
}

int parseDht(CodecState& s) {
    const uint8_t* d;
    int n = takePayload(s.reader, &d);
    if (n < 0) return n;
    if (n >= 1092) return kJpegDataError;
    while (n > 0) {
        if (n < 17) return kJpegDataError;
        int tc = d[0] >> 4, th = d[0] & 15;
        if (tc > 1 || th > 3) return kJpegBadHuffmanTable;
        int total = 0;
        for (int i = 1; i <= 16; ++i) total += d[i];
        if (17 + total > n) return kJpegDataError;
        HuffmanLookup& t = tc == 0 ? s.dcTables[th] : s.acTables[th];
        if (buildHuffmanLookup(d + 1, d + 17, tc, th, t)) return kJpegBadHuffmanTable;
        s.huffmanIds = std::max(s.huffmanIds, th + 1);
        int& count = tc == 0 ? s.dcCount : s.acCount;
        count = std::min(count + 1, 4);
        d += 17 + total;
        n -= 17 + total;
    }
    return 0;
}

int parseDqt(CodecState& s) {
    const uint8_t* d;
    int n = takePayload(s.reader, &d);
    if (n < 0) return n;
    if (n >= 517) return kJpegDataError;
    while (n > 0) {
        int pq = d[0] >> 4, tq = d[0] & 15;
        if (tq > 3 || pq > 1) return kJpegBadQuantTable;
        int need = pq ? 129 : 65;
        if (n < need) return kJpegDataError;
        uint16_t zigzag[64];
        for (int i = 0; i < 64; ++i) zigzag[i] = pq ? static_cast<uint16_t>(read16(d + 1 + 2 * i)) : d[1 + i];
        QuantTable& q = s.quant[tq];
        if (s.dctKind == 0) prepareTableScaled(zigzag, q.values);
        else prepareTableNatural(zigzag, q.values);
        q.precision = pq;
        q.defined = 1;
        s.quantIds = std::max(s.quantIds, tq + 1);
        s.quantCount = std::min(s.quantCount + 1, 4);
        d += need;
        n -= need;
    }
    return 0;
}

int parseDri(CodecState& s) {
    const uint8_t* d;
    int n = takePayload(s.reader, &d);
    if (n < 0) return n;
    if (n < 2) return kJpegDataError;
    s.restartInterval = read16(d);
    return 0;
}

// RGB thumbnail rows into the caller's buffer, three bytes of each pixel.
int storeThumbnail(CodecState& s, const uint8_t* rgb, const uint8_t* palette, int tw, int th) {
    WorkingFields& w = s.work;
    if (!w.origin || w.channels < 3 || w.width < tw || std::abs(w.height) < th) return kJpegOutputTooSmall;
    bool bgr = w.color != kJpegColorRgb;
    for (int y = 0; y < th; ++y) {
        uint8_t* row = w.origin + y * w.stride;
        for (int x = 0; x < tw; ++x) {
            const uint8_t* src = palette ? palette + 3 * rgb[y * tw + x] : rgb + 3 * (y * tw + x);
            uint8_t* px = row + x * w.channels;
            px[0] = bgr ? src[2] : src[0];
            px[1] = src[1];
            px[2] = bgr ? src[0] : src[2];
        }
    }
    return 0;
}

int parseApp0(CodecState& s, int ioType) {
    StreamReader& r = s.reader;
    int n = readPayloadLength(r);
    if (n < 14) return 0;   // too short to be ours: the marker search passes over it
    const uint8_t* d;
    if (takeBytes(r, static_cast<size_t>(n), &d)) return kJpegDataError;
    if (!s.headersWanted) return 0;
    bool thumbRead = isThumbnailRead(ioType);
    if (std::memcmp(d, "JFIF", 5) == 0) {
        s.jfif.seen = 1;
        s.jfif.version = read16(d + 5);
        s.jfif.densityUnit = d[7];
        s.jfif.xDensity = read16(d + 8);
        s.jfif.yDensity = read16(d + 10);
        int tw = d[12], th = d[13];
        if (tw && th) {
            s.work.thumbWidth = tw;
            s.work.thumbHeight = th;
            if (thumbRead && n >= 14 + 3 * tw * th) return storeThumbnail(s, d + 14, nullptr, tw, th);
        }
    } else if (std::memcmp(d, "JFXX", 5) == 0) {
        int tw = d[6], th = d[7];
        if (d[5] == 0x13 && tw && th) {
            s.work.thumbWidth = tw;
            s.work.thumbHeight = th;
            if (thumbRead && n >= 8 + 3 * tw * th) return storeThumbnail(s, d + 8, nullptr, tw, th);
        } else if (d[5] == 0x11 && thumbRead && tw && th && n >= 8 + 768 + tw * th) {
            s.work.thumbWidth = tw;
            s.work.thumbHeight = th;
            return storeThumbnail(s, d + 8 + 768, d + 8, tw, th);
        }
    }
    return 0;
}

int parseApp14(CodecState& s) {
    StreamReader& r = s.reader;
    int n = readPayloadLength(r);
    if (n < 12) return 0;   // left to the marker search
    const uint8_t* d;
    if (takeBytes(r, static_cast<size_t>(n), &d)) return kJpegDataError;
    if (std::memcmp(d, "Adobe", 5) == 0) {
        s.adobe.seen = 1;
        s.adobe.version = read16(d + 5);
        s.adobe.flags0 = read16(d + 7);
        s.adobe.flags1 = read16(d + 9);
        s.adobe.transform = d[11];
    }
    return 0;
}

int parseCom(CodecState& s) {
    const uint8_t* d;
    int n = takePayload(s.reader, &d);
    if (n < 0) return n;
    if (!s.headersWanted || !s.commentBuffer) return 0;
    int capacity = std::max(s.commentCapacity, 0);
    int copied = std::min(capacity, n);
    if (!guardedCall([&] { std::memcpy(s.commentBuffer, d, static_cast<size_t>(copied)); }))
        return kJpegCommentError;
    s.commentLength = n;
    return copied < n ? kJpegCommentError : 0;
}

// The scan header, checked against the frame and the tables the scan will use.
int startScan(CodecState& s) {
    if (s.headersWanted || s.frame.marker == 0) return kJpegNoFrame;
    const uint8_t* d;
    int n = takePayload(s.reader, &d);
    if (n < 0) return n;
    s.ops->scanHeaderSize = n + 4;
    const FrameInfo& f = s.frame;
    ScanInfo scan{};
    scan.ns = n >= 1 ? d[0] : 0;
    if (scan.ns < 1 || scan.ns > f.componentCount || n < 4 + 2 * scan.ns) return kJpegDataError;
    int used = 0;
    for (int i = 0; i < scan.ns; ++i) {
        int id = d[1 + 2 * i], td = d[2 + 2 * i] >> 4, ta = d[2 + 2 * i] & 15;
        if (td > 3 || ta > 3) return kJpegDataError;
        int index = -1;
        for (int c = 0; c < f.componentCount && index < 0; ++c)
            if (f.comp[c].id == id) index = c;
        if (index < 0 || (used & (1 << index))) return kJpegDataError;
        used |= 1 << index;
        ScanComponent& sc = scan.comp[i];
        sc.frameIndex = index;
        sc.h = f.comp[index].h;
        sc.v = f.comp[index].v;
        sc.dcTable = td;
        sc.acTable = ta;
        sc.quantTable = f.comp[index].quantSelector;
    }
    const uint8_t* tail = d + 1 + 2 * scan.ns;
    scan.ss = tail[0];
    scan.se = tail[1];
    scan.ah = tail[2] >> 4;
    scan.al = tail[2] & 15;
    bool usesDc, usesAc;
    if (f.marker == 0xC2) {
        if (scan.se > 63 || scan.ss > scan.se || (scan.ss == 0 && scan.se != 0) ||
            (scan.ss > 0 && scan.ns != 1) || scan.ah > 13 || scan.al > 13)
            return kJpegDataError;
        usesDc = scan.ss == 0 && scan.ah == 0;
        usesAc = scan.ss > 0;
    } else {
        if (scan.ss != 0 || scan.se != 63 || scan.ah != 0 || scan.al != 0) return kJpegDataError;
        usesDc = usesAc = true;
    }
    for (int i = 0; i < scan.ns; ++i) {
        const ScanComponent& sc = scan.comp[i];
        if ((usesDc && !s.dcTables[sc.dcTable].defined) || (usesAc && !s.acTables[sc.acTable].defined))
            return kJpegNoHuffmanTable;
        if (!s.quant[sc.quantTable].defined) return kJpegNoQuantTable;
    }
    scan.restartInterval = s.restartInterval;
    s.scan = scan;
    return 0;
}

int scanComponentMask(const ScanInfo& scan) {
    int mask = 0;
    for (int i = 0; i < scan.ns; ++i) mask |= 1 << scan.comp[i].frameIndex;
    return mask;
}

// First scan of a whole-image read: how the image is decoded and written.
int beginImage(CodecState& s, int ioType) {
    const FrameInfo& f = s.frame;
    s.progressive = f.marker == 0xC2;
    s.coefficientMode = s.progressive || s.scan.ns < f.componentCount;
    int e = setupRegionRead(s, blockSideFor(ioType));
    if (e) return e;
    e = setupFrameOutput(s, blockSideFor(ioType));
    if (e) return e;
    if (s.coefficientMode) {
        std::free(s.coefficients);
        s.coefficientBytes = size_t(f.mcuTotal) * size_t(f.blocksPerMcu) * 64 * sizeof(int16_t);
        // Zeroed: blocks no scan reaches must not show old heap contents.
        s.coefficients = static_cast<int16_t*>(std::calloc(s.coefficientBytes, 1));
        if (!s.coefficients) {
            s.coefficientBytes = 0;
            return kJpegMemoryError;
        }
    }
    int kind = s.dctKind == 0 ? 0 : 1;
    for (int i = 0; i < 4; ++i) s.ops->activeIdct[i] = s.ops->idct[kind][i];
    s.ops->dequantise[2] = s.ops->dequantise[kind];
    s.outputReady = 1;
    return 0;
}

constexpr int kImageComplete = 100;

// The entropy data of the current scan, from its next position.
int finishScan(CodecState& s) {
    int e = decodeScan(s);
    if (e == kJpegInterruptSuccess) return e;   // the reader keeps its bits for the next read
    dropBits(s.reader);
    if (e) return e;
    if (!s.progressive) s.componentsDone |= scanComponentMask(s.scan);
    return 0;
}

// 0: go on; kImageComplete: the read ends; 1, 2 and negative codes: returned.
int runScan(CodecState& s, int ioType) {
    if (++s.scanCount > kMaxScans) return kJpegDataError;
    int mask = scanComponentMask(s.scan);
    int all = (1 << s.frame.componentCount) - 1;
    if (!s.outputReady) {
        int e = beginImage(s, ioType);
        if (e) return e;
    } else if (!s.progressive) {
        if (s.componentsDone == all) return kImageComplete;   // a further sequential scan adds nothing
        if (s.componentsDone & mask) return kJpegDataError;
    }
    s.reader.eobRun = 0;
    s.reader.starved = 0;
    return finishScan(s);
}

}  // namespace

void resetInput(StreamReader& r, const uint8_t* base, size_t size, size_t offset, bool fromFile) {
    r = StreamReader{};
    r.base = base;
    r.end = base + size;
    r.ptr = base + std::min(offset, size);
    r.fromFile = fromFile;
}

int resetFileInput(StreamReader& r, std::FILE* file, uint8_t* buffer, int64_t offset) {
    uint8_t* segment = r.segment;
    r = StreamReader{};
    r.segment = segment;
    r.fromFile = 1;
    r.file = file;
    r.fileBuffer = buffer;
    return seekInput(r, offset);
}

void releaseInput(StreamReader& r) {
    std::free(r.segment);
    r.segment = nullptr;
}

int refillInput(StreamReader& r) {
    if (!r.file) return endOfDataCode(r);
    r.bufferStart += r.end - r.base;
    size_t n = std::fread(r.fileBuffer, 1, kFileBufferSize, r.file);
    r.base = r.ptr = r.fileBuffer;
    r.end = r.fileBuffer + n;
    return n ? 0 : kJpegFileError;
}

bool refillMore(StreamReader& r) { return r.file && refillInput(r) == 0; }

int64_t streamPosition(const StreamReader& r) { return r.bufferStart + (r.ptr - r.base); }

int seekInput(StreamReader& r, int64_t offset) {
    if (!r.file) {
        if (offset < 0 || offset > r.end - r.base) return kJpegMemoryError;
        r.ptr = r.base + offset;
        return 0;
    }
    // Offsets are kept in 32 bits (row marks); larger files are not seekable here.
    if (offset < 0 || offset > 0x7FFFFFFF || std::fseek(r.file, static_cast<long>(offset), SEEK_SET) != 0)
        return kJpegFileError;
    r.bufferStart = offset;
    r.base = r.ptr = r.end = r.fileBuffer;
    return 0;
}

int endOfDataCode(const StreamReader& r) { return r.fromFile ? kJpegFileError : kJpegMemoryError; }

int nextMarker(StreamReader& r) {
    if (r.pendingMarker) {
        int m = r.pendingMarker;
        r.pendingMarker = 0;
        return m;
    }
    int e = skipToMarker(r);
    if (e) return e;
    return *r.ptr++;
}

int decodeJpegStream(CodecState& s, int ioType) {
    StreamReader& r = s.reader;
    const bool parameterRead = isParameterRead(ioType);
    if (parameterRead) {
        if (r.ptr >= r.end) refillInput(r);
        if (r.end - r.ptr < 2 || r.ptr[0] != 0xFF || r.ptr[1] != 0xD8) return kJpegNotJpeg;
    }
    for (;;) {
        if (s.scanInProgress) {
            s.scanInProgress = 0;
            int e = finishScan(s);
            if (e == kJpegInterruptSuccess) s.scanInProgress = 1;
            if (e) return e;
            continue;
        }
        int64_t markerAt = streamPosition(r);
        int m = nextMarker(r);
        if (m < 0) return m;
        if (streamPosition(r) >= 2) markerAt = streamPosition(r) - 2;
        int e = 0;
        switch (m) {
        case 0xD8: s.restartInterval = 0; break;
        case 0xC0: case 0xC1: case 0xC2:
            if (isTablesRead(ioType)) {
                s.resumeOffset = markerAt;
                return 0;
            }
            if (s.frame.marker) return kJpegMultipleFrames;
            e = parseSof(s, m);
            if (e) return e;
            s.headersWanted = 0;
            s.work.jpegWidth = s.frame.width;
            s.work.jpegHeight = s.frame.height;
            s.work.jpegChannels = s.frame.componentCount;
            break;
        case 0xC3: case 0xC5: case 0xC6: case 0xC7: case 0xC8: case 0xC9: case 0xCA: case 0xCB:
        case 0xCD: case 0xCE: case 0xCF:
            return kJpegUnsupportedFrame;
        case 0xC4: e = parseDht(s); break;
        case 0xDB: e = parseDqt(s); break;
        case 0xDD: e = parseDri(s); break;
        case 0xDA:
            e = startScan(s);
            if (e) return e;
            if (parameterRead) {
                s.resumeOffset = markerAt;
                return 0;
            }
            e = runScan(s, ioType);
            if (e == kImageComplete) return 0;
            if (e == kJpegInterruptSuccess) s.scanInProgress = 1;
            if (e) return e;
            break;
        case 0xD9:
            if (parameterRead) return isTablesRead(ioType) ? 0 : kJpegNoImage;
            if (s.headersWanted) {
                // No frame yet: another image may follow.
                if (nextMarker(r) != 0xD8) return kJpegNoImage;
                s.restartInterval = 0;
                break;
            }
            return s.scanCount ? 0 : kJpegNoImage;
        case 0xE0:
            if (ioType != 6 && ioType != 7) e = parseApp0(s, ioType);
            break;
        case 0xEE: e = parseApp14(s); break;
        case 0xFE: e = parseCom(s); break;
        case 0xD0: case 0xD1: case 0xD2: case 0xD3: case 0xD4: case 0xD5: case 0xD6: case 0xD7: break;
        default: e = skipSegment(r); break;
        }
        if (e) return e;
    }
}
