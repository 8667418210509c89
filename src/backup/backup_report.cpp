#include "backup/backup_report.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "backup/backup_files.h"
#include "support/csv.h"
#include "support/vbrt.h"

namespace zv::backup {
namespace {

bool Exists(Env& env, const std::string& path) {
    RedirectionOff off(env.os.files);
    return env.os.files.GetFileAttributes(path) != kInvalidFileAttributes;
}

// Closes the handle on every way out; a close that fails after the last write is a
// failed write (the bytes may not have reached the disk).
class WrittenFile {
public:
    WrittenFile(Env& env, const std::string& path) : m_env(env) {
        RedirectionOff off(env.os.files);
        m_h = env.os.files.OpenForWrite(path);
        if (m_h == kInvalidHfile) RaiseWin32(env.os.system, env.os.files.GetLastError());
    }
    ~WrittenFile() {
        if (m_h == kInvalidHfile) return;
        RedirectionOff off(m_env.os.files);
        (void)m_env.os.files.CloseFile(m_h);
    }
    WrittenFile(const WrittenFile&) = delete;
    WrittenFile& operator=(const WrittenFile&) = delete;
    void write(const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const Dword chunk = static_cast<Dword>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
            Dword written = 0;
            RedirectionOff off(m_env.os.files);
            if (!m_env.os.files.WriteFile(m_h, bytes.data() + done, chunk, &written) || written == 0)
                RaiseWin32(m_env.os.system, m_env.os.files.GetLastError());
            done += written;
        }
    }
    void close() {
        const Hfile h = std::exchange(m_h, kInvalidHfile);
        RedirectionOff off(m_env.os.files);
        if (!m_env.os.files.CloseFile(h)) RaiseWin32(m_env.os.system, m_env.os.files.GetLastError());
    }

private:
    Env& m_env;
    Hfile m_h = kInvalidHfile;
};

std::string Line(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) line += ',';
        line += CsvField(fields[i], EdgeBlanks::Quoted);
    }
    line += "\r\n";
    return line;
}

}  // namespace

std::string ReportText(Env& env, const std::vector<ReportRow>& rows) {
    std::string text = Line({"Driver", "Class", "INF", "File", "Status", "Source", "Size", "SHA-256"});
    ILocale& locale = env.os.locale;
    for (const ReportRow& r : rows) {
        text += Line({locale.AnsiToUtf8(r.driver), locale.AnsiToUtf8(r.className), locale.AnsiToUtf8(r.inf),
                      locale.AnsiToUtf8(r.file), r.status, locale.AnsiToUtf8(r.source), r.size, r.sha256});
    }
    return text;
}

std::string ReportPath(Env& env, const std::string& root) {
    const std::string plain = root + "\\" + kReportName + ".csv";
    if (!Exists(env, plain)) return plain;
    const LocalTime t = env.os.locale.Now();
    char stamp[32] = {};
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d_%02d-%02d-%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    const std::string dated = root + "\\" + kReportName + "-" + stamp;
    if (!Exists(env, dated + ".csv")) return dated + ".csv";
    for (int n = 2; n < 1000; ++n) {
        const std::string path = dated + "-" + std::to_string(n) + ".csv";
        if (!Exists(env, path)) return path;
    }
    Raise(kErrPathFileAccess);
}

void WriteReport(Env& env, const std::string& root, const std::vector<ReportRow>& rows) {
    const std::string text = ReportText(env, rows);
    WrittenFile file(env, ReportPath(env, root));
    file.write(text);
    file.close();
}

}  // namespace zv::backup
