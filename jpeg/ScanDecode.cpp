// Scan decoding. An image whose first scan holds every component and is
// sequential is decoded MCU by MCU straight to the output. Progressive images
// and sequential images split over several scans go to the zeroed coefficient
// buffer (one record of blocksPerMcu blocks per MCU, components in frame order)
// and are written once, at the end of the read, so a stream that stops early
// still shows what arrived.
//
// A one-component scan walks that component's own block grid (ITU-T T.81
// A.2.2); scans of several components walk the frame's MCUs.
#include <algorithm>

#include "jpeg/CodecInternal.h"
#include "jpeg/VectorOps.h"

#if defined(__x86_64__) || defined(_M_X64) || defined(__SSE__)
#define VT_PREFETCH 1
#include <xmmintrin.h>
#endif

namespace {

// Asks for a block's 128 bytes ahead of their use: a one-component scan
// takes one or two blocks of each MCU's record, a pattern the processor's own
// prefetching follows poorly. (Only where the compiler may assume the
// instruction: every 64-bit build, a 32-bit one built for SSE.)
inline void prefetchBlock(const int16_t* block) {
#ifdef VT_PREFETCH
    _mm_prefetch(reinterpret_cast<const char*>(block), _MM_HINT_T0);
    _mm_prefetch(reinterpret_cast<const char*>(block + 63), _MM_HINT_T0);
#else
    (void)block;
#endif
}

// Blocks ahead of the one being decoded.
constexpr int kPrefetchAhead = 4;

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

// The dequantisation and 8x8 transform in one step, when every component
// takes the 8x8 transform and the record's routines allow it; null otherwise.
using Reconstruct8 = void (*)(int16_t* block, const uint16_t* table, uint8_t* out, int stride);
Reconstruct8 fusedReconstruct(const CodecState& s) {
#ifdef VT_VECTOR_FORMS
    for (int c = 0; c < s.frame.componentCount; ++c)
        if (s.out.compSide[c] != 8) return nullptr;
    return dequantisingIdct(*s.ops);
#else
    (void)s;
    return nullptr;
#endif
}

// With `fused`, the blocks are still to be dequantised (with the component's
// table).
void reconstructMcu(CodecState& s, Reconstruct8 fused = nullptr) {
    const FrameInfo& f = s.frame;
    const OutputPlan& p = s.out;
    if (fused) {
        for (int c = 0; c < f.componentCount; ++c) {
            const FrameComponent& fc = f.comp[c];
            const int stride = p.planeStride[c];
            const uint16_t* table = s.quant[fc.quantSelector].values;
            for (int by = 0; by < fc.v; ++by)
                for (int bx = 0; bx < fc.h; ++bx)
                    fused(s.mcuBlocks[fc.mcuOffset + by * fc.h + bx], table, s.planes[c] + by * 8 * stride + bx * 8,
                          stride);
        }
        return;
    }
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

void reportMcu(CodecState& s, int column, int row) {
    s.roiLeft = s.roiRight = column;
    s.roiTop = s.roiBottom = row;
}

// Stops the read after the MCU (column, row) of a grid `across` wide when the
// interrupt flag is set: the next position goes into the scan and the caller's
// rectangle reports the MCU just done. After the grid's last MCU the position
// goes back to the start and the read goes on.
bool interruptAfter(CodecState& s, int column, int row, int across, int down) {
    if (!s.interrupt) {
        if (column + 1 >= across && row + 1 >= down) s.scan.nextColumn = s.scan.nextRow = 0;
        return false;
    }
    if (!storeNextPosition(s.scan, column, row, across, down)) return false;
    reportMcu(s, column, row);
    return true;
}

// MCU rows and columns of the region, [first, end).
struct RegionGrid {
    int col0, col1, row0, row1;
};

RegionGrid regionGrid(const CodecState& s) {
    const int mw = s.out.mcuWidth, mh = s.out.mcuHeight;
    return {s.region[0] / mw, (s.region[2] + mw - 1) / mw, s.region[1] / mh, (s.region[3] + mh - 1) / mh};
}

void saveRowMark(CodecState& s, int row) {
    if (!s.rowMarks || row >= kRowMarks) return;
    RowMark& m = s.rowMarks[row];
    if (m.position >= 0) return;
    const StreamReader& r = s.reader;
    m.position = static_cast<int32_t>(streamPosition(r));
    for (int i = 0; i < kMaxComponents; ++i) m.dcPred[i] = s.scan.dcPred[i];
    m.bitBuffer = r.bitBuffer;
    m.bitCount = r.bitCount;
    m.pendingMarker = static_cast<uint8_t>(r.pendingMarker);
    m.padBits = static_cast<uint8_t>(r.padBits);
    m.starved = static_cast<uint8_t>(r.starved);
}

// Goes to the nearest marked row at or above `row`; returns that row, or a
// negative code when the input cannot be moved there.
int restoreRowMark(CodecState& s, int row) {
    int k = std::min(row, kRowMarks - 1);
    while (k > 0 && s.rowMarks[k].position < 0) --k;
    if (k == 0) return 0;
    const RowMark& m = s.rowMarks[k];
    StreamReader& r = s.reader;
    if (seekInput(r, m.position)) return kJpegFileError;
    for (int i = 0; i < kMaxComponents; ++i) s.scan.dcPred[i] = static_cast<int16_t>(m.dcPred[i]);
    r.bitBuffer = m.bitBuffer;
    r.bitCount = m.bitCount;
    r.pendingMarker = m.pendingMarker;
    r.padBits = m.padBits;
    r.starved = m.starved;
    return k;
}

// The scan of every component, MCU by MCU straight to the output. A region
// read passes the MCUs outside the region with the block skip (predictions
// kept, restarts taken), starts from the nearest row mark above the region and
// stops after its last row.
int decodeSequentialDirect(CodecState& s) {
    const FrameInfo& f = s.frame;
    ScanInfo& scan = s.scan;
    CodecOps& ops = *s.ops;
    StreamReader& r = s.reader;
    const Dequantise dequant = ops.dequantise[2];
    const DecodeBlockFn decode = ops.decodeBlock;
    const SkipBlockFn skip = ops.skipBlock;
    const Reconstruct8 fused = fusedReconstruct(s);
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
    const bool region = s.regionActive;
    RegionGrid g{0, f.mcusAcross, 0, f.mcusDown};
    int startRow = scan.nextRow, startCol = scan.nextColumn;
    if (region) {
        g = regionGrid(s);
        g.row1 = std::min(g.row1, f.mcusDown);
        if (g.col0 >= g.col1 || g.row0 >= g.row1) return kJpegRoiSuccess;
        if (startRow == 0 && startCol == 0) {
            saveRowMark(s, 0);
            int k = restoreRowMark(s, g.row0);
            if (k < 0) return k;
            startRow = k;
        }
    }
    int16_t dcOut;
    for (int row = startRow; row < g.row1; ++row) {
        const bool rowInside = row >= g.row0;
        for (int col = row == startRow ? startCol : 0; col < f.mcusAcross; ++col) {
            if (region && col == 0) saveRowMark(s, row);
            const bool inside = rowInside && col >= g.col0 && col < g.col1;
            for (int i = 0; i < scan.ns; ++i) {
                int16_t* block = first[i];
                for (int b = 0; b < count[i]; ++b, block += 64) {
                    if (!inside) {
                        if (skip(r, *dc[i], *ac[i], scan.dcPred[i], &dcOut) < 0) return kJpegDataError;
                        continue;
                    }
                    int e = decode(r, *dc[i], *ac[i], scan.dcPred[i], block);
                    if (e < 0) return e;
                    if (!fused) dequant(block, quant[i]);
                }
            }
            int e = checkRestart(s, int64_t(row) * f.mcusAcross + col + 1, total);
            if (e) return region ? kJpegBadRestart : e;
            if (inside) {
                reconstructMcu(s, fused);
                ops.mcuOutput(s, col, row);
            }
            if (interruptAfter(s, col, row, f.mcusAcross, region ? g.row1 : f.mcusDown))
                return kJpegInterruptSuccess;
        }
    }
    scan.nextColumn = scan.nextRow = 0;
    return region ? kJpegRoiSuccess : 0;
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

// An interrupted scan stops after each MCU (a block of a one-component scan),
// the rectangle naming it; a progressive AC scan only after whole block rows,
// the rectangle naming the row's last block.
int decodeCoefficientScan(CodecState& s) {
    const FrameInfo& f = s.frame;
    ScanInfo& scan = s.scan;
    const size_t recordSize = size_t(f.blocksPerMcu) * 64;
    // Restart errors: the sequential loop passes them on, progressive scans
    // report a bad restart.
    auto restartError = [&](int e) { return s.progressive ? kJpegBadRestart : e; };
    // A sequential scan of a region read passes the blocks of MCUs outside the
    // region with the block skip and ends after the region's last MCU row (the
    // marker loop passes over the rest of its data).
    const bool region = s.regionActive && !s.progressive;
    RegionGrid g{0, f.mcusAcross, 0, f.mcusDown};
    if (region) g = regionGrid(s);
    int16_t dcOut;
    auto skipInto = [&](int i) {
        const ScanComponent& sc = scan.comp[i];
        return s.ops->skipBlock(s.reader, s.dcTables[sc.dcTable], s.acTables[sc.acTable], scan.dcPred[i], &dcOut) < 0
                   ? kJpegDataError
                   : 0;
    };
    if (scan.ns == 1) {
        const FrameComponent& fc = f.comp[scan.comp[0].frameIndex];
        const int64_t total = int64_t(fc.blocksAcross) * fc.blocksDown;
        const bool rowsOnly = s.progressive && scan.ss > 0;
        const int startRow = scan.nextRow, startCol = scan.nextColumn;
        for (int by = startRow; by < fc.blocksDown; ++by) {
            const int mcuRow = by / fc.v;
            if (region && mcuRow >= g.row1) break;
            int16_t* rowRecords = s.coefficients + size_t(mcuRow) * f.mcusAcross * recordSize;
            const int inRow = (by % fc.v) * fc.h + fc.mcuOffset;
            auto blockAt = [&](int bx) {
                return rowRecords + size_t(bx / fc.h) * recordSize + size_t(inRow + bx % fc.h) * 64;
            };
            for (int bx = by == startRow ? startCol : 0; bx < fc.blocksAcross; ++bx) {
                int16_t* block = blockAt(bx);
                prefetchBlock(blockAt(std::min(bx + kPrefetchAhead, fc.blocksAcross - 1)));
                const bool inside = !region || (mcuRow >= g.row0 && bx / fc.h >= g.col0 && bx / fc.h < g.col1);
                int e = inside ? decodeInto(s, 0, block) : skipInto(0);
                if (e < 0) return e;
                if (scanOver(s)) return 0;
                e = checkRestart(s, int64_t(by) * fc.blocksAcross + bx + 1, total);
                if (e) return restartError(e);
                if (!rowsOnly && interruptAfter(s, bx, by, fc.blocksAcross, fc.blocksDown))
                    return kJpegInterruptSuccess;
            }
            if (rowsOnly && interruptAfter(s, fc.blocksAcross - 1, by, fc.blocksAcross, fc.blocksDown))
                return kJpegInterruptSuccess;
        }
        scan.nextColumn = scan.nextRow = 0;
        return 0;
    }
    const int64_t total = f.mcuTotal;
    const int startRow = scan.nextRow, startCol = scan.nextColumn;
    for (int row = startRow; row < f.mcusDown; ++row) {
        if (region && row >= g.row1) break;
        for (int col = row == startRow ? startCol : 0; col < f.mcusAcross; ++col) {
            int16_t* record = s.coefficients + (size_t(row) * f.mcusAcross + col) * recordSize;
            const bool inside = !region || (row >= g.row0 && col >= g.col0 && col < g.col1);
            for (int i = 0; i < scan.ns; ++i) {
                const FrameComponent& fc = f.comp[scan.comp[i].frameIndex];
                int16_t* block = record + size_t(fc.mcuOffset) * 64;
                for (int b = 0; b < fc.h * fc.v; ++b, block += 64) {
                    int e = inside ? decodeInto(s, i, block) : skipInto(i);
                    if (e < 0) return e;
                }
            }
            if (scanOver(s)) return 0;
            int e = checkRestart(s, int64_t(row) * f.mcusAcross + col + 1, total);
            if (e) return restartError(e);
            if (interruptAfter(s, col, row, f.mcusAcross, f.mcusDown)) return kJpegInterruptSuccess;
        }
    }
    scan.nextColumn = scan.nextRow = 0;
    return 0;
}

}  // namespace

int decodeScan(CodecState& s) {
    return s.coefficientMode ? decodeCoefficientScan(s) : decodeSequentialDirect(s);
}

int outputCoefficientImage(CodecState& s) {
    const FrameInfo& f = s.frame;
    CodecOps& ops = *s.ops;
    const Dequantise dequant = ops.dequantise[2];
    const size_t recordSize = size_t(f.blocksPerMcu) * 64;
    const Reconstruct8 fused = fusedReconstruct(s);
    RegionGrid g{0, f.mcusAcross, 0, f.mcusDown};
    if (s.regionActive) {
        g = regionGrid(s);
        g.col1 = std::min(g.col1, f.mcusAcross);
        g.row1 = std::min(g.row1, f.mcusDown);
        if (g.col0 >= g.col1 || g.row0 >= g.row1) return kJpegRoiSuccess;
    }
    const int across = g.col1 - g.col0, down = g.row1 - g.row0;
    for (int n = s.outputNext; n < across * down; ++n) {
        const int row = g.row0 + n / across, col = g.col0 + n % across;
        const int16_t* record = s.coefficients + (size_t(row) * f.mcusAcross + col) * recordSize;
        copyBytes(s.mcuBlocks, record, recordSize * sizeof(int16_t));
        for (int c = 0; c < f.componentCount && !fused; ++c) {
            const FrameComponent& fc = f.comp[c];
            for (int b = 0; b < fc.h * fc.v; ++b)
                dequant(s.mcuBlocks[fc.mcuOffset + b], s.quant[fc.quantSelector].values);
        }
        reconstructMcu(s, fused);
        ops.mcuOutput(s, col, row);
        if (s.interrupt && n + 1 < across * down) {
            s.outputNext = n + 1;
            reportMcu(s, col, row);
            return kJpegInterruptSuccess;
        }
    }
    s.outputNext = 0;
    return s.regionActive ? kJpegRoiSuccess : 0;
}
