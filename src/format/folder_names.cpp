#include "format/folder_names.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "support/guard.h"
#include "support/text.h"

namespace zv {
namespace {

// Table order matters: the first equal id gives the folder.
constexpr const char* kIds[] = {"01", "10", "11", "12",    "17",    "18",    "20",    "21",
                                "23", "24", "25", "30",    "50",    "51",    "52",    "53",
                                "54", "55", "-1", "66000", "66001", "66002", "66003", "66004"};

int IdRow(const std::string& id) {
    const auto it = std::find_if(std::begin(kIds), std::end(kIds), [&](const char* k) { return id == k; });
    return it == std::end(kIds) ? -1 : static_cast<int>(it - std::begin(kIds));
}

std::string Replace(std::string text, char from) {
    std::replace(text.begin(), text.end(), from, ' ');
    return text;
}

}  // namespace

std::string WhereIsDir(Env& env, const std::string& id, const WindowsFolders& f) {
    std::string result;
    Guard(env, [&](int& erl) {
        std::string s;
        LN(166) switch (IdRow(id)) {
            case 0: LN(167) s = f.windows.substr(0, 3); break;
            case 1: LN(168) s = f.windows; break;
            case 2: LN(169) s = f.system; break;
            case 3: LN(170) s = f.system + "\\Drivers"; break;
            case 4: LN(171) s = f.inf; break;
            case 5: LN(172) s = f.windows + "\\Help"; break;
            case 6: LN(173) s = f.windows + "\\Fonts"; break;
            case 7: LN(174) s = ""; break;  // viewer folder
            case 8: LN(175) s = f.system + "\\spool\\drivers\\color"; break;
            case 9: LN(176) s = f.windows.substr(0, 3); break;
            case 10: LN(177) s = ""; break;  // shared folder
            case 11: LN(178) s = f.windows.substr(0, 3); break;
            case 12: LN(179) s = f.system; break;
            case 13: LN(180) s = f.system + "\\Spool"; break;
            case 14: LN(181) s = f.system + "\\Spool\\Drivers"; break;
            case 15: LN(182) s = ""; break;  // user profile folder
            case 16: LN(183) s = ""; break;  // the folder that holds ntldr.exe
            case 17: LN(184) s = f.system + "\\spool\\prtprocs"; break;
            case 18: LN(185) s = ""; break;  // an absolute path
            case 19: LN(186) s = f.system + "\\spool\\Drivers\\w32x86"; break;
            case 20: LN(187) s = f.system + "\\spool\\prtprocs\\w32x86"; break;
            case 21: LN(188) s = ""; break;  // print monitor folder
            case 22: LN(189) s = f.system + "\\spool\\drivers\\color"; break;
            case 23: LN(190) s = f.system + "\\spool\\Drivers\\w32x86"; break;
            default: LN(191) s = ""; break;
        }
        LN(192) result = s;
    });
    return result;
}

std::string SafeDir(Env& env, const std::string& text) {
    std::string result;
    Guard(env, [&](int& erl) {
        LN(193) std::string s = text;
        LN(194) s = Replace(s, '\\');
        LN(195) s = Replace(s, '/');
        LN(196) s = Replace(s, '*');
        LN(197) s = Replace(s, ':');
        LN(198) s = Replace(s, ';');
        LN(199) s = Replace(s, '?');
        LN(200) s = Replace(s, '>');
        LN(201) s = Replace(s, '<');
        LN(202) s = Replace(s, '|');
        LN(203) result = s;
    });
    return result;
}

namespace {

std::string NotDotsOnly(std::string name) {
    const bool dotsOnly = name.find('.') != std::string::npos &&
                          std::all_of(name.begin(), name.end(), [](char c) { return c == '.' || c == ' '; });
    if (dotsOnly) std::replace(name.begin(), name.end(), '.', '_');
    return name;
}

// Every character no name can hold becomes a space, as SafeDir does with its nine.
std::string UnsafeToBlanks(std::string name) {
    std::replace_if(name.begin(), name.end(), IsUnsafeNameChar, ' ');
    return name;
}

std::string UsableName(const std::string& name) {
    const std::string usable = NotDotsOnly(UnsafeToBlanks(name));
    return IsDeviceName(usable) ? "_" + usable : usable;
}

bool EqualsUpper(const std::string& text, std::size_t from, std::size_t length, const char* upper) {
    for (std::size_t i = 0; i < length; ++i) {
        if (upper[i] == '\0') return false;
        char c = text[from + i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != upper[i]) return false;
    }
    return upper[length] == '\0';
}

}  // namespace

bool IsDeviceName(const std::string& name) {
    // Windows looks only at the part before the first dot, without the blanks around it.
    std::size_t begin = name.find_first_not_of(' ');
    if (begin == std::string::npos) return false;
    std::size_t end = name.find('.', begin);
    if (end == std::string::npos) end = name.size();
    while (end > begin && name[end - 1] == ' ') --end;
    const std::size_t length = end - begin;
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (EqualsUpper(name, begin, length, device)) return true;
    if (length != 4) return false;
    // COM and LPT with one digit; Windows also takes the Latin-1 superscripts 1, 2 and 3.
    const unsigned char digit = static_cast<unsigned char>(name[begin + 3]);
    const bool isDigit = (digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
    return isDigit && (EqualsUpper(name, begin, 3, "COM") || EqualsUpper(name, begin, 3, "LPT"));
}

bool IsUnsafeNameChar(char c) {
    return static_cast<unsigned char>(c) < 0x20 ||
           std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
}

bool IsPlainName(const std::string& name) {
    if (name.empty() || std::any_of(name.begin(), name.end(), IsUnsafeNameChar) || IsDeviceName(name))
        return false;
    return !std::all_of(name.begin(), name.end(), [](char c) { return c == '.' || c == ' '; });
}

std::string DescriptionFolderName(Env& env, const std::string& description) {
    return UsableName(SafeDir(env, description));
}

std::string ClassFolderName(const std::string& className) {
    if (className.find_first_not_of(' ') == std::string::npos) return "";
    return UsableName(className);
}

namespace {

// As the backup run forms its folders: Windows drops trailing dots and blanks of the
// last name of a path it creates.
std::string AsCreated(const std::string& path) {
    const std::size_t last = path.find_last_not_of(". ");
    if (last == std::string::npos || path[last] == '\\') return path;
    return path.substr(0, last + 1);
}

}  // namespace

std::string DriverFolderPath(Env& env, const std::string& root, const std::string& className,
                             const std::string& description) {
    const std::string classFolder = AsCreated(root + "\\" + ClassFolderName(className));
    return AsCreated(Trim(classFolder + "\\" + DescriptionFolderName(env, description)));
}

}  // namespace zv
