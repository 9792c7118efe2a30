// The codec's entry points: record set-up, validation, reads and release.
// Each entry point runs under the fault guard; a fault ends it with
// "Exception detected".
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "jpeg/CodecInternal.h"
#include "jpeg/JpegEncoder.h"
#include "render/FaultGuard.h"

namespace {

bool isPixelType(int t) { return (t >= 2 && t <= 3) || (t >= 6 && t <= 9) || t == 12 || t == 13 || (t >= 15 && t <= 21); }
bool isWriteType(int t) { return t >= 8 && t <= 13; }
bool isParameterType(int t) { return t == 0 || t == 1 || t == 4 || t == 5 || t == 20 || t == 21; }
bool isWholeImageType(int t) { return (t >= 2 && t <= 3) || (t >= 6 && t <= 7) || (t >= 14 && t <= 19); }

void setCallerDefaults(JpegProperties* p) {
    p->keepState = 0;
    p->pixels = nullptr;
    p->width = p->height = p->rowPad = 0;
    p->channels = 3;
    p->color = kJpegColorBgr;
    p->subsampling = 0;
    p->fileName = nullptr;
    p->buffer = nullptr;
    p->bufferSize = 0;
    p->jpegWidth = p->jpegHeight = 0;
    p->jpegChannels = 3;
    p->jpegColor = kJpegColorYcbcr;
    p->jpegSubsampling = kJpegSub420;
    p->thumbWidth = p->thumbHeight = 0;
    p->conversionRequired = 1;
    p->upsamplingRequired = 1;
    p->quality = 75;
}

void copyIn(const JpegProperties* p, WorkingFields& w) {
    w.pixels = static_cast<uint8_t*>(p->pixels);
    w.width = p->width;
    w.height = p->height;
    w.rowPad = p->rowPad;
    w.channels = p->channels;
    w.color = p->color;
    w.subsampling = p->subsampling;
    w.jpegWidth = p->jpegWidth;
    w.jpegHeight = p->jpegHeight;
    w.jpegChannels = p->jpegChannels;
    w.jpegColor = p->jpegColor;
    w.jpegSubsampling = p->jpegSubsampling;
    w.thumbWidth = p->thumbWidth;
    w.thumbHeight = p->thumbHeight;
    w.conversionRequired = p->conversionRequired;
    w.upsamplingRequired = p->upsamplingRequired;
    ptrdiff_t stride = ptrdiff_t(w.width) * w.channels + w.rowPad;
    w.stride = w.height < 0 ? -stride : stride;
}

int subsamplingOf(const FrameInfo& f) {
    const FrameComponent* c = f.comp;
    auto is = [](const FrameComponent& fc, int h, int v) { return fc.h == h && fc.v == v; };
    switch (f.componentCount) {
    case 1: return kJpegSub444;
    case 2: return is(c[0], 1, 1) && is(c[1], 1, 1) ? kJpegSub444 : kJpegSubOther;
    case 3:
    case 4: {
        if (!is(c[1], 1, 1) || !is(c[2], 1, 1)) return kJpegSubOther;
        if (f.componentCount == 4 && !is(c[3], c[0].h, c[0].v)) return kJpegSubOther;
        bool four = f.componentCount == 4;
        if (is(c[0], 1, 1)) return kJpegSub444;
        if (is(c[0], 2, 2)) return four ? kJpegSub420K : kJpegSub420;
        if (is(c[0], 2, 1)) return four ? kJpegSub422K : kJpegSub422;
        return kJpegSubOther;
    }
    default: return kJpegSubOther;
    }
}

void closeFile(CodecState& s, int* result) {
    if (!s.file) return;
    bool ok = std::fclose(s.file) == 0;
    s.file = nullptr;
    s.reader.file = nullptr;
    releaseInput(s.reader);
    if (!ok && result && *result >= 0) *result = kJpegCloseError;
}

int openFile(CodecState& s, const char* name) {
    if (s.file) return 0;
    s.file = std::fopen(name, "rb");
    if (!s.file) return kJpegBadFileName;
    // Reads go through the codec's own buffer.
    std::setvbuf(s.file, nullptr, _IONBF, 0);
    return 0;
}

// A parameter read starts the stream afresh: no frame, no tables.
void forgetStream(CodecState& s) {
    s.frame = FrameInfo{};
    s.headersWanted = 1;
    s.quantCount = s.dcCount = s.acCount = s.quantIds = s.huffmanIds = 0;
    for (QuantTable& q : s.quant) q.defined = 0;
    for (HuffmanLookup& t : s.dcTables) t.defined = 0;
    for (HuffmanLookup& t : s.acTables) t.defined = 0;
    s.jfif = JfifInfo{0, 0x0101, 0, 1, 1};
    s.adobe = AdobeInfo{0, 100, 0, 0, 0};
    s.restartInterval = 0;
    s.resumeOffset = 0;
}

void deduceColor(CodecState& s, int ioType) {
    WorkingFields& w = s.work;
    const int n = s.frame.marker ? s.frame.componentCount : w.jpegChannels;
    if (s.adobe.seen) {
        if (ioType == 0 || ioType == 1) {
            if (n == 1) w.jpegColor = kJpegColorGrey;
            else if (n == 3) w.jpegColor = s.adobe.transform ? kJpegColorYcbcr : kJpegColorRgb;
            else if (n == 4) {
                w.jpegColor = s.adobe.transform ? kJpegColorYcck : kJpegColorRgba;
                w.color = kJpegColorRgba;
                w.channels = 4;
            }
        }
    } else if (n == 1) {
        w.jpegColor = kJpegColorGrey;
    } else if (n == 3 && s.jfif.seen) {
        w.jpegColor = kJpegColorYcbcr;
    }
    if (w.color == kJpegColorYcbcr && w.jpegColor == kJpegColorYcbcr) w.subsampling = kJpegSub422;
}

void copyOut(JpegProperties* p, const CodecState& s) {
    const WorkingFields& w = s.work;
    p->jpegWidth = w.jpegWidth;
    p->jpegHeight = w.jpegHeight;
    p->jpegChannels = w.jpegChannels;
    p->thumbWidth = w.thumbWidth;
    p->thumbHeight = w.thumbHeight;
    p->conversionRequired = w.conversionRequired;
    p->upsamplingRequired = w.upsamplingRequired;
    p->jpegColor = w.jpegColor;
    p->color = w.color;
    p->channels = w.channels;
    if (s.frame.marker) p->jpegSubsampling = subsamplingOf(s.frame);
}

// A whole-image read after the stream's first scan has been used leaves the
// record ready to read the stream again from its start.
void rewindStream(CodecState& s) {
    s.frame = FrameInfo{};
    s.headersWanted = 1;
    s.resumeOffset = 0;
    std::free(s.coefficients);
    s.coefficients = nullptr;
    s.coefficientBytes = 0;
}

int readBody(JpegProperties* p, int ioType) {
    CodecState& s = p->state;
    const bool whole = isWholeImageType(ioType);
    // An interrupted read goes on only with another whole-image read.
    const bool resuming = whole && (s.scanInProgress || s.outputPending);
    if (!resuming && (s.scanInProgress || s.outputPending)) {
        // An interrupted read left for another: the caller's rectangle comes back.
        s.roiLeft = s.requestedRoi[0], s.roiTop = s.requestedRoi[1];
        s.roiRight = s.requestedRoi[2], s.roiBottom = s.requestedRoi[3];
    }
    if (!resuming) s.scanInProgress = s.outputPending = s.outputNext = 0;
    if (isParameterType(ioType)) forgetStream(s);
    const bool fromFile = (ioType & 1) == 0;
    if (fromFile) {
        int e = openFile(s, p->fileName);
        if (e) return e;
    }
    if (!p->keepState) copyIn(p, s.work);
    if (isParameterType(ioType)) s.work.thumbWidth = s.work.thumbHeight = 0;
    WorkingFields& w = s.work;
    w.origin = w.pixels;
    if (w.pixels && w.height < 0) w.origin = w.pixels + ptrdiff_t(-w.height - 1) * -w.stride;

    if (!resuming) {
        size_t start = whole || ioType == 6 || ioType == 7 ? size_t(s.resumeOffset) : 0;
        if (fromFile) {
            int e = resetFileInput(s.reader, s.file, s.fileBuffer, int64_t(start));
            if (e) return e;
        } else {
            const uint8_t* data = static_cast<const uint8_t*>(p->buffer);
            if (!data) return kJpegInvalidProperties;
            releaseInput(s.reader);
            resetInput(s.reader, data, size_t(p->bufferSize > 0 ? p->bufferSize : 0), start, false);
        }
        s.scanCount = 0;
        s.outputReady = 0;
        s.coefficientMode = 0;
        s.componentsDone = 0;
        std::free(s.coefficients);
        s.coefficients = nullptr;
        s.coefficientBytes = 0;
        s.requestedRoi[0] = s.roiLeft, s.requestedRoi[1] = s.roiTop;
        s.requestedRoi[2] = s.roiRight, s.requestedRoi[3] = s.roiBottom;
        // The region is set up at the first scan, once the frame is known.
        s.regionActive = 0;
    }

    int result = s.outputPending ? 0 : decodeJpegStream(s, ioType);
    if (whole && s.outputReady && s.coefficientMode && result != kJpegInterruptSuccess &&
        result != kJpegRoiSuccess) {
        if (result == 0) {
            s.outputPending = 1;
            result = outputCoefficientImage(s);
            if (result != kJpegInterruptSuccess) s.outputPending = 0;
        } else {
            // What arrived is written even when the stream ended early.
            const int32_t flag = s.interrupt;
            s.interrupt = 0;
            s.outputNext = 0;
            outputCoefficientImage(s);
            s.interrupt = flag;
        }
        if (result != kJpegInterruptSuccess && !s.progressive) convertImageInPlace(s);
    }
    if (result == kJpegInterruptSuccess) return result;
    s.scanInProgress = s.outputPending = s.outputNext = 0;
    if (result >= 0) {
        deduceColor(s, ioType);
        copyOut(p, s);
        if (ioType == 2 || ioType == 4 || ioType == 6) closeFile(s, &result);
    }
    if (whole) {
        rewindStream(s);
        s.roiLeft = s.requestedRoi[0], s.roiTop = s.requestedRoi[1];
        s.roiRight = s.requestedRoi[2], s.roiBottom = s.requestedRoi[3];
        s.regionActive = 0;
    }
    return result;
}

// The region a whole-image read asks for, in output pixels, clamped to the
// image and to the buffer (which holds the region only). A right or bottom
// edge of 0 stands for the image's edge.
void setupRegion(CodecState& s, int blockSide) {
    s.regionActive = 0;
    const int imageW = (s.frame.width * blockSide + 7) / 8, imageH = (s.frame.height * blockSide + 7) / 8;
    int l = s.roiLeft, t = s.roiTop, r = s.roiRight, b = s.roiBottom;
    if (!((r != 0 && r < imageW) || (b != 0 && b < imageH) || l > 0 || t > 0)) return;
    if (r <= 0 || r > imageW) r = imageW;
    if (b <= 0 || b > imageH) b = imageH;
    l = std::max(l, 0);
    t = std::max(t, 0);
    r = int(std::min<int64_t>(r, int64_t(l) + s.work.width));
    b = int(std::min<int64_t>(b, int64_t(t) + std::abs(s.work.height)));
    s.region[0] = l;
    s.region[1] = t;
    s.region[2] = std::max(r, l);
    s.region[3] = std::max(b, t);
    s.regionActive = 1;
}

uint64_t mixBytes(uint64_t h, const uint8_t* p, size_t n) {
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        h = (h ^ w) * 0x9E3779B97F4A7C15ull;
        h ^= h >> 29;
    }
    for (; i < n; ++i) h = (h ^ p[i]) * 0x100000001B3ull;
    return h;
}

