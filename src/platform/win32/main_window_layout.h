#pragma once
// The main window's geometry in twips, from its design, and the one place where
// twips become pixels: 1440 twips per logical inch, so 15 per pixel at 96 DPI.
#include <windows.h>

namespace zv::win32::layout {

struct Twips {
    int left, top, width, height;
};

inline constexpr int kClientWidth = 11745;
inline constexpr int kClientHeight = 5640;

// In tab order.
inline constexpr Twips kList{120, 120, 11415, 4455};
inline constexpr Twips kCheck{120, 4680, 2415, 375};
inline constexpr Twips kBackup{10320, 4680, 1215, 375};
inline constexpr Twips kStatus{0, 5265, 11745, 375};  // docked: the control sizes itself
inline constexpr Twips kSelect{2640, 4680, 1215, 375};
inline constexpr Twips kInvert{3960, 4680, 1695, 375};
inline constexpr Twips kBar{5760, 4680, 4455, 375};

struct Column {
    const char* header;
    int width;
};
// "Decription" is the header's spelling on purpose.
inline constexpr Column kColumns[6] = {{"Decription", 5000}, {"Default", 4000}, {"Provider", 2000},
                                       {"ID", 1440},         {"Class", 1440},   {"Inf Path", 1440}};

class Scale {
public:
    explicit Scale(int dpi) : m_dpi(dpi > 0 ? dpi : 96) {}
    // The screen's logical DPI, which a DPI-aware process sees unscaled.
    static Scale ForScreen() {
        HDC dc = GetDC(nullptr);
        const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
        if (dc) ReleaseDC(nullptr, dc);
        return Scale(dpi);
    }
    [[nodiscard]] int px(int twips) const { return MulDiv(twips, m_dpi, 1440); }
    [[nodiscard]] RECT rect(const Twips& t) const {
        return RECT{px(t.left), px(t.top), px(t.left) + px(t.width), px(t.top) + px(t.height)};
    }
    [[nodiscard]] int dpi() const noexcept { return m_dpi; }

private:
    int m_dpi;
};

}  // namespace zv::win32::layout
