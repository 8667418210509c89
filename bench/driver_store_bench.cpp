// How long finding the driver-store packages of published INFs takes in a store of many
// folders: the FileRepository scan that runs wherever setupapi cannot answer (XP, Wine).
//   driver_store_bench [FOLDERS] [LOOKUPS]
// The host build times the logic over the in-memory file system; the Windows build
// makes a real store in the temporary folder (removed afterwards) and times it there.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "backup/driver_store.h"
#include "fakes/fake_platform.h"

#ifdef _WIN32
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "platform/win32/factories.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;

// INFs of realistic sizes (a few KB, many of them equal), distinct in their bytes.
std::string InfText(int i) {
    std::string text =
        "[Version]\r\nSignature=\"$WINDOWS NT$\"\r\nCatalogFile=pkg" + std::to_string(i % 10) + ".cat\r\n";
    text += "; package " + std::to_string(100000 + i) + "\r\n";
    text.append(static_cast<std::size_t>(2000 + (i % 400) * 7), ';');
    return text;
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int folders = argc > 1 ? std::atoi(argv[1]) : 3000;
    const int lookups = argc > 2 ? std::atoi(argv[2]) : 20;
    zv::fakes::FakePlatform fake;
#ifdef _WIN32
    auto files = zv::win32::MakeFileSystem();
    auto data = zv::win32::MakeFileData();
    auto setup = zv::win32::MakeDriverSetup();
    zv::Platform os{fake.registry, fake.profile, fake.system, *files,      fake.internet, fake.shell,
                    fake.ui,       *setup,       *data,       fake.locale, fake.devices,  fake.signatures};
    zv::Env env{os, fake.errors, fake.app};
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string base = std::string(temp) + "zv-bench-store-" + std::to_string(::GetCurrentProcessId());
    auto write = [](const std::string& path, const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    };
    const char* where = "real files under Wine/Windows";
#else
    zv::Env& env = fake.env;
    const std::string base = "C:\\bench";
    auto write = [&](const std::string& path, const std::string& bytes) { fake.files.addFile(path, bytes); };
    const char* where = "in-memory fake file system";
#endif
    const std::string repo = base + "\\FileRepository";
    const auto made = Clock::now();
    for (int i = 0; i < folders; ++i) {
        const std::string folder =
            repo + "\\pkg" + std::to_string(i) + ".inf_x86_" + std::to_string(0x5a1f0000 + i);
        write(folder + "\\pkg" + std::to_string(i) + ".inf", InfText(i));
        write(folder + "\\pkg" + std::to_string(i) + ".sys", "driver");
        write(folder + "\\pkg" + std::to_string(i % 10) + ".cat", "catalog");
    }
    for (int k = 0; k < lookups; ++k) {
        // Every other published INF has a package; the others differ from all of them.
        const int i = (k * 7919) % folders;
        std::string text = InfText(i);
        if (k % 2) text.back() = '!';
        write(base + "\\inf\\oem" + std::to_string(k) + ".inf", text);
    }
    const double makeMs = Ms(Clock::now() - made);

    zv::backup::PackageFinder finder(env, repo, "x86");
    int found = 0;
    const auto t0 = Clock::now();
    Clock::duration first{};
    for (int k = 0; k < lookups; ++k) {
        if (!finder.find(base + "\\inf\\oem" + std::to_string(k) + ".inf").empty()) ++found;
        if (k == 0) first = Clock::now() - t0;
    }
    const double totalMs = Ms(Clock::now() - t0);
    std::printf("driver store: %zu folders listed (%s; store made in %.0f ms)\n", finder.foldersListed(),
                where, makeMs);
    std::printf("first look-up (lists and indexes the store): %.1f ms\n", Ms(first));
    std::printf("%d look-ups in all, %d packages found: %.1f ms (%.2f ms per later look-up)\n", lookups,
                found, totalMs, lookups > 1 ? (totalMs - Ms(first)) / (lookups - 1) : 0.0);
#ifdef _WIN32
    std::error_code ec;
    std::filesystem::remove_all(base, ec);
#endif
    return found == (lookups + 1) / 2 ? 0 : 1;
}
