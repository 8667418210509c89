// The real profile and file-system calls on a temporary folder of the test's own.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "contract/profile_fixture.h"
#include "platform/win32/factories.h"

namespace zv::contract {
namespace {

class RealFilesFixture final : public FilesContractFixture {
public:
    RealFilesFixture() : m_files(win32::MakeFileSystem()), m_profile(win32::MakeProfile()) {
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        static int counter = 0;
        std::string base = temp;
        if (!base.empty() && base.back() == '\\') base.pop_back();
        m_folder =
            base + "\\zv-files-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter);
        ::CreateDirectoryA(m_folder.c_str(), nullptr);
    }
    ~RealFilesFixture() override {
        // Hidden, system and read-only entries would resist removal.
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(m_folder, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            ::SetFileAttributesA(it->path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::filesystem::remove_all(m_folder, ec);
    }
    IFileSystem& files() override { return *m_files; }
    IProfile& profile() override { return *m_profile; }
    const std::string& folder() const override { return m_folder; }
    void writeFile(const std::string& path, const std::string& bytes) override {
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    void makeFolder(const std::string& path) override { std::filesystem::create_directories(path); }
    void setAttributes(const std::string& path, Dword attributes) override {
        ::SetFileAttributesA(path.c_str(), attributes);
    }
    std::optional<std::string> readFile(const std::string& path) override {
        std::ifstream in(path, std::ios::binary);
        if (!in) return std::nullopt;
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::unique_ptr<IFileSystem> m_files;
    std::unique_ptr<IProfile> m_profile;
    std::string m_folder;
};

}  // namespace

std::unique_ptr<FilesContractFixture> MakeFilesContractFixture() {
    return std::make_unique<RealFilesFixture>();
}

}  // namespace zv::contract
