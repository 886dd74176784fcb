#include "solution/loader/DiskFiles.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>

#include "catalogue/Text.h"
#include "solution/loader/FolderTree.h"
#include "solution/loader/WindowsPath.h"
#include "catalogue/Utf8.h"
#ifdef _WIN32
#include <windows.h>

#include "win/Owners.h"
#include "win/WideText.h"
#else
#include <sys/stat.h>
#endif

namespace sprig::loader {
namespace fs = std::filesystem;
namespace {

#ifdef _WIN32
bool Utf16Name(const fs::path& path, std::u16string& name) {
    const std::wstring wide = path.filename().wstring();
    name.assign(wide.begin(), wide.end());
    return true;
}

bool HostPath(const std::u16string& path, fs::path& host, std::string&) {
    host = fs::path(Wide(path));
    return true;
}
#else
// False for a name that is not UTF-8, which no Windows name can be.
bool Utf16Name(const fs::path& path, std::u16string& name) {
    name.clear();
    return AppendUtf16(path.filename().native(), name);
}

bool HostPath(const std::u16string& path, fs::path& host, std::string& reason) {
    if (path.size() < 3 || FoldAscii(path[0]) != u'z' || path[1] != u':' || path[2] != u'\\') {
        reason = "not on drive Z:, which stands for / here";
        return false;
    }
    host = "/";
    const std::u16string normalized = NormalizePath(path);
    std::u16string name;
    for (std::size_t start = 3; start < normalized.size();) {
        std::size_t end = normalized.find(u'\\', start);
        if (end == std::u16string::npos) end = normalized.size();
        const std::u16string_view segment = std::u16string_view(normalized).substr(start, end - start);
        start = end + 1;
        fs::path next = host / ToUtf8(segment);
        std::error_code error;
        if (!fs::exists(fs::symlink_status(next, error))) {
            const std::u16string folded = FoldedCopy(segment);
            for (fs::directory_iterator it(host, error), last; !error && it != last; it.increment(error)) {
                if (Utf16Name(it->path(), name) && FoldedCopy(name) == folded) {
                    next = it->path();
                    break;
                }
            }
        }
        host = std::move(next);
    }
    return true;
}
#endif

// The system's reason in the same words in every build, where their own words differ.
std::string Reason(const std::error_code& error) {
    if (error == std::errc::no_such_file_or_directory) return "no such file or folder";
    if (error == std::errc::permission_denied) return "access is denied";
    if (error == std::errc::is_a_directory) return "it is a folder";
    if (error == std::errc::not_a_directory) return "it is not a folder";
    return "it cannot be read";
}

}  // namespace

ReadResult DiskFiles::Read(const std::u16string& path, std::string& content, std::string& reason) {
    fs::path host;
    if (!HostPath(path, host, reason)) return ReadResult::Failed;
    std::error_code error;
    const fs::file_status status = fs::status(host, error);
    if (status.type() == fs::file_type::not_found) {
        reason = "no such file";
        return ReadResult::Missing;
    }
    const std::uintmax_t size = fs::file_size(host, error);
    if (error) {
        reason = Reason(error);
        return ReadResult::Failed;
    }
    std::ifstream in(host, std::ios::binary);
    content.resize(size);
    if (!in || !in.read(content.data(), static_cast<std::streamsize>(size))) {
        reason = "it cannot be opened or read";
        return ReadResult::Failed;
    }
    return ReadResult::Read;
}

bool DiskFiles::List(const std::u16string& path, std::vector<DirectoryEntry>& entries, std::string& reason) {
    fs::path host;
    if (!HostPath(path, host, reason)) return false;
    std::error_code error;
    std::u16string name;
    for (fs::directory_iterator it(host, error), last; !error && it != last; it.increment(error)) {
        std::error_code ignored;
        const bool isDirectory = it->is_directory(ignored);
        if ((isDirectory && it->is_symlink(ignored)) || !Utf16Name(it->path(), name)) continue;
        entries.push_back({name, isDirectory});
    }
    if (error) reason = Reason(error);
    return !error;
}

std::string DiskFiles::FolderIdentity(const std::u16string& path) {
    fs::path host;
    std::string reason;
    if (!HostPath(path, host, reason)) return {};
#ifdef _WIN32
    // Wine reports links to folders as plain folders; the file index still tells them apart.
    const HANDLE opened = CreateFileW(host.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return {};
    const Handle folder(opened);
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(folder.get(), &information)) return {};
    return std::to_string(information.dwVolumeSerialNumber) + ":" + std::to_string(information.nFileIndexHigh) + ":" +
           std::to_string(information.nFileIndexLow);
#else
    struct stat status;
    if (stat(host.c_str(), &status) != 0) return {};
    return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
#endif
}

bool FullWindowsPath(const std::u16string& argument, std::u16string& path, std::string& reason) {
#ifdef _WIN32
    const std::unique_ptr<wchar_t, void (*)(void*)> full(_wfullpath(nullptr, Wide(argument), 0), std::free);
    if (!full) {
        reason = "it has no full path";
        return false;
    }
    path = Units(full.get());
#else
    std::error_code error;
    const fs::path absolute = fs::absolute(ToUtf8(argument), error);
    path = u"Z:";
    if (error || !AppendUtf16(absolute.native(), path)) {
        reason = error ? error.message() : "its full path is not UTF-8";
        return false;
    }
#endif
    path = NormalizePath(path);
    return true;
}

}  // namespace sprig::loader
