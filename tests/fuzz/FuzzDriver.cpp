// A small stand-in for libFuzzer's driver, so the fuzz targets build with g++
// under the sanitizers: it replays the corpus files, then mutates them at random
// (bit flips, byte sets, cuts, splices, repeats) for a bounded number of runs or
// seconds. Options: -runs=N -seconds=S -seed=N, then corpus files or folders.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int*, char***);

namespace {

std::vector<uint8_t> readAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void mutate(std::vector<uint8_t>& d, std::mt19937& rng, const std::vector<std::vector<uint8_t>>& corpus) {
    int ops = 1 + static_cast<int>(rng() % 6);
    for (int i = 0; i < ops; ++i) {
        switch (rng() % 7) {
        case 0: if (!d.empty()) d[rng() % d.size()] ^= static_cast<uint8_t>(1u << (rng() % 8)); break;
        case 1: if (!d.empty()) d[rng() % d.size()] = static_cast<uint8_t>(rng()); break;
        case 2: if (!d.empty()) d.resize(rng() % d.size()); break;
        case 3: {
            static const uint8_t magic[] = {0x00, 0xFF, 0x7F, 0x80, 0x01};
            if (!d.empty()) d[rng() % d.size()] = magic[rng() % sizeof magic];
            break;
        }
        case 4: if (d.size() < (1u << 20)) d.insert(d.begin() + (d.empty() ? 0 : rng() % d.size()), static_cast<uint8_t>(rng())); break;
        case 5: if (!corpus.empty()) {
            const auto& o = corpus[rng() % corpus.size()];
            if (!o.empty() && !d.empty()) {
                size_t at = rng() % d.size(), from = rng() % o.size();
                size_t n = std::min<size_t>(1 + rng() % 64, std::min(o.size() - from, d.size() - at));
                std::memcpy(d.data() + at, o.data() + from, n);
            }
            break;
        }
        case 6: if (d.size() >= 2) {
            size_t at = rng() % (d.size() - 1);
            uint16_t v = static_cast<uint16_t>(rng() & 1 ? 0xFFFF : rng() % 8);
            d[at] = static_cast<uint8_t>(v >> 8); d[at + 1] = static_cast<uint8_t>(v);
            break;
        }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
    long runs = -1;
    double seconds = 10;
    uint32_t seed = 12345;
    std::vector<std::vector<uint8_t>> corpus;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a.rfind("-runs=", 0) == 0) runs = std::atol(a.c_str() + 6);
        else if (a.rfind("-seconds=", 0) == 0) seconds = std::atof(a.c_str() + 9);
        else if (a.rfind("-seed=", 0) == 0) seed = static_cast<uint32_t>(std::atol(a.c_str() + 6));
        else if (std::filesystem::is_directory(a)) {
            for (auto& e : std::filesystem::recursive_directory_iterator(a))
                if (e.is_regular_file()) corpus.push_back(readAll(e.path()));
        } else if (std::filesystem::is_regular_file(a)) corpus.push_back(readAll(a));
    }
    if (const char* extra = std::getenv("VT_FUZZ_CORPUS")) {
        if (std::filesystem::is_directory(extra))
            for (auto& e : std::filesystem::recursive_directory_iterator(extra))
                if (e.is_regular_file()) corpus.push_back(readAll(e.path()));
    }
    if (corpus.empty()) corpus.push_back({});
    for (auto& c : corpus) LLVMFuzzerTestOneInput(c.data(), c.size());

    std::mt19937 rng(seed);
    auto start = std::chrono::steady_clock::now();
    long done = 0;
    for (;;) {
        if (runs >= 0 && done >= runs) break;
        double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (runs < 0 && elapsed >= seconds) break;
        std::vector<uint8_t> d = corpus[rng() % corpus.size()];
        mutate(d, rng, corpus);
        LLVMFuzzerTestOneInput(d.data(), d.size());
        ++done;
    }
    std::printf("fuzz: %ld mutated runs over %zu corpus inputs, no fault\n", done, corpus.size());
    return 0;
}
