#include "inventory/driver_selection.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>
#include <utility>

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

bool LeftOut(const DriverRecord& r) {
    const std::string names = Lower(r.description + "\n" + r.device);
    const std::string cls = Lower(r.className);
    const std::string provider = Lower(r.provider);
    if (Contains(names, "remote desktop") || Contains(names, "rdp ")) return true;
    if (cls == "display" && (Contains(names, "virtual") || Contains(names, "indirect"))) return true;
    return cls == "printer" && (provider.empty() || provider == "microsoft");
}

// Whether a is a newer driver than b: its version, then its date.
bool Newer(const DriverRecord& a, const DriverRecord& b) {
    const int v = CompareCells(kColVersion, a.version, b.version);
    if (v != 0) return v > 0;
    return CompareCells(kColDate, a.date, b.date) > 0;
}

}  // namespace

int CompareCells(int column, const std::string& a, const std::string& b) {
    if (column == kColVersion) return CompareNumbers(Numbers(a), Numbers(b));
    if (column == kColDate) return CompareNumbers(DateKey(a), DateKey(b));
    const std::string la = Lower(a), lb = Lower(b);
    return la < lb ? -1 : (lb < la ? 1 : 0);
}

std::vector<bool> ThisPcsDrivers(const std::vector<DriverRecord>& records) {
    std::vector<std::size_t> candidates;
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i].hasDevice && records[i].present && !LeftOut(records[i])) candidates.push_back(i);
    // Newest first, so that of the records of one driver the newest is taken. One driver is
    // one INF name of one provider; its older versions usually sit under other published
    // names (oem5.inf, oem6.inf), so records of one description and provider count as one too.
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&](std::size_t a, std::size_t b) { return Newer(records[a], records[b]); });
    std::set<std::pair<std::string, std::string>> infs, descriptions;
    std::vector<bool> picked(records.size(), false);
    for (const std::size_t i : candidates) {
        const DriverRecord& r = records[i];
        const std::string provider = Lower(r.provider);
        const std::string inf = Lower(r.infName);
        const std::string description = Lower(r.description);
        if ((!inf.empty() && infs.count({inf, provider})) || descriptions.count({description, provider}))
            continue;
        if (!inf.empty()) infs.insert({inf, provider});
        descriptions.insert({description, provider});
        picked[i] = true;
    }
    return picked;
}

std::string RowsAsText(const IDriverList& list, const std::vector<long>& rows) {
    std::string out;
    for (long row : rows) {
        for (int k = 0; k < kDriverColumns; ++k) {
            if (k) out += '\t';
            // A tab or line break inside a cell would split it.
            for (char ch : k == kColDescription ? list.text(row) : list.subItem(row, k))
                out += (ch == '\t' || ch == '\r' || ch == '\n') ? ' ' : ch;
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace zv
