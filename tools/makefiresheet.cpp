// Writes the engine's fire texture (bitmap resource 122) as a .bmp file:
//   makefiresheet engine/app/fire.bmp
// The checked-in file must equal this output (a test compares them).
#include <cstdio>

#include "render/FireSheet.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <out.bmp>\n", argv[0]);
        return 2;
    }
    const std::vector<uint8_t> file = fireSheetBitmapFile();
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(file.data(), 1, file.size(), f) != file.size()) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        if (f) std::fclose(f);
        return 1;
    }
    return std::fclose(f) == 0 ? 0 : 1;
}
