#include "ui/win32/window_base.h"

#include <cstddef>
#include <cstdint>

namespace zv::win32 {

Scale Scale::ForScreen() {
    int dpiX = 96, dpiY = 96;
    if (HDC dc = GetDC(nullptr)) {
        dpiX = GetDeviceCaps(dc, LOGPIXELSX);
        dpiY = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(nullptr, dc);
    }
    return Scale(dpiX, dpiY);
}

UniqueFont CreateMessageFont() {
    NONCLIENTMETRICSA metrics{};
    // The XP-sized structure, up to the message font: the larger Vista one fails on XP.
    metrics.cbSize = offsetof(NONCLIENTMETRICSA, lfMessageFont) + sizeof(LOGFONTA);
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return UniqueFont{};
    return UniqueFont{CreateFontIndirectA(&metrics.lfMessageFont)};
}

HFONT FontOrDefault(const UniqueFont& font) noexcept {
    return font ? font.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

HWND CreateChild(HWND parent, const ControlPlace& place, const std::string& text, const Scale& scale,
                 HFONT font) {
    const RECT r = scale.rect(place.at);
    HWND h = CreateWindowExA(
        place.exStyle, place.windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | place.style, r.left, r.top,
        r.right - r.left, r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(place.id)),
        GetModuleHandleA(nullptr), nullptr);
    if (h) SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return h;
}

POINT CentredIn(const RECT& area, int width, int height) noexcept {
    return POINT{area.left + ((area.right - area.left) - width) / 2,
                 area.top + ((area.bottom - area.top) - height) / 2};
}

RECT ScreenArea() noexcept {
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

RECT WorkArea() noexcept {
    RECT work = ScreenArea();
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

}  // namespace zv::win32