// The stream's bytes, all of them, as one number and a length: another stream
// under the same name or at the same address gives another number. A file is
// read through the region scratch and left where the reader stands.
int fingerprintStream(CodecState& s, uint64_t* hash, int64_t* length) {
    const StreamReader& r = s.reader;
    uint64_t h = 0x243F6A8885A308D3ull;
    if (!r.file) {
        *length = r.end - r.base;
        *hash = mixBytes(h, r.base, size_t(*length));
        return 0;
    }
    const int64_t resumeAt = r.bufferStart + (r.end - r.base);
    if (resumeAt > 0x7FFFFFFF || std::fseek(r.file, 0, SEEK_SET) != 0) return kJpegFileError;
    int64_t total = 0;
    for (;;) {
        const size_t n = std::fread(s.regionScratch, 1, kRegionScratchBytes, r.file);
        h = mixBytes(h, s.regionScratch, n);
        total += int64_t(n);
        if (n < kRegionScratchBytes) break;
    }
    if (std::ferror(r.file) || std::fseek(r.file, static_cast<long>(resumeAt), SEEK_SET) != 0) return kJpegFileError;
    *hash = h;
    *length = total;
    return 0;
}

// Row marks are kept only for the stream they were made from: any other
// stream (or a changed one) starts them over.
int prepareRowMarks(CodecState& s) {
    if (!s.rowMarks) {
        s.rowMarks = static_cast<RowMark*>(std::malloc(sizeof(RowMark) * kRowMarks));
        if (!s.rowMarks) return kJpegMemoryError;
        s.marksKey[1] = -1;
    }
    if (!s.regionScratch) {
        s.regionScratch = static_cast<uint8_t*>(std::malloc(kRegionScratchBytes));
        if (!s.regionScratch) return kJpegMemoryError;
    }
    uint64_t hash = 0;
    int64_t length = 0;
    int e = fingerprintStream(s, &hash, &length);
    if (e) return e;
    const int64_t key[4] = {int64_t(hash), length, int64_t(s.frame.width) << 16 | s.frame.height,
                            s.frame.componentCount};
    if (std::memcmp(key, s.marksKey, sizeof key) != 0) {
        for (int i = 0; i < kRowMarks; ++i) s.rowMarks[i].position = -1;
        std::memcpy(s.marksKey, key, sizeof key);
    }
    return 0;
}

}  // namespace

