#pragma once
// The main window's controls as the handlers see them. The Win32 window gives
// the real common controls; host tests give plain models.
#include <string>

#include "platform/types.h"

namespace zv {

// lstDrivers' columns, in order: the row's own text, then its sub-items. The list
// reader writes them and the backup run and the command line read them by these names.
// The first six are the list's original columns; the driver's version and date and the
// device that uses it follow them, then the signature class of its package, which the window
// fills in after the list is shown (reading catalogs would hold up the list).
enum DriverColumn : int {
    kColDescription = 0,
    kColDefault = 1,
    kColProvider = 2,
    kColId = 3,
    kColClass = 4,
    kColInfPath = 5,
    kColVersion = 6,
    kColDate = 7,
    kColDevice = 8,
    kColPresent = 9,
    kColSignature = 10,
};
inline constexpr int kDriverColumns = 11;
inline constexpr int kFirstSubItem = kColDefault;
inline constexpr int kLastSubItem = kColSignature;
// The columns a driver record fills when its row is added, and the command line's /list prints.
inline constexpr int kRecordColumns = kColSignature;

// lstDrivers: rows are 1-based; sub-items kFirstSubItem to kLastSubItem.
class IDriverList {
public:
    virtual ~IDriverList() = default;
    virtual void clear() = 0;                       // ListItems.Clear
    virtual void add(const std::string& text) = 0;  // ListItems.Add: a new unticked row at the end
    [[nodiscard]] virtual long count() const = 0;   // ListItems.Count
    [[nodiscard]] virtual std::string text(long row) const = 0;
    [[nodiscard]] virtual std::string subItem(long row, int k) const = 0;
    virtual void setSubItem(long row, int k, const std::string& text) = 0;
    [[nodiscard]] virtual bool checked(long row) const = 0;
    virtual void setChecked(long row, bool on) = 0;
    // Around adding many rows: a control that redraws on every change holds that off and
    // makes room for about rows at once. Models without a screen need neither.
    virtual void beginFill(long /*rows*/) {}
    virtual void endFill() {}
    // The position a row had when it was added: the same as its position until the
    // rows are put in another order (a list that sorts them).
    [[nodiscard]] virtual long addedAs(long row) const { return row; }
};

class ICheckBox {
public:
    virtual ~ICheckBox() = default;
    [[nodiscard]] virtual int value() const = 0;  // 1 ticked, 0 not
};

class IProgressBar {
public:
    virtual ~IProgressBar() = default;
    virtual void setMax(long max) = 0;
    virtual void setValue(long value) = 0;
    [[nodiscard]] virtual long max() const = 0;
    [[nodiscard]] virtual long value() const = 0;
};

class IStatusBar {
public:
    virtual ~IStatusBar() = default;
    virtual void setSimpleText(const std::string& text) = 0;
    [[nodiscard]] virtual std::string simpleText() const = 0;
};

// The form itself: pointer, handle, captions, and the window operations the handlers start.
class IFormWindow {
public:
    virtual ~IFormWindow() = default;
    virtual void setMousePointer(int pointer) = 0;  // kPointerHourglass, kPointerDefault
    [[nodiscard]] virtual int mousePointer() const = 0;
    [[nodiscard]] virtual Hwnd handle() const = 0;
    virtual void setCaption(const std::string& caption) = 0;
    [[nodiscard]] virtual std::string caption() const = 0;
    virtual void setAboutItemCaption(const std::string& caption) = 0;  // mnuAboutZorvane
    [[nodiscard]] virtual std::string aboutItemCaption() const = 0;
    virtual void showAbout() = 0;  // frmAbout, modeless, only one at a time
    virtual void unload() = 0;     // Unload Me
};

struct MainControls {
    IFormWindow& form;
    IDriverList& lstDrivers;
    ICheckBox& chkMicrosoft;
    IProgressBar& pbBar;
    IStatusBar& Status;
};

}  // namespace zv
