#pragma once
// The backup run's profile reads. The run reads the same keys of the same INF copy again
// for every file the INF names, and each read opens and checks the file anew; the answer
// is kept and given again, the same bytes and count, until the run writes a file that may
// be that one.
#include <map>
#include <string>
#include <tuple>

#include "platform/profile.h"

namespace zv::backup {

class RememberedProfile final : public IProfile {
public:
    explicit RememberedProfile(IProfile& profile) : m_profile(profile) {}

    Dword GetPrivateProfileString(const std::string& section, const std::string& key,
                                  const std::string& defaultValue, char* buffer, Dword size,
                                  const std::string& fileName) override;
    // Read once per INF copy: passed through.
    Dword GetPrivateProfileSection(const std::string& section, char* buffer, Dword size,
                                   const std::string& fileName) override {
        return m_profile.GetPrivateProfileSection(section, buffer, size, fileName);
    }

    // The file at path is about to be written: every answer read from a file that may be
    // the same one is read again.
    void written(const std::string& path);

private:
    struct Answer {
        Dword count = 0;
        std::string bytes;  // what the call wrote: the value and its NUL, as far as the buffer held
    };
    using Question = std::tuple<std::string, std::string, std::string, Dword, std::string>;

    IProfile& m_profile;
    // By the name of the file read (as FileKey gives it), so that a write drops only the
    // answers of files that may be the one written, without looking at all of them.
    std::map<std::string, std::map<Question, Answer>> m_answers;
};

}  // namespace zv::backup
