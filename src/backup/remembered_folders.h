#pragma once
// The backup run's folder listings. The run lists the catalog store again for every
// driver, and under Wine each listing costs several calls to another process; a listing is
// kept and given again until the run writes into that folder (the run's own copies tell
// it through written(); the calls made through it tell it themselves).
//
// Existence probes are kept too, and a folder probed again and again is listed once, its
// probes answered from the listing: under Wine a probe that finds nothing reads the whole
// folder to compare names without regard to case, so the run's probes of files a folder
// lacks (system32\drivers beside a thousand drivers, a class folder of a thousand driver
// folders) would cost in all the square of its size.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/filesystem.h"

namespace zv::backup {

class RememberedFolders final : public IFileSystem {
public:
    explicit RememberedFolders(IFileSystem& files) : m_files(files) {}

    // A listing that found something is kept; the entries are the call's own.
    bool FindFiles(const std::string& pattern, std::vector<FindEntry>* entries) override;
    // The file or folder at path is about to be written, made or removed: a listing of the
    // folder that holds it, or of any folder where that cannot be told, is made again.
    void written(const std::string& path);

    Dword GetLastError() const override { return m_files.GetLastError(); }
    // Kept as well: the run probes the root, the class folder and the catalog store's files
    // again for every driver. An answer is kept apart for each state of WOW64 redirection.
    // From a folder's kProbesBeforeListing-th probe on, a plain name is looked up in its
    // listing; a name written since, or one Windows could match otherwise (a short alias,
    // a wildcard, a name outside ASCII), is asked of the file system.
    Dword GetFileAttributes(const std::string& path) override;
    bool GetFileSize(const std::string& path, std::uint64_t* size) override {
        return m_files.GetFileSize(path, size);
    }
    bool CreateDirectory(const std::string& path) override {
        written(path);
        return m_files.CreateDirectory(path);
    }
    bool CopyFile(const std::string& existing, const std::string& newFile, bool failIfExists) override {
        written(newFile);
        return m_files.CopyFile(existing, newFile, failIfExists);
    }
    bool DeleteFile(const std::string& path) override {
        written(path);
        return m_files.DeleteFile(path);
    }
    bool SetFileAttributes(const std::string& path, Dword attributes) override {
        written(path);  // hidden and system entries are left out of the run's listings
        return m_files.SetFileAttributes(path, attributes);
    }
    Hfile OpenForWrite(const std::string& path) override {
        written(path);
        return m_files.OpenForWrite(path);
    }
    bool WriteFile(Hfile file, const void* data, Dword size, Dword* done) override {
        return m_files.WriteFile(file, data, size, done);
    }
    bool CloseFile(Hfile file) override { return m_files.CloseFile(file); }
    bool DisableFsRedirection(std::uintptr_t* oldValue) override;
    bool RevertFsRedirection(std::uintptr_t oldValue) override;

    static constexpr int kProbesBeforeListing = 3;

private:
    struct FolderListing {
        int probes = 0;
        bool listed = false;                   // false also when the folder could not be listed
        std::map<std::string, Dword> entries;  // by lower-cased name
        std::set<std::string> written;         // lower-cased names written since the listing
    };
    // The attributes of path as its folder's listing gives them; nullopt: ask the file system.
    std::optional<Dword> fromListing(const std::string& path, const std::string& folder);

    IFileSystem& m_files;
    // By the pattern as given. Every listing of the run is made with redirection off
    // (backup::ListFolder), so the pattern alone names what was listed.
    std::map<std::string, std::vector<FindEntry>> m_listings;
    // By the folder (as FolderKey names it), then the path as given and whether this thread
    // had redirection off: a write drops its folder's answers without looking at the rest.
    std::map<std::string, std::map<std::pair<std::string, bool>, Dword>> m_attributes;
    // By the folder (as FolderKey names it) and whether the thread had redirection off.
    std::map<std::pair<std::string, bool>, FolderListing> m_folderListings;
};

}  // namespace zv::backup
