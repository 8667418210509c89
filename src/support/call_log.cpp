#include "support/call_log.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace zv {
namespace {

// Times one call into the log: the scope of a wrapper's body.
class Timed {
public:
    Timed(CallLog& log, const char* call) : m_log(log), m_call(call), m_start(CallLog::Clock::now()) {}
    ~Timed() { m_log.add(m_call, m_start); }
    Timed(const Timed&) = delete;
    Timed& operator=(const Timed&) = delete;

private:
    CallLog& m_log;
    const char* m_call;
    CallLog::Clock::time_point m_start;
};

double Ms(CallLog::Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

class CallLog::Wrappers {
public:
    Wrappers(CallLog& log, const Platform& real, IConsole& console)
        : registry(log, real.registry),
          profile(log, real.profile),
          files(log, real.files),
          data(log, real.data),
          setup(log, real.setup),
          devices(log, real.devices),
          signatures(log, real.signatures),
          console(log, console) {}

    struct Registry final : IRegistry {
        Registry(CallLog& l, IRegistry& r) : log(l), real(r) {}
        Long OpenKeyEx(Hkey root, const std::string& subKey, Dword options, Dword sam,
                       Hkey* result) override {
            Timed t(log, "RegOpenKeyEx");
            return real.OpenKeyEx(root, subKey, options, sam, result);
        }
        Long OpenKey(Hkey root, const std::string& subKey, Hkey* result) override {
            Timed t(log, "RegOpenKey");
            return real.OpenKey(root, subKey, result);
        }
        Long CreateKey(Hkey root, const std::string& subKey, Hkey* result) override {
            Timed t(log, "RegCreateKey");
            return real.CreateKey(root, subKey, result);
        }
        Long EnumKey(Hkey key, Dword index, char* name, Dword cchName) override {
            Timed t(log, "RegEnumKey");
            return real.EnumKey(key, index, name, cchName);
        }
        Long EnumValue(Hkey key, Dword index, char* valueName, Dword* cchValueName, Dword* type,
                       std::uint8_t* data, Dword* cbData) override {
            Timed t(log, "RegEnumValue");
            return real.EnumValue(key, index, valueName, cchValueName, type, data, cbData);
        }
        Long QueryValueEx(Hkey key, const std::string& valueName, Dword* type, std::uint8_t* data,
                          Dword* cbData) override {
            Timed t(log, "RegQueryValueEx");
            return real.QueryValueEx(key, valueName, type, data, cbData);
        }
        Long SetValueEx(Hkey key, const std::string& valueName, Dword type, const std::uint8_t* data,
                        Dword cbData) override {
            Timed t(log, "RegSetValueEx");
            return real.SetValueEx(key, valueName, type, data, cbData);
        }
        Long DeleteValue(Hkey key, const std::string& valueName) override {
            Timed t(log, "RegDeleteValue");
            return real.DeleteValue(key, valueName);
        }
        Long CloseKey(Hkey key) override {
            Timed t(log, "RegCloseKey");
            return real.CloseKey(key);
        }
        CallLog& log;
        IRegistry& real;
    };

    struct Profile final : IProfile {
        Profile(CallLog& l, IProfile& r) : log(l), real(r) {}
        Dword GetPrivateProfileString(const std::string& section, const std::string& key,
                                      const std::string& defaultValue, char* buffer, Dword size,
                                      const std::string& fileName) override {
            Timed t(log, "GetPrivateProfileString");
            return real.GetPrivateProfileString(section, key, defaultValue, buffer, size, fileName);
        }
        Dword GetPrivateProfileSection(const std::string& section, char* buffer, Dword size,
                                       const std::string& fileName) override {
            Timed t(log, "GetPrivateProfileSection");
            return real.GetPrivateProfileSection(section, buffer, size, fileName);
        }
        CallLog& log;
        IProfile& real;
    };

    struct Files final : IFileSystem {
        Files(CallLog& l, IFileSystem& r) : log(l), real(r) {}
        Dword GetLastError() const override { return real.GetLastError(); }
        Dword GetFileAttributes(const std::string& path) override {
            Timed t(log, "GetFileAttributes");
            return real.GetFileAttributes(path);
        }
        bool GetFileSize(const std::string& path, std::uint64_t* size) override {
            Timed t(log, "GetFileSize");
            return real.GetFileSize(path, size);
        }
        bool FindFiles(const std::string& pattern, std::vector<FindEntry>* entries) override {
            Timed t(log, "FindFiles");
            return real.FindFiles(pattern, entries);
        }
        bool CreateDirectory(const std::string& path) override {
            Timed t(log, "CreateDirectory");
            return real.CreateDirectory(path);
        }
        bool CopyFile(const std::string& existing, const std::string& newFile, bool failIfExists) override {
            Timed t(log, "CopyFile");
            return real.CopyFile(existing, newFile, failIfExists);
        }
        bool DeleteFile(const std::string& path) override {
            Timed t(log, "DeleteFile");
            return real.DeleteFile(path);
        }
        bool SetFileAttributes(const std::string& path, Dword attributes) override {
            Timed t(log, "SetFileAttributes");
            return real.SetFileAttributes(path, attributes);
        }
        Hfile OpenForWrite(const std::string& path) override {
            Timed t(log, "OpenForWrite");
            return real.OpenForWrite(path);
        }
        bool WriteFile(Hfile file, const void* data, Dword size, Dword* written) override {
            Timed t(log, "WriteFile");
            return real.WriteFile(file, data, size, written);
        }
        bool CloseFile(Hfile file) override {
            Timed t(log, "CloseFile");
            return real.CloseFile(file);
        }
        bool DisableFsRedirection(std::uintptr_t* oldValue) override {
            Timed t(log, "DisableFsRedirection");
            return real.DisableFsRedirection(oldValue);
        }
        bool RevertFsRedirection(std::uintptr_t oldValue) override {
            Timed t(log, "RevertFsRedirection");
            return real.RevertFsRedirection(oldValue);
        }
        CallLog& log;
        IFileSystem& real;
    };

    struct Data final : IFileData {
        Data(CallLog& l, IFileData& r) : log(l), real(r) {}
        Dword GetLastError() const override { return real.GetLastError(); }
        bool ReadWholeFile(const std::string& path, std::uint64_t limit, std::string* bytes) override {
            Timed t(log, "ReadWholeFile");
            return real.ReadWholeFile(path, limit, bytes);
        }
        bool Sha256File(const std::string& path, std::string* hex) override {
            Timed t(log, "Sha256File");
            return real.Sha256File(path, hex);
        }
        bool CopyFileHashed(const std::string& from, const std::string& to, std::uint64_t* size,
                            std::string* sha256hex, std::string* head, std::size_t headBytes) override {
            Timed t(log, "CopyFileHashed");
            return real.CopyFileHashed(from, to, size, sha256hex, head, headBytes);
        }
        CallLog& log;
        IFileData& real;
    };

    struct Setup final : IDriverSetup {
        Setup(CallLog& l, IDriverSetup& r) : log(l), real(r) {}
        Dword GetLastError() const override { return real.GetLastError(); }
        bool GetInfDriverStoreLocation(const std::string& infPath, std::string* storeInf) override {
            Timed t(log, "GetInfDriverStoreLocation");
            return real.GetInfDriverStoreLocation(infPath, storeInf);
        }
        std::uint16_t NativeProcessorArchitecture() override {
            Timed t(log, "NativeProcessorArchitecture");
            return real.NativeProcessorArchitecture();
        }
        bool CopyOEMInf(const std::string& source, Dword mediaType, Dword style,
                        std::string* destination) override {
            Timed t(log, "CopyOEMInf");
            return real.CopyOEMInf(source, mediaType, style, destination);
        }
        bool PresentDeviceIds(std::vector<std::string>* ids) override {
            Timed t(log, "PresentDeviceIds");
            return real.PresentDeviceIds(ids);
        }
        bool InstallOnDevices(const std::string& hardwareId, const std::string& infPath,
                              bool* rebootNeeded) override {
            Timed t(log, "InstallOnDevices");
            return real.InstallOnDevices(hardwareId, infPath, rebootNeeded);
        }
        CallLog& log;
        IDriverSetup& real;
    };

    struct Devices final : IDevices {
        Devices(CallLog& l, IDevices& r) : log(l), real(r) {}
        bool ListDevices(std::vector<DeviceEntry>* devices, Dword* lastError) override {
            Timed t(log, "ListDevices");
            return real.ListDevices(devices, lastError);
        }
        CallLog& log;
        IDevices& real;
    };

    struct Signatures final : ISignatures {
        Signatures(CallLog& l, ISignatures& r) : log(l), real(r) {}
        bool ReadSignature(const std::string& path, SignedFileKind kind, SignatureRecord* record,
                           Dword* error) override {
            Timed t(log, "ReadSignature");
            return real.ReadSignature(path, kind, record, error);
        }
        CallLog& log;
        ISignatures& real;
    };

    struct Console final : IConsole {
        Console(CallLog& l, IConsole& r) : log(l), real(r) {}
        std::u16string CommandLine() override { return real.CommandLine(); }
        bool Write(ConsoleStream stream, const std::string& text) override {
            bool ok = false;
            {
                Timed t(log, "console Write");
                ok = real.Write(stream, text);
            }
            if (stream == ConsoleStream::Out) log.lineWritten(text);
            return ok;
        }
        std::string FullPathName(const std::string& path) override { return real.FullPathName(path); }
        CallLog& log;
        IConsole& real;
    };

    Registry registry;
    Profile profile;
    Files files;
    Data data;
    Setup setup;
    Devices devices;
    Signatures signatures;
    Console console;
};

CallLog::CallLog(const Platform& real, IConsole& console)
    : m_wrappers(std::make_unique<Wrappers>(*this, real, console)),
      m_platform{m_wrappers->registry,
                 m_wrappers->profile,
                 real.system,
                 m_wrappers->files,
                 real.internet,
                 real.shell,
                 real.ui,
                 m_wrappers->setup,
                 m_wrappers->data,
                 real.locale,
                 m_wrappers->devices,
                 m_wrappers->signatures} {}

CallLog::~CallLog() = default;

IConsole& CallLog::console() {
    return m_wrappers->console;
}

void CallLog::add(const char* call, Clock::time_point start) {
    const double ms = Ms(Clock::now() - start);
    const std::lock_guard lock(m_mutex);
    Tally& t = m_parts.back().tallies[call];
    ++t.count;
    t.ms += ms;
}

void CallLog::lineWritten(const std::string& line) {
    const std::lock_guard lock(m_mutex);
    m_parts.back().end = Clock::now();
    m_parts.back().line = line.substr(0, std::min(line.find_first_of("\r\n"), std::size_t{60}));
    m_parts.emplace_back();
}

std::string CallLog::text(double startMs) const {
    const std::lock_guard lock(m_mutex);
    std::string out;
    char line[256];
    if (startMs >= 0) {
        std::snprintf(line, sizeof line, "timing log: the process ran %.1f ms before it began\r\n", startMs);
        out += line;
    }
    const auto print = [&](const std::string& name, const Tallies& tallies, Clock::duration took) {
        std::snprintf(line, sizeof line, "%s: %.1f ms\r\n", name.c_str(), Ms(took));
        out += line;
        std::vector<std::pair<std::string, Tally>> sorted(tallies.begin(), tallies.end());
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const auto& a, const auto& b) { return a.second.ms > b.second.ms; });
        double calls = 0;
        for (const auto& [call, t] : sorted) {
            std::snprintf(line, sizeof line, "  %-36s %8ld calls %10.1f ms\r\n", call.c_str(), t.count, t.ms);
            out += line;
            calls += t.ms;
        }
        std::snprintf(line, sizeof line, "  %-36s %25.1f ms\r\n", "outside these calls", Ms(took) - calls);
        out += line;
    };
    // parts[k] ends with line k + 1; the last part ends now.
    const std::size_t lines = m_parts.size() - 1;
    const auto endOf = [&](std::size_t k) { return k < lines ? m_parts[k].end : Clock::now(); };
    const auto startOf = [&](std::size_t k) { return k == 0 ? m_begin : m_parts[k - 1].end; };
    const auto one = [&](std::size_t k, const std::string& name) {
        print(name, m_parts[k].tallies, endOf(k) - startOf(k));
    };
    if (lines == 0) {
        one(0, "the whole command (no line written)");
        return out;
    }
    one(0, "up to the first line (" + m_parts[0].line + ")");
    // The parts between the first line and the last two: the lines of a run's items.
    const std::size_t tail = lines >= 3 ? 2 : lines - 1;
    if (lines - tail > 1) {
        Tallies sum;
        for (std::size_t k = 1; k < lines - tail; ++k)
            for (const auto& [call, t] : m_parts[k].tallies) {
                sum[call].count += t.count;
                sum[call].ms += t.ms;
            }
        print("then " + std::to_string(lines - tail - 1) + " lines", sum, endOf(lines - tail - 1) - endOf(0));
    }
    for (std::size_t k = lines - tail; k < lines; ++k) one(k, "then up to the line " + m_parts[k].line);
    one(lines, "after the last line");
    return out;
}

}  // namespace zv
