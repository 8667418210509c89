#pragma once
// The timing log of a command (ZV_TIMING_LOG set): the platform calls it made, counted and
// timed by call, in parts told apart by the lines the command writes to its standard output
// (the backup writes one for each driver, then two more): up to its first line; from there
// to the last two lines; up to each of those; after the last. Every call passes through
// unchanged, its results and its error too. Without the variable nothing is wrapped.
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/platform.h"

namespace zv {

class CallLog {
public:
    CallLog(const Platform& real, IConsole& console);
    ~CallLog();
    CallLog(const CallLog&) = delete;
    CallLog& operator=(const CallLog&) = delete;

    // The platform and console whose calls are counted: the registry, profile, file-system,
    // file-data, driver-setup and device calls are; the others are the real ones.
    [[nodiscard]] Platform& platform() { return m_platform; }
    [[nodiscard]] IConsole& console();

    // What was counted: each part's time, then a line a call: count and milliseconds, the
    // slowest first. The first line says how long the process ran before the log began
    // (startMs, when known: not negative).
    [[nodiscard]] std::string text(double startMs) const;

    using Clock = std::chrono::steady_clock;
    // Adds one call that began at start (used by the wrappers).
    void add(const char* call, Clock::time_point start);
    void lineWritten(const std::string& line);

private:
    struct Tally {
        long count = 0;
        double ms = 0;
    };
    using Tallies = std::map<std::string, Tally>;
    struct Segment {
        Tallies tallies;
        Clock::time_point end{};
        std::string line;  // the line that ended it
    };
    class Wrappers;

    mutable std::mutex m_mutex;  // copies may run on another thread
    Clock::time_point m_begin = Clock::now();
    std::vector<Segment> m_parts{1};  // the last one is the current one
    std::unique_ptr<Wrappers> m_wrappers;
    Platform m_platform;
};

}  // namespace zv