int setupRegionRead(CodecState& s, int blockSide) {
    setupRegion(s, blockSide);
    return s.regionActive ? prepareRowMarks(s) : 0;
}

int validateProperties(JpegProperties* p) {
    if (p->keepState) return 0;
    const int t = p->state.ioType;
    if (t < 0 || t > 21) return kJpegInvalidProperties;
    const bool write = isWriteType(t);
    if (isPixelType(t)) {
        if (!p->pixels || p->width < 1 || p->width > 65535 || p->height < -65535 || p->height > 65535)
            return kJpegInvalidProperties;
        if ((t == 20 || t == 21) && p->color != kJpegColorRgb && p->color != kJpegColorBgr)
            return kJpegThumbWrongColor;
        if (p->rowPad < 0 || p->channels < 1 || p->channels > 255) return kJpegInvalidProperties;
        if (!(p->subsampling == 0 || (p->subsampling == 2 && p->color == kJpegColorYcbcr)))
            return kJpegBadSubsampling;
    }
    if ((t & 1) == 0 ? !p->fileName : (!p->buffer || p->bufferSize == 0)) return kJpegInvalidProperties;
    if (p->jpegChannels < 1 || p->jpegChannels > 256) return kJpegInvalidProperties;
    const int color = p->color, ch = p->channels, jc = p->jpegColor, jn = p->jpegChannels;
    if (write) {
        if (isPixelType(t) && (p->jpegWidth < 1 || p->jpegWidth > 65535 || p->jpegHeight < 1 || p->jpegHeight > 65535))
            return kJpegInvalidProperties;
        if (color != kJpegColorGrey && jc != kJpegColorYcbcr && ch < jn) return kJpegInvalidProperties;
        const int sub = p->jpegSubsampling;
        bool ok = jn == 3 ? (sub >= 0 && sub <= 2) : jn == 4 ? (sub == 0 || sub == 3 || sub == 4) : sub == 0;
        if (!ok) return kJpegBadSubsampling;
    }
    auto is = [&](int c, int n) { return color == c && ch == n; };
    bool pair = false;
    if (!write) {
        switch (jc) {
        case kJpegColorGrey:
            pair = jn == 1 && (is(4, 1) || is(1, 3) || is(2, 3) || is(5, 4));
            break;
        case kJpegColorRgb: pair = jn == 3 && (is(1, 3) || is(2, 3) || is(5, 4)); break;
        case kJpegColorYcbcr:
            pair = jn == 3 && (is(4, 1) || is(1, 3) || is(2, 3) || is(5, 4) || color == kJpegColorYcbcr);
            break;
        case kJpegColorRgba:
        case kJpegColorYcck: pair = jn == 4 && is(5, 4); break;
        case kJpegColorOther: pair = color == kJpegColorOther; break;
        default: break;
        }
    } else {
        if (is(4, 1)) pair = (jc == 4 && jn == 1) || (jc == 3 && jn == 3);
        else if (is(1, 3) || is(2, 3)) pair = (jc == 4 && jn == 1) || (jc == 1 && jn == 3) || (jc == 3 && jn == 3);
        else if (is(1, 4)) pair = jc == 3 && jn == 3;
        else if (is(5, 4)) pair = (jc == 5 || jc == 6) && jn == 4;
        else if (is(3, 3)) pair = jc == 3 && jn == 3;
        else if (color == kJpegColorOther) pair = jc == kJpegColorOther && ch >= jn;
    }
    if (!pair) return kJpegInvalidProperties;
    if (p->state.dctKind != 0 && p->state.dctKind != 1) return kJpegInvalidProperties;
    return 0;
}

