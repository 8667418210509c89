#include "ui/win32/controls_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <vector>

#include "support/runtime_error.h"

namespace zv::win32 {

namespace {
// The "simple" part of a status bar in SB_SETTEXT / SB_GETTEXT.
constexpr WPARAM kSimplePart = 255;
}  // namespace

void DriverListView::addColumn(int index, const char* header, int widthPx) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
    col.fmt = LVCFMT_LEFT;
    col.cx = widthPx;
    col.pszText = const_cast<char*>(header);
    col.iSubItem = index;
    SendMessageA(m_hwnd, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&col));
}

void DriverListView::clear() {
    SendMessageA(m_hwnd, LVM_DELETEALLITEMS, 0, 0);
}

void DriverListView::add(const std::string& text) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(count());
    item.pszText = const_cast<char*>(text.c_str());
    item.lParam = item.iItem + 1;  // addedAs(): kept with the row when the rows are sorted
    if (SendMessageA(m_hwnd, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) < 0) Raise(kErrOutOfMemory);
}

long DriverListView::count() const {
    return static_cast<long>(SendMessageA(m_hwnd, LVM_GETITEMCOUNT, 0, 0));
}

int DriverListView::index(long row) const {
    if (row < 1 || row > count()) Raise(kErrSubscript);
    return static_cast<int>(row - 1);
}

