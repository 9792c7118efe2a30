// The codec's working state, kept inside the caller's JpegProperties record so
// the caller provides the storage. Only the codec's own units touch it, except
// the comment buffer fields.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

struct CodecOps;
struct EncoderWork;
struct McuSamples;
struct OutputPlan;

// Writes the top-left width x height pixels of one MCU.
using RectWriter = void (*)(const OutputPlan& plan, const McuSamples& samples, uint8_t* dst, ptrdiff_t rowStep,
                            int width, int height);

constexpr int64_t kMaxImagePixels = 100'000'000;   // larger frames: "Memory error"
constexpr int kMaxScans = 1000;                     // more scans in one image: "Data error"
constexpr int kMaxComponents = 4;
constexpr int kMaxBlocksPerMcu = 10;
constexpr int kMaxMcuSide = 32;                     // 4 x 8 samples

// Decoding form of one DHT table.
struct HuffmanLookup {
    int32_t tableClass;          // 0 DC, 1 AC
    int32_t id;
    int32_t defined;
    uint32_t lookahead[256];     // by the next 8 bits: symbol | length << 16; length 0 = longer code
    uint16_t values[257];        // symbols in code order
    int32_t mincode[17];         // per length: first code
    int32_t maxcode[18];         // per length: last code, -1 when none
    int32_t valptr[17];          // per length: index in values of its first symbol
    // AC tables: by the next 9 bits, a whole coefficient whose code and
    // magnitude bits fit in them: value << 8 | run << 4 | bits used; 0 = none.
    // The end-of-block code has its length alone.
    int16_t fastAc[512];
};

struct QuantTable {
    int32_t precision;
    int32_t defined;
    alignas(16) uint16_t values[80];   // natural order, 16 spare zeros
};

struct FrameComponent {
    int32_t id;
    int32_t h;
    int32_t v;
    int32_t quantSelector;
    int32_t blocksAcross;        // the component's own block grid
    int32_t blocksDown;
    int32_t mcuOffset;           // index of its first block in an MCU record
};

struct FrameInfo {
    int32_t marker;              // SOF code, 0 before the first frame header
    int32_t precision;
    int32_t height;
    int32_t width;
    int32_t componentCount;
    int32_t hmax;
    int32_t vmax;
    int32_t mcusAcross;
    int32_t mcusDown;
    int32_t mcuTotal;
    int32_t blocksPerMcu;
    FrameComponent comp[kMaxComponents];
};

struct ScanComponent {
    int32_t frameIndex;
    int32_t h;
    int32_t v;
    int32_t dcTable;
    int32_t acTable;
    int32_t quantTable;
};

struct ScanInfo {
    int32_t ns;
    int32_t ss;
    int32_t se;
    int32_t ah;
    int32_t al;
    int32_t restartInterval;
    int16_t dcPred[kMaxComponents];
    ScanComponent comp[kMaxComponents];
    // Encoder: where an interrupted write goes on, and the restart count.
    int32_t nextColumn;
    int32_t nextRow;
    int32_t mcuCounter;
};

// Caller-supplied component planes for a write: plane[c] holds component c's
// blocks in MCU order (per MCU its H x V blocks, left to right then top to
// bottom), each block 8 rows of 8 values.
struct JpegPlaneInput {
    int32_t samples;             // 1: 0..255 samples; 0: finished DCT coefficients
    const int16_t* plane[kMaxComponents];
};

struct JpegHuffmanSpec {
    const uint8_t* bits;         // the 16 code counts
    const uint8_t* values;       // HUFFVAL
    int32_t tableClass;          // 0 DC, 1 AC
    int32_t id;
};

// Encoder switches and own tables, set by a caller between jpegInit and
// jpegWrite (all off after jpegInit).
struct JpegEncoderSettings {
    int32_t progressive;
    int32_t restartInterval;     // MCUs between restart markers, 0 none
    const JpegPlaneInput* planeInput;
    int32_t ownQuantTables;
    const uint8_t* quantTables[4];   // zig-zag order; index = table id
    int32_t ownHuffmanTables;
    JpegHuffmanSpec huffman[8];      // DC/AC pairs: 0-1, 2-3, ...
    int32_t dcSelector[kMaxComponents];
    int32_t acSelector[kMaxComponents];
    int32_t quantSelector[kMaxComponents];
};

constexpr int kFileBufferSize = 4096;

// Input of one read: the JPEG stream in memory, or a file read through a
// 4,096-byte buffer refilled as it empties; the entropy bit buffer and the
// marker the bit reader met.
struct StreamReader {
    uint64_t bitBuffer;          // valid bits right-aligned, oldest highest
    int32_t bitCount;
    int32_t padBits;             // zero bits supplied after the data stopped (low end)
    const uint8_t* base;
    const uint8_t* ptr;
    const uint8_t* end;
    int32_t eobRun;              // progressive AC end-of-band run
    int32_t pendingMarker;       // code byte of a marker met by the bit reader, 0 none
    int32_t starved;             // a block needed bits the scan did not have
    int32_t fromFile;            // end of data is "File error" rather than "Memory error"
    std::FILE* file;             // streamed input, null for memory
    uint8_t* fileBuffer;         // kFileBufferSize bytes (in CodecState)
    int64_t bufferStart;         // stream offset of base
    uint8_t* segment;            // a segment that crosses the file buffer, copied whole (64 KiB)
};