int jpegInit(JpegProperties* p) {
    int result = 0;
    bool ok = guardedCall([&] {
        p->state = CodecState{};
        CodecState& s = p->state;
        s.ops = new (std::nothrow) CodecOps{};
        if (!s.ops) {
            result = kJpegMemoryError;
            return;
        }
        setupCodecOps(s.ops);
        setCallerDefaults(p);
        s.ioType = -1;
        s.dctKind = 1;
        copyIn(p, s.work);
        s.work.stride = 0;
        forgetStream(s);
        s.cpuClass = selectCpuClass(s.ops);
        setEncoderDefaults(s.encoder);
    });
    if (!ok) result = kJpegException;
    if (result < 0 && p->state.ops) {
        releaseLateBound(p->state.ops);
        delete p->state.ops;
        p->state.ops = nullptr;
    }
    return result;
}

int jpegRead(JpegProperties* p, int ioType) {
    int result = 0;
    CodecState& s = p->state;
    bool ok = guardedCall([&] {
        s.ioType = ioType;
        result = validateProperties(p);
        if (result == 0 && !s.ops) result = kJpegInvalidProperties;
        if (result == 0) result = readBody(p, ioType);
    });
    if (!ok) result = kJpegException;
    if (s.ops && s.ops->leaveSimdState) s.ops->leaveSimdState();
    if (result < 0) closeFile(s, nullptr);
    return result;
}

