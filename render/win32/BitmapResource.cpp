// Bitmap resources read as DIB sections: resource 122 of the engine's own
// module, or any 24-bit bitmap of a given module.
#include "render/win32/BitmapResourceWin.h"

#include "render/Fills.h"

namespace {
HINSTANCE g_instance = nullptr;
}

void setResourceInstance(void* moduleInstance) { g_instance = static_cast<HINSTANCE>(moduleInstance); }

int32_t loadBitmapResourceId(HINSTANCE instance, int32_t id, Pixel* dst, int32_t width, int32_t height) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap) return 0;
    DIBSECTION section{};
    int32_t ok = 0;
    // Rows are read within the bitmap's own size, never past its last byte.
    if (GetObjectA(bitmap, sizeof(section), &section) == sizeof(section) && section.dsBm.bmBits &&
        section.dsBm.bmBitsPixel == 24) {
        const BITMAP& bm = section.dsBm;
        const int32_t stride = (bm.bmWidth * 3 + 3) & ~3;
        const bool topDown = section.dsBmih.biHeight < 0;
        copyBitmapRows(dst, width, height, static_cast<const uint8_t*>(bm.bmBits), bm.bmWidth,
                       bm.bmHeight, stride, topDown);
        ok = 1;
    }
    DeleteObject(bitmap);
    return ok;
}

int32_t loadBitmapResource(Pixel* dst, const char* name, int32_t width, int32_t height) {
    if (BitmapResourceLoader loader = bitmapResourceLoader()) return loader(dst, name, width, height);
    return loadBitmapResourceId(g_instance, kFireBitmapId, dst, width, height);
}
