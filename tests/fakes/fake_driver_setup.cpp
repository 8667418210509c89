#include "fakes/fake_driver_setup.h"

#include <algorithm>
#include <cctype>

#include "support/paths.h"
#include "support/text.h"

namespace zv::fakes {
namespace {

constexpr Dword kWrongInfStyle = 0xE0000100u;
const char* const kCatalogStore = "\\system32\\CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\";

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The value of key in the INF's [Version] section, as a plain text scan: enough for the
// signature and catalog lines of test INFs.
std::string VersionValue(const std::string& text, const std::string& key) {
    bool inVersion = false;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty() && line[0] == '[') {
            inVersion = Upper(line) == "[VERSION]";
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!inVersion || eq == std::string::npos) continue;
        std::string k = line.substr(0, eq), v = line.substr(eq + 1);
        while (!k.empty() && k.back() == ' ') k.pop_back();
        while (!v.empty() && v.front() == ' ') v.erase(v.begin());
        if (Upper(k) == Upper(key)) return v;
    }
    return "";
}

}  // namespace

bool FakeDriverSetup::GetInfDriverStoreLocation(const std::string& infPath, std::string* storeInf) {
    if (!hasLocationCall) return false;
    asked.push_back(infPath);
    const auto it = m_locations.find(Upper(infPath));
    if (it == m_locations.end()) return false;
    *storeInf = it->second;
    return true;
}

void FakeDriverSetup::setLocation(const std::string& infPath, const std::string& storeInf) {
    hasLocationCall = true;
    m_locations[Upper(infPath)] = storeInf;
}

bool FakeDriverSetup::CopyOEMInf(const std::string& source, Dword mediaType, Dword style,
                                 std::string* destination) {
    copies.push_back(Copy{source, mediaType, style});
    if (destination) destination->clear();
    if (auto f = copyErrors.find(Upper(source)); f != copyErrors.end()) return fail(f->second);
    const auto text = m_files.contents(source);
    if (!text) return fail(kErrorFileNotFound);
    const std::string signature = Upper(VersionValue(*text, "Signature"));
    if (signature != "\"$WINDOWS NT$\"" && signature != "\"$CHICAGO$\"") return fail(kWrongInfStyle);
    const std::string catalog = VersionValue(*text, "CatalogFile");
    if (!catalog.empty() && !m_files.contents(FolderOf(source) + "\\" + catalog))
        return fail(kErrorFileNotFound);

    const std::string infFolder = m_windows + "\\inf\\";
    int free = 0;
    for (int n = 0;; ++n) {
        const std::string name = infFolder + "oem" + std::to_string(n) + ".inf";
        const auto present = m_files.contents(name);
        if (!present) {
            free = n;
            break;
        }
        if (*present == *text) {
            if (destination) *destination = name;
            if (style & kSpCopyNoOverwrite) return fail(kErrorFileExists);
            return succeed();
        }
    }
    const std::string stem = "oem" + std::to_string(free);
    m_files.addFile(infFolder + stem + ".inf", *text);
    if (!catalog.empty())
        m_files.addFile(m_windows + kCatalogStore + stem + ".cat",
                        *m_files.contents(FolderOf(source) + "\\" + catalog));
    if (destination) *destination = infFolder + stem + ".inf";
    return succeed();
}

bool FakeDriverSetup::PresentDeviceIds(std::vector<std::string>* ids) {
    if (presentIdsError) return fail(presentIdsError);
    *ids = presentIds;
    return succeed();
}

bool FakeDriverSetup::InstallOnDevices(const std::string& hardwareId, const std::string& infPath,
                                       bool* rebootNeeded) {
    installs.push_back(Install{hardwareId, infPath});
    if (rebootNeeded) *rebootNeeded = false;
    if (auto f = installErrors.find(Upper(hardwareId)); f != installErrors.end()) return fail(f->second);
    const bool present = std::any_of(presentIds.begin(), presentIds.end(),
                                     [&](const std::string& p) { return EqualsNoCase(p, hardwareId); });
    if (!present) return fail(kErrorNoSuchDevinst);
    if (rebootNeeded)
        *rebootNeeded = std::any_of(rebootIds.begin(), rebootIds.end(),
                                    [&](const std::string& p) { return EqualsNoCase(p, hardwareId); });
    return succeed();
}

}  // namespace zv::fakes