int jpegWrite(JpegProperties* p, int ioType) {
    int result = 0;
    CodecState& s = p->state;
    bool ok = guardedCall([&] {
        s.ioType = ioType;
        result = validateProperties(p);
        if (result == 0 && (!s.ops || !isWriteType(ioType))) result = kJpegInvalidProperties;
        if (result != 0) return;
        const bool resuming = s.encoderWork && s.encoderWork->resuming;
        if (!p->keepState && !resuming) {
            copyIn(p, s.work);
            if (p->subsampling == 2) {
                const ptrdiff_t stride = ptrdiff_t(p->width) * 2 + p->rowPad;
                s.work.stride = p->height < 0 ? -stride : stride;
                if (p->color == kJpegColorYcbcr && p->jpegColor == kJpegColorYcbcr) s.work.jpegSubsampling = 2;
            }
        }
        result = encodeImage(p, ioType);
    });
    if (!ok) result = kJpegException;
    if (s.ops && s.ops->leaveSimdState) s.ops->leaveSimdState();
    // An interrupted write keeps its file and state for the next call.
    if (result != kJpegInterruptSuccess) {
        closeFile(s, result < 0 ? nullptr : &result);
        if (s.encoderWork) s.encoderWork->resuming = 0;
    }
    return result;
}

int jpegFree(JpegProperties* p) {
    int result = 0;
    CodecState& s = p->state;
    bool ok = guardedCall([&] {
        closeFile(s, &result);
        releaseInput(s.reader);
        std::free(s.rowMarks);
        s.rowMarks = nullptr;
        std::free(s.regionScratch);
        s.regionScratch = nullptr;
        s.scanInProgress = s.outputPending = 0;
        std::free(s.coefficients);
        s.coefficients = nullptr;
        s.coefficientBytes = 0;
        freeEncoderWork(s);
        s.frame = FrameInfo{};
        s.quantCount = s.dcCount = s.acCount = s.quantIds = s.huffmanIds = 0;
    });
    if (!ok) result = kJpegException;
    if (s.ops) {
        releaseLateBound(s.ops);
        delete s.ops;
        s.ops = nullptr;
    }
    return result;
}

const char* jpegErrorText(int code) {
    static const char* const kTexts[] = {
        "ROI Success", "Interrupt Success", "Success", "Exception detected", "Invalid Encoder",
        "Unsupported subsampling", "Unsupported bytes per pixel", "Memory error", "Bad Huffman table",
        "Bad Quantization table", "Invalid JpegProperties", "Error close file", "Invalid file name", "Error EOF",
        "Not supported", "Not JPEG", "Error COMP", "Error SOF", "Error DNL", "No Huffman table",
        "No Quantization table", "No frame", "Multiply frame", "Data error", "No image", "File error",
        "Internal error", "Bad RST marker", "Thumbnail too small", "Thumbnail has wrong color",
        "Output buffer too small", "Unsupported frame was found", "Error access to jpeg_comment buffer",
    };
    if (code == kJpegReserved) return "Reserved";
    if (code > 2 || code < -30) return "Unknown error code";
    return kTexts[2 - code];
}
