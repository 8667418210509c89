#pragma once
// INF files read as Windows' installer reads them, not as profile files: a section may
// appear several times and its lines add up; ";" starts a comment outside quotes; values
// are comma-separated fields with their quotes removed ("" inside quotes is one quote) and
// the blanks around them trimmed; %strkey% comes from [Strings] (%% is one %); a line
// ending in "\" goes on in the next. No buffer limits a section or a value. ANSI files and
// Unicode ones (UTF-16 LE or UTF-8, with their byte-order mark) are read; every text comes
// out in the ANSI code page, as the "A" calls take it.
#include <map>
#include <string>
#include <vector>

#include "support/env.h"

namespace zv {

// One line of a section.
struct InfLine {
    bool hasKey = false;              // the line has a key and "="
    std::string key;                  // "" when it has none
    std::vector<std::string> fields;  // after the "=", or the whole line's when it has no key

    // What the line names: its key, or for a line without "=" its first field
    // ("a.sys" for both "a.sys = 1,,123" and "a.sys").
    [[nodiscard]] std::string name() const;
};

class InfFile {
public:
    // The lines of every section of that name (in any letter case), in file order;
    // empty when the INF has no such section.
    [[nodiscard]] const std::vector<InfLine>& lines(const std::string& section) const;
    [[nodiscard]] bool hasSection(const std::string& section) const;
    // The first field of the first line of the section with that key (any letter case);
    // "" when there is none.
    [[nodiscard]] std::string value(const std::string& section, const std::string& key) const;
    // What each line of the section names, in file order, empty names left out.
    [[nodiscard]] std::vector<std::string> names(const std::string& section) const;

private:
    friend InfFile ParseInf(const std::string& bytes, ILocale& locale);
    std::map<std::string, std::vector<InfLine>> m_sections;  // by the lower-cased name
};

// The INF of these bytes. Unicode text is converted to the ANSI code page by the locale.
[[nodiscard]] InfFile ParseInf(const std::string& bytes, ILocale& locale);

// Reads and parses the INF at path through the file-data seam, with WOW64 redirection off.
// False, with the platform's error, when the file cannot be read (or is larger than an INF
// can sensibly be); inf is then untouched.
[[nodiscard]] bool ReadInf(Env& env, const std::string& path, InfFile* inf, Dword* error);

// The catalog an INF names for an architecture ("x86", "amd64", "arm64"): [Version]'s
// CatalogFile.NT<arch>, else CatalogFile.NT, else CatalogFile; "" when none is given.
[[nodiscard]] std::string CatalogFileOf(const InfFile& inf, const std::string& arch);

// The files of [SourceDisksFiles] and then of [SourceDisksFiles.<arch>], each once (in any
// letter case), in file order.
[[nodiscard]] std::vector<std::string> SourceDisksFilesOf(const InfFile& inf, const std::string& arch);

}  // namespace zv
