// Windows paths as the environment reports file names: full paths whose "." and ".." segments
// are resolved by their text alone (no look at the disk, no links followed), the way the
// environment shows a project's files.
#pragma once

#include <string>
#include <string_view>

namespace sprig::loader {

// `path` with "/" read as "\", empty and "." segments dropped and each ".." taking away the
// segment before it. The root ("C:\", "\\server\share\", "\" or "C:") is kept as written and
// ".." never climbs above it; a relative path keeps the ".." it cannot resolve. No trailing "\"
// except a root's own.
std::u16string NormalizePath(std::u16string_view path);

// True for a path that names its drive or server and its root: "C:\x", "\\server\share\x".
bool IsFullPath(std::u16string_view path);

// `relative` as seen from the folder `directory`: a full path stands as it is, a path rooted on
// the current drive ("\x") takes the drive of `directory`, anything else follows `directory`
// (an empty `directory` leaves it as it is). The result is normalized.
std::u16string JoinPath(std::u16string_view directory, std::u16string_view relative);

// True for a normalized relative path that stays inside its folder: not rooted, no leading "..".
bool StaysInside(std::u16string_view path);

// The folder part of a normalized path (empty when it has none) and its last segment.
std::u16string_view DirectoryPart(std::u16string_view path);
std::u16string_view FileNamePart(std::u16string_view path);

}  // namespace sprig::loader
