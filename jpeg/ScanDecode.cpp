// Scan decoding. An image whose first scan holds every component and is
// sequential is decoded MCU by MCU straight to the output. Progressive images
// and sequential images split over several scans go to the zeroed coefficient
// buffer (one record of blocksPerMcu blocks per MCU, components in frame order)
// and are written once, at the end of the read, so a stream that stops early
// still shows what arrived.
//
// A one-component scan walks that component's own block grid (ITU-T T.81
// A.2.2); scans of several components walk the frame's MCUs.
#include "jpeg/CodecInternal.h"

namespace {

int sideIndex(int side) { return side == 8 ? 0 : side == 4 ? 1 : side == 2 ? 2 : 3; }

bool isRestartMarker(int m) { return m >= 0xD0 && m <= 0xD7; }

// After `done` of `total` MCUs: at a due restart the predictions reset, the
// bits of the finished interval are dropped and the restart marker is taken.
// Its number is not checked, but a marker that is no restart (the data ended
// early) stays pending for the marker loop.
int checkRestart(CodecState& s, int64_t done, int64_t total) {
    int interval = s.scan.restartInterval;
    if (!interval || done % interval || done >= total) return 0;
    StreamReader& r = s.reader;
    dropBits(r);
    for (int16_t& p : s.scan.dcPred) p = 0;
    if (r.pendingMarker) {
        if (isRestartMarker(r.pendingMarker)) r.pendingMarker = 0;
        return 0;
    }
    int m = nextMarker(r);
    if (m < 0) return m;
    if (!isRestartMarker(m)) r.pendingMarker = m;
    return 0;
}

// The entropy data stopped inside this scan and nothing will resume it: the
// rest of the scan has no data for the coefficient buffer.
bool scanOver(const CodecState& s) {
    const StreamReader& r = s.reader;
    return r.starved && !(s.scan.restartInterval && isRestartMarker(r.pendingMarker));
}

void reconstructMcu(CodecState& s) {
    const FrameInfo& f = s.frame;
    const OutputPlan& p = s.out;
    for (int c = 0; c < f.componentCount; ++c) {
        const FrameComponent& fc = f.comp[c];
        const int side = p.compSide[c], stride = p.planeStride[c];
        const InverseDct idct = s.ops->activeIdct[sideIndex(side)];
        for (int by = 0; by < fc.v; ++by)
            for (int bx = 0; bx < fc.h; ++bx)
                idct(s.mcuBlocks[fc.mcuOffset + by * fc.h + bx], s.planes[c] + by * side * stride + bx * side,
                     stride);
    }
}

int decodeSequentialDirect(CodecState& s) {
    const FrameInfo& f = s.frame;
    ScanInfo& scan = s.scan;
    CodecOps& ops = *s.ops;
    StreamReader& r = s.reader;
    const Dequantise dequant = ops.dequantise[2];
    const DecodeBlockFn decode = ops.decodeBlock;
    const McuOutputFn output = ops.mcuOutput;
    const HuffmanLookup* dc[kMaxComponents];
    const HuffmanLookup* ac[kMaxComponents];
    const uint16_t* quant[kMaxComponents];
    int16_t* first[kMaxComponents];
    int count[kMaxComponents];
    for (int i = 0; i < scan.ns; ++i) {
        const ScanComponent& sc = scan.comp[i];
        dc[i] = &s.dcTables[sc.dcTable];
        ac[i] = &s.acTables[sc.acTable];
        quant[i] = s.quant[sc.quantTable].values;
        first[i] = s.mcuBlocks[f.comp[sc.frameIndex].mcuOffset];
        count[i] = sc.h * sc.v;
    }
    const int64_t total = f.mcuTotal;
    for (int row = 0; row < f.mcusDown; ++row) {
        for (int col = 0; col < f.mcusAcross; ++col) {
            for (int i = 0; i < scan.ns; ++i) {
                int16_t* block = first[i];
                for (int b = 0; b < count[i]; ++b, block += 64) {
                    int e = decode(r, *dc[i], *ac[i], scan.dcPred[i], block);
                    if (e < 0) return e;
                    dequant(block, quant[i]);
                }
            }
            int e = checkRestart(s, int64_t(row) * f.mcusAcross + col + 1, total);
            if (e) return e;
            reconstructMcu(s);
            output(s, col, row);
        }
    }
    return 0;
}

// One block of the current scan into its place in the coefficient buffer.
inline int decodeInto(CodecState& s, int i, int16_t* block) {
    ScanInfo& scan = s.scan;
    const ScanComponent& sc = scan.comp[i];
    StreamReader& r = s.reader;
    if (!s.progressive)
        return s.ops->decodeBlock(r, s.dcTables[sc.dcTable], s.acTables[sc.acTable], scan.dcPred[i], block);
    if (scan.ss == 0)
        return scan.ah == 0 ? decodeDcFirst(r, s.dcTables[sc.dcTable], block, scan.dcPred[i], scan.al)
                            : decodeDcRefine(r, block, scan.al);
    return scan.ah == 0 ? decodeAcFirst(r, block, s.acTables[sc.acTable], scan.ss, scan.se, scan.al)
                        : decodeAcRefine(r, block, s.acTables[sc.acTable], scan.ss, scan.se, scan.al);
}

int decodeCoefficientScan(CodecState& s) {
    const FrameInfo& f = s.frame;
    const ScanInfo& scan = s.scan;
    const size_t recordSize = size_t(f.blocksPerMcu) * 64;
    // Restart errors: the sequential loop passes them on, progressive scans
    // report a bad restart.
    auto restartError = [&](int e) { return s.progressive ? kJpegBadRestart : e; };
    if (scan.ns == 1) {
        const FrameComponent& fc = f.comp[scan.comp[0].frameIndex];
        const int64_t total = int64_t(fc.blocksAcross) * fc.blocksDown;
        for (int by = 0; by < fc.blocksDown; ++by) {
            int16_t* rowRecords = s.coefficients + size_t(by / fc.v) * f.mcusAcross * recordSize;
            const int inRow = (by % fc.v) * fc.h + fc.mcuOffset;
            for (int bx = 0; bx < fc.blocksAcross; ++bx) {
                int16_t* block = rowRecords + size_t(bx / fc.h) * recordSize + size_t(inRow + bx % fc.h) * 64;
                int e = decodeInto(s, 0, block);
                if (e < 0) return e;
                if (scanOver(s)) return 0;
                e = checkRestart(s, int64_t(by) * fc.blocksAcross + bx + 1, total);
                if (e) return restartError(e);
            }
        }
        return 0;
    }
    const int64_t total = f.mcuTotal;
    for (int row = 0; row < f.mcusDown; ++row) {
        for (int col = 0; col < f.mcusAcross; ++col) {
            int16_t* record = s.coefficients + (size_t(row) * f.mcusAcross + col) * recordSize;
            for (int i = 0; i < scan.ns; ++i) {
                const FrameComponent& fc = f.comp[scan.comp[i].frameIndex];
                int16_t* block = record + size_t(fc.mcuOffset) * 64;
                for (int b = 0; b < fc.h * fc.v; ++b, block += 64) {
                    int e = decodeInto(s, i, block);
                    if (e < 0) return e;
                }
            }
            if (scanOver(s)) return 0;
            int e = checkRestart(s, int64_t(row) * f.mcusAcross + col + 1, total);
            if (e) return restartError(e);
        }
    }
    return 0;
}

}  // namespace

int decodeScan(CodecState& s) {
    return s.coefficientMode ? decodeCoefficientScan(s) : decodeSequentialDirect(s);
}

void outputCoefficientImage(CodecState& s) {
    const FrameInfo& f = s.frame;
    CodecOps& ops = *s.ops;
    const Dequantise dequant = ops.dequantise[2];
    const size_t recordSize = size_t(f.blocksPerMcu) * 64;
    for (int row = 0; row < f.mcusDown; ++row) {
        for (int col = 0; col < f.mcusAcross; ++col) {
            const int16_t* record = s.coefficients + (size_t(row) * f.mcusAcross + col) * recordSize;
            copyBytes(s.mcuBlocks, record, recordSize * sizeof(int16_t));
            for (int c = 0; c < f.componentCount; ++c) {
                const FrameComponent& fc = f.comp[c];
                for (int b = 0; b < fc.h * fc.v; ++b)
                    dequant(s.mcuBlocks[fc.mcuOffset + b], s.quant[fc.quantSelector].values);
            }
            reconstructMcu(s);
            ops.mcuOutput(s, col, row);
        }
    }
}
