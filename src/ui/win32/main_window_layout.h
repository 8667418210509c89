#pragma once
// The main window's geometry in twips, from its design.
#include <windows.h>

#include <commctrl.h>

#include "ui/controls.h"
#include "ui/win32/window_base.h"

namespace zv::win32 {

// Control ids, in tab order.
inline constexpr int kIdList = 1001;
inline constexpr int kIdCheck = 1002;
inline constexpr int kIdBackup = 1003;
inline constexpr int kIdStatus = 1004;
inline constexpr int kIdSelect = 1005;
inline constexpr int kIdInvert = 1006;
inline constexpr int kIdBar = 1007;

namespace layout {

inline constexpr int kClientWidth = 11745;
inline constexpr int kClientHeight = 5640;

// In tab order, which is the order they are created in.
inline constexpr ControlPlace kList{kIdList,
                                    WC_LISTVIEWA,
                                    WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL,
                                    WS_EX_CLIENTEDGE,
                                    {120, 120, 11415, 4455}};
inline constexpr ControlPlace kCheck{
    kIdCheck, "BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0, {120, 4680, 2415, 375}};
inline constexpr ControlPlace kBackup{
    kIdBackup, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, {10320, 4680, 1215, 375}};
// Docked to the bottom edge at full width: the control sizes itself.
inline constexpr ControlPlace kStatus{kIdStatus, STATUSCLASSNAMEA, CCS_BOTTOM, 0, {0, 5265, 11745, 375}};
inline constexpr ControlPlace kSelect{
    kIdSelect, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, {2640, 4680, 1215, 375}};
inline constexpr ControlPlace kInvert{
    kIdInvert, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, {3960, 4680, 1695, 375}};
inline constexpr ControlPlace kBar{kIdBar, PROGRESS_CLASSA, 0, 0, {5760, 4680, 4455, 375}};

struct Column {
    const char* header;
    int width;
};
// "Decription" is the header's spelling on purpose.
inline constexpr Column kColumns[kDriverColumns] = {
    {"Decription", 5000}, {"Default", 4000},  {"Provider", 2000}, {"ID", 1440},
    {"Class", 1440},      {"Inf Path", 1440}, {"Version", 1440},  {"Date", 1200},
    {"Device", 3600},     {"Present", 900},   {"Signature", 1800}};

}  // namespace layout
}  // namespace zv::win32
