#include "fakes/fake_file_data.h"

#include <cctype>

#include "support/sha256.h"

namespace zv::fakes {
namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

std::string Sha256Hex(const std::string& bytes) {
    return zv::Sha256Hex(bytes);
}

void FakeFileData::failOn(const std::string& path) {
    m_failing.insert(Upper(path));
}

bool FakeFileData::read(const std::string& path, std::string* bytes) {
    if (m_failing.count(Upper(path))) {
        m_lastError = kErrorAccessDenied;
        return false;
    }
    auto data = m_files.contents(path);
    if (!data) {
        // A folder cannot be opened for reading; a missing file's error tells whether its folder exists.
        const std::string parent = path.substr(0, path.find_last_of("\\/"));
        const Dword error = m_files.exists(path)       ? kErrorAccessDenied
                            : m_files.isFolder(parent) ? kErrorFileNotFound
                                                       : kErrorPathNotFound;
        m_lastError = static_cast<Dword>(error);
        return false;
    }
    *bytes = std::move(*data);
    return true;
}

bool FakeFileData::ReadWholeFile(const std::string& path, std::uint64_t limit, std::string* bytes) {
    ++reads;
    std::string data;
    if (!read(path, &data)) return false;
    if (data.size() > limit) {
        m_lastError = 223;  // ERROR_FILE_TOO_LARGE
        return false;
    }
    *bytes = std::move(data);
    return true;
}

bool FakeFileData::Sha256File(const std::string& path, std::string* hex) {
    ++hashes;
    std::string data;
    if (!read(path, &data)) return false;
    *hex = Sha256Hex(data);
    return true;
}

bool FakeFileData::CopyFileHashed(const std::string& from, const std::string& to, std::uint64_t* size,
                                  std::string* sha256hex, std::string* head, std::size_t headBytes) {
    ++hashedCopies;
    if (m_failing.count(Upper(from))) {
        m_lastError = kErrorAccessDenied;
        return false;
    }
    if (!m_files.CopyFile(from, to, false)) {
        m_lastError = m_files.GetLastError();
        return false;
    }
    const std::string written = m_files.contents(to).value_or("");
    *size = written.size();
    *sha256hex = zv::Sha256Hex(written);
    if (head) *head = written.substr(0, headBytes);
    return true;
}

}  // namespace zv::fakes
