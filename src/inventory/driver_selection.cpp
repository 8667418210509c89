#include "inventory/driver_selection.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>
#include <utility>

#include "inventory/ReadDrivers.h"

namespace zv {
namespace {

std::string Lower(std::string s) {
    for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

bool Contains(const std::string& lowerText, const char* word) {
    return lowerText.find(word) != std::string::npos;
}

// The numbers of "31.0.15.1" or "3-14-2025", in order; what is not a digit separates them.
std::vector<unsigned long> Numbers(const std::string& text) {
    std::vector<unsigned long> out;
    for (std::size_t i = 0; i < text.size();) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) ++j;
        out.push_back(std::strtoul(text.substr(i, std::min<std::size_t>(j - i, 9)).c_str(), nullptr, 10));
        i = j;
    }
    return out;
}

int CompareNumbers(const std::vector<unsigned long>& a, const std::vector<unsigned long>& b) {
    if (a < b) return -1;
    return b < a ? 1 : 0;
}

// "month-day-year" as year, month, day; an empty or odd date sorts first.
std::vector<unsigned long> DateKey(const std::string& date) {
    const std::vector<unsigned long> n = Numbers(date);
    if (n.size() != 3) return {};
    return {n[2], n[0], n[1]};
}

struct RowCells {
    std::string cell[kDriverColumns];
};

RowCells Read(const IDriverList& list, long row) {
    RowCells r;
    r.cell[kColDescription] = list.text(row);
    for (int k = kFirstSubItem; k <= kLastSubItem; ++k) r.cell[k] = list.subItem(row, k);
    return r;
}

bool LeftOut(const RowCells& r) {
    const std::string names = Lower(r.cell[kColDescription] + "\n" + r.cell[kColDevice]);
    const std::string cls = Lower(r.cell[kColClass]);
    const std::string provider = Lower(r.cell[kColProvider]);
    if (Contains(names, "remote desktop") || Contains(names, "rdp ")) return true;
    if (cls == "display" && (Contains(names, "virtual") || Contains(names, "indirect"))) return true;
    return cls == "printer" && (provider.empty() || provider == "microsoft");
}

// Whether a is a newer driver than b: its version, then its date.
bool Newer(const RowCells& a, const RowCells& b) {
    const int v = CompareCells(kColVersion, a.cell[kColVersion], b.cell[kColVersion]);
    if (v != 0) return v > 0;
    return CompareCells(kColDate, a.cell[kColDate], b.cell[kColDate]) > 0;
}

}  // namespace

int CompareCells(int column, const std::string& a, const std::string& b) {
    if (column == kColVersion) return CompareNumbers(Numbers(a), Numbers(b));
    if (column == kColDate) return CompareNumbers(DateKey(a), DateKey(b));
    const std::string la = Lower(a), lb = Lower(b);
    return la < lb ? -1 : (lb < la ? 1 : 0);
}

long SelectThisPcsDrivers(IDriverList& list) {
    const long rows = list.count();
    struct Candidate {
        long row;
        RowCells cells;
    };
    std::vector<Candidate> candidates;
    for (long row = 1; row <= rows; ++row) {
        RowCells r = Read(list, row);
        if (r.cell[kColPresent] == kPresentYes && !LeftOut(r))
            candidates.push_back(Candidate{row, std::move(r)});
    }
    // Newest first, so that of the rows of one driver the newest is taken. One driver is
    // one INF name of one provider; its older versions usually sit under other published
    // names (oem5.inf, oem6.inf), so rows of one description and provider count as one too.
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return Newer(a.cells, b.cells); });
    std::set<std::pair<std::string, std::string>> infs, descriptions;
    std::vector<bool> tick(static_cast<std::size_t>(rows) + 1, false);
    long ticked = 0;
    for (const Candidate& c : candidates) {
        const std::string provider = Lower(c.cells.cell[kColProvider]);
        const std::string inf = Lower(c.cells.cell[kColInfPath]);
        const std::string description = Lower(c.cells.cell[kColDescription]);
        if ((!inf.empty() && infs.count({inf, provider})) || descriptions.count({description, provider}))
            continue;
        if (!inf.empty()) infs.insert({inf, provider});
        descriptions.insert({description, provider});
        tick[static_cast<std::size_t>(c.row)] = true;
        ++ticked;
    }
    for (long row = 1; row <= rows; ++row) {
        const bool on = tick[static_cast<std::size_t>(row)];
        if (list.checked(row) != on) list.setChecked(row, on);
    }
    return ticked;
}

std::string RowsAsText(const IDriverList& list, const std::vector<long>& rows) {
    std::string out;
    for (long row : rows) {
        const RowCells r = Read(list, row);
        for (int k = 0; k < kDriverColumns; ++k) {
            if (k) out += '\t';
            // A tab or line break inside a cell would split it.
            for (char ch : r.cell[k]) out += (ch == '\t' || ch == '\r' || ch == '\n') ? ' ' : ch;
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace zv
