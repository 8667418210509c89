// The real file-data, setupapi and locale calls on a temporary folder of the test's own.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "contract/file_data_fixture.h"
#include "platform/win32/factories.h"
#include "platform/win32/unique.h"

namespace zv::contract {
namespace {

class RealFileDataFixture final : public FileDataContractFixture {
public:
    RealFileDataFixture() {
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        static int counter = 0;
        std::string base = temp;
        if (!base.empty() && base.back() == '\\') base.pop_back();
        m_folder =
            base + "\\zv-data-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter);
        ::CreateDirectoryA(m_folder.c_str(), nullptr);
    }
    ~RealFileDataFixture() override {
        std::error_code ec;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_folder, ec))
            ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::filesystem::remove_all(m_folder, ec);
    }
    IFileData& data() override { return *m_data; }
    IDriverSetup& setup() override { return *m_setup; }
    ILocale& locale() override { return *m_locale; }
    const std::string& folder() const override { return m_folder; }
    void writeFile(const std::string& path, const std::string& bytes) override {
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        // An old time of its own, so a copy that takes its source's time is told from one made now.
        const FILETIME old{0x12345678, 0x01c00000};
        win32::UniqueFile f(
            ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ::SetFileTime(f.get(), nullptr, nullptr, &old);
    }
    IFileSystem& files() override { return *m_files; }
    void setAttributes(const std::string& path, Dword attributes) override {
        ::SetFileAttributesA(path.c_str(), attributes);
    }
    std::string lastWrite(const std::string& path) override {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return "none";
        return std::to_string(data.ftLastWriteTime.dwHighDateTime) + ":" +
               std::to_string(data.ftLastWriteTime.dwLowDateTime);
    }

private:
    std::unique_ptr<IFileData> m_data = win32::MakeFileData();
    std::unique_ptr<IFileSystem> m_files = win32::MakeFileSystem();
    std::unique_ptr<IDriverSetup> m_setup = win32::MakeDriverSetup();
    std::unique_ptr<ILocale> m_locale = win32::MakeLocale();
    std::string m_folder;
};

}  // namespace

std::unique_ptr<FileDataContractFixture> MakeFileDataContractFixture() {
    return std::make_unique<RealFileDataFixture>();
}

}  // namespace zv::contract
