#include "format/report_schema.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "support/text.h"

namespace zv {

const char* ColumnName(ReportColumn column) {
    switch (column) {
        case kColumnDriver: return "Driver";
        case kColumnClass: return "Class";
        case kColumnInf: return "INF";
        case kColumnFile: return "File";
        case kColumnStatus: return "Status";
        case kColumnSource: return "Source";
        case kColumnSize: return "Size";
        case kColumnSha256: return "SHA-256";
        case kColumnError: return "Error";
        case kColumnErrorText: return "Error text";
        case kColumnFolder: return "Folder";
        case kColumnId: return "ID";
        case kColumnSignature: return "Signature";
        case kColumnAfterInstall: return "After a clean install";
        case kReportColumns: break;
    }
    return "";
}

const char* OutcomeName(FileOutcome outcome) {
    switch (outcome) {
        case FileOutcome::Copied: return "copied";
        case FileOutcome::NotFound: return "not found";
        case FileOutcome::Failed: return "failed";
    }
    return "";
}

std::string ReportStamp(const LocalTime& t) {
    char stamp[32] = {};
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d_%02d-%02d-%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return stamp;
}

std::string ReportFileNameOf(const ReportFileName& name) {
    std::string file = kReportName;
    if (!name.stamp.empty()) file += "-" + name.stamp;
    if (name.n >= 2) file += "-" + std::to_string(name.n);
    return file + ".csv";
}

bool ParseReportFileName(const std::string& fileName, ReportFileName* name) {
    const std::string base = kReportName;
    const std::string lower = ToLower(fileName);
    if (lower.size() < base.size() + 4 || lower.compare(0, base.size(), base) != 0 ||
        lower.compare(lower.size() - 4, 4, ".csv") != 0)
        return false;
    const std::string middle = lower.substr(base.size(), lower.size() - base.size() - 4);
    ReportFileName r;
    if (!middle.empty()) {
        // -YYYY-MM-DD_HH-MM-SS, then -n for a second report of the same second.
        if (middle.size() < 20 || middle[0] != '-') return false;
        r.stamp = middle.substr(1, 19);
        r.n = 1;
        if (middle.size() > 20) {
            const std::string n = middle.substr(21);
            if (middle[20] != '-' || n.empty() || n.size() > 4 ||
                !std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; }))
                return false;
            r.n = std::atoi(n.c_str());
        }
    }
    *name = r;
    return true;
}

}  // namespace zv
