// Decode speed of the codec against libjpeg-turbo (linked only here) on a
// generated 12-megapixel photo-like picture, 4:2:0 baseline and progressive and
// 4:4:4 baseline, into four bytes a pixel. Prints megapixels per second and the
// time ratios.
// The encoder is timed against libjpeg-turbo's on the same picture.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "jpeg/Jpeg.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

// Smooth shapes, gradients and fine texture, so the entropy data and the
// coefficients look like a photograph's rather than noise or flat colour.
std::vector<uint8_t> photoLike(int w, int h) {
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    uint32_t seed = 12345;
    auto noise = [&] {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) & 31) - 16;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double fx = double(x) / w, fy = double(y) / h;
            double a = std::sin(fx * 17.0 + std::cos(fy * 9.0) * 3.0), b = std::cos(fy * 23.0 - fx * 5.0);
            double ring = std::sin(std::hypot(fx - 0.4, fy - 0.6) * 60.0);
            uint8_t* p = &rgb[(size_t(y) * w + x) * 3];
            auto put = [&](int i, double v) { p[i] = uint8_t(std::min(255.0, std::max(0.0, v + noise() * 0.4))); };
            put(0, 128 + 90 * a * fy + 30 * ring);
            put(1, 110 + 70 * b + 40 * fx);
            put(2, 140 + 60 * a * b - 50 * fy + 20 * ring);
        }
    return rgb;
}

std::vector<uint8_t> compress(const std::vector<uint8_t>& rgb, bool progressive, int sampling = TJSAMP_420) {
    tjhandle h = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    int flags = TJFLAG_ACCURATEDCT | (progressive ? TJFLAG_PROGRESSIVE : 0);
    if (tjCompress2(h, rgb.data(), kWidth, 0, kHeight, TJPF_RGB, &out, &size, sampling, 90, flags)) {
        std::fprintf(stderr, "compress: %s\n", tjGetErrorStr2(h));
        std::exit(1);
    }
    std::vector<uint8_t> jpeg(out, out + size);
    tjFree(out);
    tjDestroy(h);
    return jpeg;
}

const std::vector<uint8_t>& sourcePicture() {
    static const std::vector<uint8_t> rgb = photoLike(kWidth, kHeight);
    return rgb;
}

const std::vector<uint8_t>& picture(bool progressive) {
    static const std::vector<uint8_t> baseline = compress(sourcePicture(), false);
    static const std::vector<uint8_t> prog = compress(sourcePicture(), true);
    return progressive ? prog : baseline;
}

const std::vector<uint8_t>& picture444() {
    static const std::vector<uint8_t> jpeg = compress(sourcePicture(), false, TJSAMP_444);
    return jpeg;
}

std::vector<uint8_t>& output() {
    static std::vector<uint8_t> px(size_t(kWidth) * kHeight * 4);
    return px;
}

void decodeOurs(const std::vector<uint8_t>& jpeg) {
    JpegProperties p;
    jpegInit(&p);
    p.buffer = jpeg.data();
    p.bufferSize = int32_t(jpeg.size());
    int r = jpegRead(&p, kJpegReadParams);
    p.pixels = output().data();
    p.width = p.jpegWidth;
    p.height = p.jpegHeight;
    p.channels = 4;
    p.color = kJpegColorRgba;
    if (r == 0) r = jpegRead(&p, kJpegReadImage);
    jpegFree(&p);
    if (r) std::fprintf(stderr, "decode: %s\n", jpegErrorText(r));
}

void decodeTurbo(const std::vector<uint8_t>& jpeg) {
    static tjhandle h = tjInitDecompress();
    tjDecompress2(h, jpeg.data(), jpeg.size(), output().data(), kWidth, 0, kHeight, TJPF_RGBX,
                  TJFLAG_ACCURATEDCT | TJFLAG_FASTUPSAMPLE);
}

