#pragma once
// Who the program is, in one place: its name and file, where it keeps its one setting,
// the agreement it asks for, the folder a backup goes into, and (from the build) its
// version. StartUp's numbered statements type the same values; the start-up tests hold
// them equal.
#include <string>

#include "support/version.h"

namespace zv {

inline constexpr const char* kProductName = "Zorvane";
// Also the title of the program's own message boxes, before and after StartUp.
inline constexpr const char* kProgramTitle = kProductName;
inline constexpr const char* kProgramFileName = "Zorvane.exe";
// Below HKEY_CURRENT_USER; the value is the name followed by "FirstTime".
inline constexpr const char* kSettingsKey = "SOFTWARE\\FI";
inline constexpr const char* kAgreementValue = "ZorvaneFirstTime";
// The agreement, in the two lines that the usage text and the restore script print.
inline constexpr const char* kAgreementLine1 =
    "Use this application at your own risk. Fenwright Inc is not responsible";
inline constexpr const char* kAgreementLine2 = "for any loss of data or any data corruption.";
[[nodiscard]] inline std::string AgreementText() {
    return std::string(kAgreementLine1) + " " + kAgreementLine2;
}
// The folder of the chosen folder that a backup writes its tree into.
inline constexpr const char* kBackupFolderName = "Zorvane";

}  // namespace zv
