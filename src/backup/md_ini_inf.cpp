#include "backup/md_ini_inf.h"

#include "support/guard.h"
#include "support/text.h"

namespace zv::md_ini_inf {

std::string ReadFromINI(Env& env, const std::string& section, const std::string& key, const std::string& file,
                        const std::string& defaultValue) {
    std::string result;
    Guard(env, [&](int& erl) {
        LN(95) std::string buffer(kValueBuffer, '\0');
        LN(96)
        result = buffer.substr(0, env.os.profile.GetPrivateProfileString(section, ToLower(key), defaultValue,
                                                                         buffer.data(), kValueBuffer, file));
    });
    return result;
}

std::vector<std::string> LoadIniSectionKeys(Env& env, const std::string& section, const std::string& file) {
    std::vector<std::string> result;
    Guard(env, [&](int& erl) {
        LN(108) std::vector<std::string> names;
        LN(109) std::string buffer(kSectionBuffer, '\0');
        LN(110) env.os.profile.GetPrivateProfileSection(section, buffer.data(), kSectionBuffer, file);
        // Split up to the two NULs that end the list (after a cut too, where the count is
        // size-2): the loop stops at the first empty entry, so the rest of the buffer, thousands
        // of empty entries, would only cost time.
        LN(111)
        std::vector<std::string> entries =
            SplitText(buffer.substr(0, buffer.find(std::string(2, '\0'))), '\0');
        LN(112) for (std::size_t i = 0; i < entries.size(); ++i) {
            LN(113) if (entries[i].empty()) break;
            LN(114) std::vector<std::string> pieces = SplitText(entries[i], '=');
            LN(115) std::string name = pieces.at(0);
            LN(116) const std::size_t count = names.size();
            LN(117) names.resize(count + 1);
            LN(118) names[count] = name;
            LN(119)
        }
        LN(120) entries.clear();
        LN(121) if (names.empty()) names.push_back("");
        LN(122) result = names;
    });
    return result;
}

}  // namespace zv::md_ini_inf