double secondsOf(const std::function<void()>& run) {
    auto t0 = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void runDecode(benchmark::State& state, bool ours, bool progressive) {
    const std::vector<uint8_t>& jpeg = picture(progressive);
    for (auto _ : state) {
        if (ours) decodeOurs(jpeg);
        else decodeTurbo(jpeg);
        benchmark::ClobberMemory();
    }
    state.counters["MP/s"] =
        benchmark::Counter(double(kWidth) * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Baseline420_Codec(benchmark::State& s) { runDecode(s, true, false); }
void BM_Baseline420_Turbo(benchmark::State& s) { runDecode(s, false, false); }
void BM_Progressive420_Codec(benchmark::State& s) { runDecode(s, true, true); }
void BM_Progressive420_Turbo(benchmark::State& s) { runDecode(s, false, true); }
BENCHMARK(BM_Baseline420_Codec)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline420_Turbo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Progressive420_Codec)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Progressive420_Turbo)->Unit(benchmark::kMillisecond);

void runDecode444(benchmark::State& state, bool ours) {
    const std::vector<uint8_t>& jpeg = picture444();
    for (auto _ : state) {
        if (ours) decodeOurs(jpeg);
        else decodeTurbo(jpeg);
        benchmark::ClobberMemory();
    }
    state.counters["MP/s"] =
        benchmark::Counter(double(kWidth) * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}
void BM_Baseline444_Codec(benchmark::State& s) { runDecode444(s, true); }
void BM_Baseline444_Turbo(benchmark::State& s) { runDecode444(s, false); }
BENCHMARK(BM_Baseline444_Codec)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline444_Turbo)->Unit(benchmark::kMillisecond);

// Encoding the same picture, 4:2:0 at quality 90, into memory.
void encodeOnce(bool ours, bool progressive) {
    const std::vector<uint8_t>& rgb = sourcePicture();
    static std::vector<uint8_t> out(size_t(kWidth) * kHeight * 3);
    static tjhandle h = tjInitCompress();
    {
        if (ours) {
            JpegProperties p;
            jpegInit(&p);
            p.pixels = const_cast<uint8_t*>(rgb.data());
            p.width = p.jpegWidth = kWidth;
            p.height = p.jpegHeight = kHeight;
            p.color = kJpegColorRgb;
            p.quality = 90;
            p.state.encoder.progressive = progressive;
            p.buffer = out.data();
            p.bufferSize = int32_t(out.size());
            if (int r = jpegWrite(&p, kJpegWriteImage)) std::fprintf(stderr, "encode: %s\n", jpegErrorText(r));
            jpegFree(&p);
        } else {
            unsigned char* dst = out.data();
            unsigned long size = out.size();
            tjCompress2(h, rgb.data(), kWidth, 0, kHeight, TJPF_RGB, &dst, &size, TJSAMP_420, 90,
                        TJFLAG_ACCURATEDCT | TJFLAG_NOREALLOC | (progressive ? TJFLAG_PROGRESSIVE : 0));
        }
    }
}

void runEncode(benchmark::State& state, bool ours, bool progressive) {
    for (auto _ : state) {
        encodeOnce(ours, progressive);
        benchmark::ClobberMemory();
    }
    state.counters["MP/s"] =
        benchmark::Counter(double(kWidth) * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Encode420_Codec(benchmark::State& s) { runEncode(s, true, false); }
void BM_Encode420_Turbo(benchmark::State& s) { runEncode(s, false, false); }
void BM_EncodeProgressive420_Codec(benchmark::State& s) { runEncode(s, true, true); }
void BM_EncodeProgressive420_Turbo(benchmark::State& s) { runEncode(s, false, true); }
BENCHMARK(BM_Encode420_Codec)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode420_Turbo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeProgressive420_Codec)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeProgressive420_Turbo)->Unit(benchmark::kMillisecond);

// Time ratios (codec / libjpeg-turbo) from runs of the two taken in turns,
// median of nine each, so changing load on the machine affects both alike.
double medianSeconds(std::vector<double> t) {
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

void printRatio(const char* what, const std::function<void()>& ours, const std::function<void()>& turbo) {
    std::vector<double> a, b;
    for (int i = 0; i < 9; ++i) {
        a.push_back(secondsOf(ours));
        b.push_back(secondsOf(turbo));
    }
    const double mp = double(kWidth) * kHeight / 1e6, ta = medianSeconds(a), tb = medianSeconds(b);
    std::printf("%-34s codec %6.1f MP/s, libjpeg-turbo %6.1f MP/s, time ratio %.2f\n", what, mp / ta, mp / tb,
                ta / tb);
}

void printRatios() {
    std::printf("%dx%d photograph-like picture, medians of nine runs taken in turns:\n", kWidth, kHeight);
    for (bool progressive : {false, true}) {
        const std::vector<uint8_t>& jpeg = picture(progressive);
        printRatio(progressive ? "progressive 4:2:0 decode" : "baseline 4:2:0 decode", [&] { decodeOurs(jpeg); },
                   [&] { decodeTurbo(jpeg); });
    }
    printRatio("baseline 4:4:4 decode", [] { decodeOurs(picture444()); }, [] { decodeTurbo(picture444()); });
    printRatio("baseline 4:2:0 encode, quality 90", [] { encodeOnce(true, false); }, [] { encodeOnce(false, false); });
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    printRatios();
    benchmark::Shutdown();
    return 0;
}