// Where the entropy data of one MCU row of a scan starts, for region reads.
struct RowMark {
    int32_t position;            // stream offset; -1 unset
    int32_t dcPred[kMaxComponents];
    uint64_t bitBuffer;
    int32_t bitCount;
    uint8_t pendingMarker;
    uint8_t padBits;
    uint8_t starved;
    uint8_t spare;
};
constexpr int kRowMarks = 8192;

// Caller fields as a read works on them, plus the row stride and the pixel
// pointer of image row 0 (the last buffer row for bottom-up buffers).
struct WorkingFields {
    uint8_t* pixels;
    int32_t width;
    int32_t height;
    int32_t rowPad;
    int32_t channels;
    int32_t color;
    int32_t subsampling;
    ptrdiff_t stride;
    int32_t jpegWidth;
    int32_t jpegHeight;
    int32_t jpegChannels;
    int32_t jpegColor;
    int32_t jpegSubsampling;
    int32_t thumbWidth;
    int32_t thumbHeight;
    int32_t conversionRequired;
    int32_t upsamplingRequired;
    uint8_t* origin;
};

// What the output stage does with each MCU of the current image.
struct OutputPlan {
    int32_t writer;              // PixelWriter (CodecInternal.h)
    int32_t chromaShiftX;        // fast sampling: chroma at 1/2^shift of luma; -1 = expand generically
    int32_t chromaShiftY;
    int32_t kernel;              // CodecOps output kernel slot for whole MCUs, -1 none
    int32_t copyCount;           // Copy writer: components copied into bytes 0..n-1
    int32_t copyReversed;        // component 0 to byte 2 (BGR from RGB)
    int32_t alphaByte;           // byte that gets 255, -1 none
    int32_t blockSide;           // samples per block side: 8, 4, 2 or 1
    int32_t mcuWidth;            // pixels
    int32_t mcuHeight;
    int32_t clipWidth;           // pixels written: buffer and image, whichever is smaller
    int32_t clipHeight;
    int32_t channels;
    int32_t planeStride[kMaxComponents];
    int32_t compSide[kMaxComponents];   // samples per block side of each component
    int32_t h[kMaxComponents];   // sampling factors in blocks of blockSide, for the expansion
    int32_t v[kMaxComponents];
    int32_t hmax;
    int32_t vmax;
    RectWriter writeRect;
};

struct JfifInfo {
    int32_t seen;
    int32_t version;
    int32_t densityUnit;
    int32_t xDensity;
    int32_t yDensity;
};

struct AdobeInfo {
    int32_t seen;
    int32_t version;
    int32_t flags0;
    int32_t flags1;
    int32_t transform;
};

struct CodecState {
    int32_t ioType;              // -1 after jpegInit
    int32_t roiLeft, roiTop, roiRight, roiBottom;
    int32_t dctKind;             // 1: exact transform family; 0: AAN family
    int32_t interrupt;
    int32_t outputCode;
    WorkingFields work;
    FrameInfo frame;
    QuantTable quant[4];
    HuffmanLookup dcTables[4];
    HuffmanLookup acTables[4];
    int32_t quantCount, dcCount, acCount, quantIds, huffmanIds;
    int32_t headersWanted;       // no frame header parsed yet in this stream
    int32_t restartInterval;     // from the last DRI
    StreamReader reader;
    std::FILE* file;             // open JPEG file (even IO types)
    alignas(16) uint8_t fileBuffer[kFileBufferSize];
    int64_t resumeOffset;        // where the next read starts (the first SOS after a parameter read)
    // Scan bookkeeping of a whole-image read.
    ScanInfo scan;
    int32_t scanCount;
    int32_t progressive;         // the frame is progressive (SOF2)
    int32_t coefficientMode;     // scans go to the coefficient buffer, output at the end
    int32_t componentsDone;      // bit per frame component decoded by a sequential scan
    int32_t outputReady;         // the output plan is set for this read
    int32_t imageWritten;
    int16_t* coefficients;       // one record of blocksPerMcu x 64 per MCU, row-major
    size_t coefficientBytes;
    alignas(32) int16_t mcuBlocks[kMaxBlocksPerMcu][64];
    alignas(32) uint8_t planes[kMaxComponents][kMaxMcuSide * kMaxMcuSide];
    alignas(32) uint8_t expanded[kMaxComponents][kMaxMcuSide * kMaxMcuSide];
    OutputPlan out;
    JfifInfo jfif;
    AdobeInfo adobe;
    char* commentBuffer;         // set by the caller to receive the COM text
    int32_t commentCapacity;     // its size in bytes (set by the caller)
    int32_t commentLength;       // full length of the last comment
    int32_t cpuClass;
    CodecOps* ops;
    // Region and interrupted reads.
    RowMark* rowMarks;           // kRowMarks, kept for later region reads of the same stream
    int64_t marksKey[4];         // the stream and frame the marks belong to
    uint8_t* regionScratch;      // one MCU of output pixels
    int32_t regionActive;        // the read writes region only (output pixels, clamped)
    int32_t region[4];           // left, top, right, bottom
    int32_t requestedRoi[4];     // the caller's rectangle, given back when the read ends
    int32_t scanInProgress;      // an interrupted scan goes on at the next read
    int32_t outputPending;       // the coefficient image's output goes on at the next read
    int32_t outputNext;          // its next MCU
    JpegEncoderSettings encoder;
    EncoderWork* encoderWork;    // a write's tables and resumable state
};
