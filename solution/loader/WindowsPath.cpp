#include "solution/loader/WindowsPath.h"

#include <vector>

namespace sprig::loader {
namespace {

bool IsSeparator(char16_t unit) { return unit == u'\\' || unit == u'/'; }

bool IsDriveLetter(char16_t unit) { return (unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z'); }

bool HasDrive(std::u16string_view path) { return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == u':'; }

// The length of the root at the start of `path`: "\\server\share\", "C:\", "C:", "\" or nothing.
std::size_t RootLength(std::u16string_view path) {
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // Server and share: two more segments.
        std::size_t end = 2;
        for (int segments = 0; segments < 2 && end < path.size(); ++segments) {
            while (end < path.size() && !IsSeparator(path[end])) ++end;
            if (end < path.size()) ++end;
        }
        return end;
    }
    if (HasDrive(path)) return path.size() > 2 && IsSeparator(path[2]) ? 3 : 2;
    return !path.empty() && IsSeparator(path[0]) ? 1 : 0;
}

}  // namespace

bool IsFullPath(std::u16string_view path) {
    return (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) ||
           (HasDrive(path) && path.size() > 2 && IsSeparator(path[2]));
}

std::u16string NormalizePath(std::u16string_view path) {
    const std::size_t rootLength = RootLength(path);
    std::u16string result(path.substr(0, rootLength));
    for (char16_t& unit : result) {
        if (unit == u'/') unit = u'\\';
    }
    // A UNC root written without its closing separator ("\\server\share") still gets one.
    if (rootLength > 2 && result.back() != u'\\' && !HasDrive(path)) result += u'\\';
    const bool rooted = rootLength > 0;

    std::vector<std::u16string_view> segments;
    std::size_t unresolved = 0;  // leading ".." kept by a relative path
    for (std::size_t start = rootLength; start <= path.size();) {
        std::size_t end = start;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        const std::u16string_view segment = path.substr(start, end - start);
        if (segment == u"..") {
            if (segments.size() > unresolved) {
                segments.pop_back();
            } else if (!rooted) {
                segments.push_back(segment);
                ++unresolved;
            }
        } else if (!segment.empty() && segment != u".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (i > 0) result += u'\\';
        result += segments[i];
    }
    return result;
}

std::u16string JoinPath(std::u16string_view directory, std::u16string_view relative) {
    if (IsFullPath(relative)) return NormalizePath(relative);
    if (directory.empty()) return NormalizePath(relative);
    std::u16string joined;
    if (!relative.empty() && IsSeparator(relative[0])) {
        joined = HasDrive(directory) ? directory.substr(0, 2) : std::u16string_view();
    } else {
        joined = directory;
        joined += u'\\';
    }
    joined += relative;
    return NormalizePath(joined);
}

bool StaysInside(std::u16string_view path) {
    return RootLength(path) == 0 && path != u".." && path.substr(0, 3) != u"..\\";
}

std::u16string_view DirectoryPart(std::u16string_view path) {
    const std::size_t last = path.find_last_of(u'\\');
    if (last == std::u16string_view::npos) return {};
    // A file right under a root keeps the root's separator: "C:\a.sln" is in "C:\".
    const std::size_t rootLength = RootLength(path);
    return path.substr(0, last + 1 == rootLength ? last + 1 : last);
}

std::u16string_view FileNamePart(std::u16string_view path) {
    const std::size_t last = path.find_last_of(u'\\');
    return last == std::u16string_view::npos ? path : path.substr(last + 1);
}

}  // namespace sprig::loader
