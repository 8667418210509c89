#include "backup/backup_result.h"

#include <algorithm>

namespace zv::backup {

int DriverResult::count(FileOutcome outcome) const {
    return static_cast<int>(
        std::count_if(files.begin(), files.end(), [&](const FileResult& f) { return f.outcome == outcome; }));
}

int BackupResult::count(FileOutcome outcome) const {
    int n = 0;
    for (const DriverResult& d : drivers) n += d.count(outcome);
    return n;
}

const char* OutcomeName(FileOutcome outcome) {
    switch (outcome) {
        case FileOutcome::Copied: return "copied";
        case FileOutcome::NotFound: return "not found";
        case FileOutcome::Failed: return "failed";
    }
    return "";
}

}  // namespace zv::backup
