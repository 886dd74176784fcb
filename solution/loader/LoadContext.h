// What every part of the solution loader shares: where it reads files, the model it fills and
// the messages about what it could not take.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "solution/model/SolutionModel.h"

namespace sprig::loader {

// One thing the loader could not take as it stands.
struct LoadMessage {
    std::u16string file;   // full Windows path
    std::size_t line = 0;  // counted from 1; 0 when the message is about the whole file
    std::string text;      // UTF-8
};

// "FILE: line N: TEXT" (or "FILE: TEXT"), UTF-8.
std::string DescribeMessage(const LoadMessage& message);

// Where a message about a file that cannot be read points: the file and line that name it.
struct Origin {
    std::u16string_view file;
    std::size_t line = 0;
};

enum class ReadResult { Read, Missing, Failed };

struct DirectoryEntry {
    std::u16string name;
    bool isDirectory;
};

// Where the loader reads: files and folders named by full Windows paths, so that the model holds
// the same names whatever system the loader runs on.
class SolutionFiles {
public:
    virtual ~SolutionFiles() = default;
    // The whole file; Missing when there is no such file, Failed with a short reason when it
    // cannot be read for another cause (Missing sets the reason too).
    virtual ReadResult Read(const std::u16string& path, std::string& content, std::string& reason) = 0;
    // The entries of a folder in any order, "." and ".." left out, and links to folders too (they
    // may lead back into the tree). False with a reason when the folder cannot be read.
    virtual bool List(const std::u16string& path, std::vector<DirectoryEntry>& entries, std::string& reason) = 0;
    // A text that stands for the folder at `path` itself: the same for every path that leads to
    // it, through links or not. Empty when the system tells nothing.
    virtual std::string FolderIdentity(const std::u16string& path) = 0;
};

struct LoadContext {
    SolutionFiles& files;
    model::SolutionModel& model;
    std::vector<LoadMessage>& messages;
    std::u16string_view solution = {};  // the solution file's full path, for the properties it defines

    void Report(std::u16string_view file, std::size_t line, std::string text) {
        messages.push_back({std::u16string(file), line, std::move(text)});
    }
};

}  // namespace sprig::loader
