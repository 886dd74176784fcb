// The disk as the loader reads it. Under Windows, Windows paths name files as they are. Elsewhere
// they are mapped as Wine maps its drive Z: onto the root of the file system, so that the
// loader gives the same names natively as under Wine: "Z:\a\b" is "/a/b", and other drives are
// out of reach. There, a name that is not found as written is looked for ignoring the case of
// ASCII letters, as Windows (and Wine) find it.
#pragma once

#include <string>

#include "solution/loader/LoadContext.h"

namespace sprig::loader {

class DiskFiles final : public SolutionFiles {
public:
    ReadResult Read(const std::u16string& path, std::string& content, std::string& reason) override;
    bool List(const std::u16string& path, std::vector<DirectoryEntry>& entries, std::string& reason) override;
    // The volume and file index (under Windows), or the device and inode.
    std::string FolderIdentity(const std::u16string& path) override;
};

// The full Windows path of a file named on the command line, relative to the current folder or
// not: under Windows as the system completes it, elsewhere "Z:" and the absolute path with "\".
// False, with a reason, when it has none.
bool FullWindowsPath(const std::u16string& argument, std::u16string& path, std::string& reason);

}  // namespace sprig::loader
