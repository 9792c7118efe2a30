// The vector forms of the codec's operations (VectorOps.cpp, built with the
// x86 intrinsics). Each gives the plain form's results bit for bit.
#pragma once
#include "jpeg/JpegEncoder.h"

#if defined(__i386__) || defined(__x86_64__) || defined(_M_IX86) || defined(_M_X64)
#define VT_VECTOR_FORMS 1

// Clears the MMX register state (EMMS) so x87 code may follow.
void leaveMmxState();

// Decoder.
int decodeBlockMmx(StreamReader& r, const HuffmanLookup& dc, const HuffmanLookup& ac, int16_t& dcPred,
                   int16_t* block);
int decodeBlockMmxCmov(StreamReader& r, const HuffmanLookup& dc, const HuffmanLookup& ac, int16_t& dcPred,
                       int16_t* block);
int skipBlockMmx(StreamReader& r, const HuffmanLookup& dc, const HuffmanLookup& ac, int16_t& dcPred,
                 int16_t* dcOut);
void dequantiseMmx(int16_t* block, const uint16_t* table);
void dequantiseSse2(int16_t* block, const uint16_t* table);
void inverseDctAan8Mmx(int16_t* block, uint8_t* out, int stride);
void inverseDct8Mmx(int16_t* block, uint8_t* out, int stride);
void inverseDct8MmxSse(int16_t* block, uint8_t* out, int stride);
void inverseDct8Sse2(int16_t* block, uint8_t* out, int stride);
// The record's dequantisation and 8x8 transform in one step, taking the block
// as decoded: the same samples as the two slots one after the other. Null when
// the slots hold routines it does not stand for.
using DequantisingIdct = void (*)(int16_t* block, const uint16_t* table, uint8_t* out, int stride);
DequantisingIdct dequantisingIdct(const CodecOps& ops);
// The 14 output kernels that have vector forms; the two 2x1 YCbCr kernels
// have a second form for the classes with the SSE integer instructions.
void fillOutputKernelsVector(CodecOps* ops, bool sseIntegers);

// Encoder.
void forwardDctScaledMmx(int16_t* block);
void forwardDctMmx(int16_t* block);
void forwardDctMmxSse(int16_t* block);
void forwardDctSse2(int16_t* block);
void quantiseScaledMmx(int16_t* block, const uint16_t* reciprocals);
void quantiseMmx(int16_t* block, const uint16_t* reciprocals);
void quantiseMmxSse(int16_t* block, const uint16_t* reciprocals);
void quantiseSse2(int16_t* block, const uint16_t* reciprocals);
// The record's forward transform and quantisation in one step: the same
// coefficients as the two slots one after the other. Null when the slots hold
// routines it does not stand for.
using QuantisingFdct = void (*)(int16_t* block, const uint16_t* reciprocals);
QuantisingFdct quantisingFdct(const CodecOps& ops);
int encodeBlockMmx(OutputWriter& w, const HuffmanCode& dc, const HuffmanCode& ac, int16_t& dcPred,
                   const int16_t* block);
int encodeBlockMmxSse(OutputWriter& w, const HuffmanCode& dc, const HuffmanCode& ac, int16_t& dcPred,
                      const int16_t* block);
void startOutputMmx(OutputWriter& w, uint8_t* area, int64_t size, std::FILE* file);
int writeBytesMmx(const uint8_t* bytes, int count, OutputWriter& w);
// The 11 fetch slots that have vector forms (the packed 4:2:2 one has a
// second form for the classes with the SSE integer instructions).
void fillMcuFetchVector(CodecOps* ops, bool sseIntegers);
#endif
