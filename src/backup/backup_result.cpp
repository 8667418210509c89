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

}  // namespace zv::backup
