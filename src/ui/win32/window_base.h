#pragma once
// What every window of the program is built from: its geometry in twips turned into
// pixels, the message font, its child controls, and its place on the screen.
#include <windows.h>

#include <span>
#include <string>

#include "platform/win32/unique.h"

namespace zv::win32 {

// A rectangle as the window designs give it, in twips from the client area's top left.
struct Twips {
    int left, top, width, height;
};

// The one place where twips become pixels: 1440 twips per logical inch, so 15 per
// pixel at 96 DPI, scaled for the screen's DPI.
class Scale {
public:
    explicit Scale(int dpiX = 96, int dpiY = 96)
        : m_dpiX(dpiX > 0 ? dpiX : 96), m_dpiY(dpiY > 0 ? dpiY : 96) {}
    // The screen's logical DPI, which a DPI-aware process sees unscaled.
    [[nodiscard]] static Scale ForScreen();
    [[nodiscard]] int x(int twips) const { return MulDiv(twips, m_dpiX, kTwipsPerInch); }
    [[nodiscard]] int y(int twips) const { return MulDiv(twips, m_dpiY, kTwipsPerInch); }
    [[nodiscard]] RECT rect(const Twips& t) const {
        return RECT{x(t.left), y(t.top), x(t.left) + x(t.width), y(t.top) + y(t.height)};
    }
    [[nodiscard]] int dpiY() const noexcept { return m_dpiY; }

private:
    static constexpr int kTwipsPerInch = 1440;
    int m_dpiX;
    int m_dpiY;
};

// The desktop's message font, or none when the system gives none.
[[nodiscard]] UniqueFont CreateMessageFont();
// The font to give the controls: the window's own, else the stock GUI font.
[[nodiscard]] HFONT FontOrDefault(const UniqueFont& font) noexcept;

struct ControlPlace {
    int id;
    const char* windowClass;
    DWORD style;  // WS_CHILD and WS_VISIBLE are added
    DWORD exStyle;
    Twips at;
};

// Creates one control of the window, in the window's font. Created in tab order, the
// controls' z-order is their tab order.
HWND CreateChild(HWND parent, const ControlPlace& place, const std::string& text, const Scale& scale,
                 HFONT font);

// The top left corner that centres a window of this size in the area.
[[nodiscard]] POINT CentredIn(const RECT& area, int width, int height) noexcept;
[[nodiscard]] RECT ScreenArea() noexcept;
// The screen without the task bar.
[[nodiscard]] RECT WorkArea() noexcept;

}  // namespace zv::win32
