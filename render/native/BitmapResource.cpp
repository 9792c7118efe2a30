// Natively there are no resources: the fire texture is drawn when asked.
#include <vector>

#include "render/Fills.h"
#include "render/FireSheet.h"

void setResourceInstance(void*) {}

int32_t loadBitmapResource(Pixel* dst, const char* name, int32_t width, int32_t height) {
    if (BitmapResourceLoader loader = bitmapResourceLoader()) return loader(dst, name, width, height);
    static const std::vector<uint8_t> file = fireSheetBitmapFile();
    const int32_t stride = (kFireBitmapWidth * 3 + 3) & ~3;
    copyBitmapRows(dst, width, height, file.data() + 54, kFireBitmapWidth, kFireBitmapHeight, stride, false);
    return 1;
}
