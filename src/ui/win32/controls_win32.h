#pragma once
// Thin wrappers over the main window's common controls. Each holds only its
// HWND and gives typed calls; the ones the handlers see implement the control
// interfaces directly.
#include <windows.h>

#include <string>

#include "ui/controls.h"

namespace zv::win32 {

// lstDrivers: a report-view ListView with a check box per row. Rows are 1-based
// on the interface, 0-based for the control.
class DriverListView : public IDriverList {
public:
    explicit DriverListView(HWND hwnd = nullptr) : m_hwnd(hwnd) {}
    [[nodiscard]] HWND hwnd() const noexcept { return m_hwnd; }

    void addColumn(int index, const char* header, int widthPx);

    void clear() override;
    void add(const std::string& text) override;
    [[nodiscard]] long count() const override;
    [[nodiscard]] std::string text(long row) const override;
    [[nodiscard]] std::string subItem(long row, int k) const override;
    void setSubItem(long row, int k, const std::string& text) override;
    [[nodiscard]] bool checked(long row) const override;
    void setChecked(long row, bool on) override;
    void beginFill(long rows) override;
    void endFill() override;
    [[nodiscard]] long addedAs(long row) const override;

    // Orders the rows by a column: ascending on the first click on its header, reversed
    // on the next, rows of equal cells in the order they had. The header shows the arrow.
    using CellOrder = int (*)(int column, const std::string& a, const std::string& b);
    void sortByColumnClick(int column, CellOrder order);
    // Rows keep the order they are added in until the first click; after that, a list
    // filled again is put into the chosen order once it is full.
    [[nodiscard]] int sortColumn() const noexcept { return m_sortColumn; }
    [[nodiscard]] long selectedRow() const;  // the highlighted row, 0 for none

private:
    int index(long row) const;  // raises 9 for a row that is not there
    std::string cell(long row, int k) const;
    void sortRows();
    void showSortArrow();
    HWND m_hwnd;
    int m_sortColumn = -1;
    CellOrder m_order = nullptr;
    bool m_ascending = true;
};

class CheckBox : public ICheckBox {
public:
    explicit CheckBox(HWND hwnd = nullptr) : m_hwnd(hwnd) {}
    [[nodiscard]] HWND hwnd() const noexcept { return m_hwnd; }
    [[nodiscard]] int value() const override;

private:
    HWND m_hwnd;
};

class ProgressBar : public IProgressBar {
public:
    explicit ProgressBar(HWND hwnd = nullptr) : m_hwnd(hwnd) {}
    [[nodiscard]] HWND hwnd() const noexcept { return m_hwnd; }
    void setMax(long max) override;
    // Clamped into 0..max, as the control itself would do it silently anyway.
    void setValue(long value) override;
    [[nodiscard]] long max() const override;
    [[nodiscard]] long value() const override;

private:
    HWND m_hwnd;
};

// Status: a status bar in simple mode, one line of text.
class StatusBar : public IStatusBar {
public:
    explicit StatusBar(HWND hwnd = nullptr) : m_hwnd(hwnd) {}
    [[nodiscard]] HWND hwnd() const noexcept { return m_hwnd; }
    void setSimple();
    void setSimpleText(const std::string& text) override;
    [[nodiscard]] std::string simpleText() const override;

private:
    HWND m_hwnd;
};

}  // namespace zv::win32