std::string DriverListView::cell(long row, int k) const {
    const int i = index(row);
    // LVM_GETITEMTEXT says nothing about truncation except by filling the buffer.
    std::vector<char> buffer(260);
    for (;;) {
        LVITEMA item{};
        item.iSubItem = k;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        const auto n = static_cast<std::size_t>(
            SendMessageA(m_hwnd, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)));
        if (n + 1 < buffer.size()) return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

std::string DriverListView::text(long row) const {
    return cell(row, kColDescription);
}

std::string DriverListView::subItem(long row, int k) const {
    if (k < kFirstSubItem || k > kLastSubItem) Raise(kErrSubscript);
    return cell(row, k);
}

void DriverListView::setSubItem(long row, int k, const std::string& text) {
    if (k < kFirstSubItem || k > kLastSubItem) Raise(kErrSubscript);
    LVITEMA item{};
    item.iSubItem = k;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(m_hwnd, LVM_SETITEMTEXTA, static_cast<WPARAM>(index(row)), reinterpret_cast<LPARAM>(&item));
}

bool DriverListView::checked(long row) const {
    const auto state =
        SendMessageA(m_hwnd, LVM_GETITEMSTATE, static_cast<WPARAM>(index(row)), LVIS_STATEIMAGEMASK);
    return ((static_cast<UINT>(state) & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void DriverListView::setChecked(long row, bool on) {
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(on ? 2 : 1);
    SendMessageA(m_hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(index(row)), reinterpret_cast<LPARAM>(&item));
}

// A list view repaints after every inserted row and every cell set; with thousands
// of rows that costs more than reading them. Room for all rows is made once.
void DriverListView::beginFill(long rows) {
    SendMessageA(m_hwnd, WM_SETREDRAW, FALSE, 0);
    if (rows > 0) SendMessageA(m_hwnd, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows), LVSICF_NOINVALIDATEALL);
}

void DriverListView::endFill() {
    if (m_sortColumn >= 0 && m_order) sortRows();
    SendMessageA(m_hwnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

void DriverListView::sortByColumnClick(int column, CellOrder order) {
    if (column < 0 || column >= kDriverColumns || !order) return;
    m_order = order;
    m_ascending = column == m_sortColumn ? !m_ascending : true;
    m_sortColumn = column;
    showSortArrow();
    SendMessageA(m_hwnd, WM_SETREDRAW, FALSE, 0);
    sortRows();
    SendMessageA(m_hwnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

// The rows are read out, ordered and written back: the backup and every other reader
// of the list take the rows by position, so the order shown is the order they walk.
void DriverListView::sortRows() {
    struct Row {
        std::array<std::string, kDriverColumns> cells;
        bool checked;
        long addedAs;
    };
    const long n = count();
    std::vector<Row> rows;
    rows.reserve(static_cast<std::size_t>(n));
    for (long r = 1; r <= n; ++r) {
        Row row{{}, checked(r), addedAs(r)};
        for (int k = 0; k < kDriverColumns; ++k) row.cells[static_cast<std::size_t>(k)] = cell(r, k);
        rows.push_back(std::move(row));
    }
    const auto k = static_cast<std::size_t>(m_sortColumn);
    const int column = m_sortColumn;
    std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        const int order = m_order(column, a.cells[k], b.cells[k]);
        return m_ascending ? order < 0 : order > 0;
    });
    const long selected = selectedRow();
    if (selected > 0) {
        LVITEMA none{};
        none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(m_hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    }
    for (long r = 1; r <= n; ++r) {
        const Row& row = rows[static_cast<std::size_t>(r - 1)];
        for (int c = 0; c < kDriverColumns; ++c) {
            LVITEMA item{};
            item.iSubItem = c;
            item.pszText = const_cast<char*>(row.cells[static_cast<std::size_t>(c)].c_str());
            SendMessageA(m_hwnd, LVM_SETITEMTEXTA, static_cast<WPARAM>(r - 1),
                         reinterpret_cast<LPARAM>(&item));
        }
        setChecked(r, row.checked);
        LVITEMA data{};
        data.mask = LVIF_PARAM;
        data.iItem = static_cast<int>(r - 1);
        data.lParam = row.addedAs;
        SendMessageA(m_hwnd, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    }
}

void DriverListView::showSortArrow() {
    HWND header = reinterpret_cast<HWND>(SendMessageA(m_hwnd, LVM_GETHEADER, 0, 0));
    if (!header) return;
    for (int c = 0; c < kDriverColumns; ++c) {
        HDITEMA item{};
        item.mask = HDI_FORMAT;
        if (!SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&item)))
            continue;
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (c == m_sortColumn) item.fmt |= m_ascending ? HDF_SORTUP : HDF_SORTDOWN;
        SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&item));
    }
}

long DriverListView::addedAs(long row) const {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = index(row);
    SendMessageA(m_hwnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return static_cast<long>(item.lParam);
}

long DriverListView::selectedRow() const {
    const auto i = SendMessageA(m_hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    return i < 0 ? 0 : static_cast<long>(i) + 1;
}

int CheckBox::value() const {
    return SendMessageA(m_hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void ProgressBar::setMax(long max) {
    SendMessageA(m_hwnd, PBM_SETRANGE32, 0, static_cast<LPARAM>(max));
    // Keep the position inside the new range, as setValue does.
    setValue(value());
}

void ProgressBar::setValue(long value) {
    const long top = max();
    const long clamped = top < 0 ? 0 : std::clamp(value, 0L, top);
    SendMessageA(m_hwnd, PBM_SETPOS, static_cast<WPARAM>(clamped), 0);
}

long ProgressBar::max() const {
    return static_cast<long>(SendMessageA(m_hwnd, PBM_GETRANGE, FALSE, 0));
}

long ProgressBar::value() const {
    return static_cast<long>(SendMessageA(m_hwnd, PBM_GETPOS, 0, 0));
}

void StatusBar::setSimple() {
    SendMessageA(m_hwnd, SB_SIMPLE, TRUE, 0);
}

void StatusBar::setSimpleText(const std::string& text) {
    SendMessageA(m_hwnd, SB_SETTEXTA, kSimplePart, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string StatusBar::simpleText() const {
    // Wine answers SB_GETTEXTLENGTH / SB_GETTEXT for the simple part only under
    // index 0, not 255. We never set the other parts, so index 0 is a safe second try.
    for (WPARAM part : {kSimplePart, WPARAM{0}}) {
        const auto length = LOWORD(SendMessageA(m_hwnd, SB_GETTEXTLENGTHA, part, 0));
        if (length == 0) continue;
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        SendMessageA(m_hwnd, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text.data()));
        text.resize(std::char_traits<char>::length(text.c_str()));
        return text;
    }
    return "";
}

}  // namespace zv::win32
