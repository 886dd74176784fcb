// sprig-find: runs the dialog's refresh over a catalogue written as text, or over the catalogue
// that the solution walk makes of a solution loaded from disk, so that filtering and ordering can
// be scripted and timed outside the dialog.
//
//   sprig-find [--catalogue FILE | --solution FILE.sln] [--project K|NAME] [--click C]... [--repeat N] FILTER
//   sprig-find [--catalogue FILE | --solution FILE.sln] --projects
//   sprig-find --help
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <iterator>
#include <csignal>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

#include "CatalogueFile.h"
#include "catalogue/Utf8.h"
#include "catalogue/Catalogue.h"
#include "catalogue/SolutionWalker.h"
#include "dialog/core/ResultTitle.h"
#include "filter/ResultList.h"
#include "filter/SortOrder.h"
#include "solution/loader/DiskFiles.h"
#include "solution/loader/SolutionLoader.h"
#include "solution/model/ModelSolutionView.h"

namespace sprig {
namespace {

constexpr char Usage[] =
    "usage: sprig-find [--catalogue FILE | --solution FILE.sln] [--project K|NAME] [--click C]... [--repeat N] FILTER\n"
    "       sprig-find [--catalogue FILE | --solution FILE.sln] --projects\n"
    "       sprig-find --help\n";

constexpr char Help[] =
    "\n"
    "Lists the files of a catalogue that FILTER keeps, as the Open File(s) in Solution dialog lists\n"
    "them, best match first.\n"
    "\n"
    "  --catalogue FILE  the catalogue: UTF-8 lines projectId<TAB>projectName<TAB>projectPath<TAB>path;\n"
    "                    \"-\" or no --catalogue reads it from standard input\n"
    "  --solution FILE.sln  the files of a solution on disk instead, walked as the dialog walks them\n"
    "  --project K|NAME  only the files of one project: K is the project box's item (0 all projects,\n"
    "                    1 and on the projects by name), NAME a project's name in any ASCII case\n"
    "  --projects        lists the project box's items, one \"K<TAB>name\" a line, and ends\n"
    "  --click C         a click on the header of column C (0 File Name, 1 File Path, 2 Project Name,\n"
    "                    3 Project Path): the first click sorts by it, the next turns the direction\n"
    "  --repeat N        runs the refresh N times and writes its mean time to standard error\n"
    "  --                ends the options, for a FILTER that begins with --\n"
    "\n"
    "FILTER: terms separated by spaces; a file is kept when its name holds every term\n"
    "(ASCII letters in any case):\n"
    "  main            the name contains main\n"
    "  foo bar         the name contains foo and bar\n"
    "  |foo |bar       the name contains foo or bar\n"
    "  -test  !test    the name does not contain test\n"
    "  /src/  \\src\\    the full path contains \\src\\ (either slash matches either slash)\n"
    "  :core           the project name contains core\n"
    "  /:tools\\app     the project path contains tools\\app\n"
    "  *.h  ?.cpp      the name matches the whole wildcard pattern\n"
    "  \"my file\"       the text with its space\n"
    "  main.cpp:120    what main.cpp finds (the dialog opens the files at line 120)\n"
    "Prefixes combine: -/test\\ leaves out every path holding test\\. \"\" lists every file.\n"
    "\n"
    "Output: the dialog's title, \"Open File(s) in Solution (SHOWN of TOTAL)\", then one line a row in\n"
    "the list's order: the selected row's mark (* or a space), the position of the match in the\n"
    "file name, the file path, the project name and the project path, separated by tabs. A tab,\n"
    "a line break or a % inside a text is written %09, %0A, %0D or %25.\n";

struct Options {
    bool hasCatalogue = false;
    std::u16string catalogue;  // the file, when hasCatalogue; else standard input
    bool hasSolution = false;
    std::u16string solution;
    long project = 0;
    std::u16string projectName;  // the project chosen by name, when not empty
    bool listProjects = false;
    std::vector<int> clicks;
    long repeat = 0;  // 0: run once and print no time
    bool hasFilter = false;
    std::u16string filter;
    bool help = false;
};

// A plain decimal number from `low` to `high`; nothing else (no sign, no spaces) is taken.
bool ParseNumber(std::u16string_view text, long low, long high, long& value) {
    if (text.empty() || text.size() > 9) return false;
    value = 0;
    for (const char16_t unit : text) {
        if (unit < u'0' || unit > u'9') return false;
        value = value * 10 + (unit - u'0');
    }
    return value >= low && value <= high;
}

bool ParseArguments(const std::vector<std::u16string>& args, Options& options, std::string& error) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::u16string& arg = args[i];
        const bool takesValue = !optionsEnded && (arg == u"--catalogue" || arg == u"--solution" ||
                                                  arg == u"--project" || arg == u"--click" || arg == u"--repeat");
        if (takesValue) {
            if (i + 1 == args.size()) {
                error = ToUtf8(arg) + " needs a value";
                return false;
            }
            const std::u16string& value = args[++i];
            long number = 0;
            if (arg == u"--catalogue") {
                options.hasCatalogue = true;
                options.catalogue = value;
            } else if (arg == u"--solution") {
                options.hasSolution = true;
                options.solution = value;
            } else if (arg == u"--project") {
                // A value of digits alone is an item of the project box; anything else a name.
                options.projectName.clear();
                if (!ParseNumber(value, 0, 999999999, number)) {
                    if (value.empty() || (value.find_first_not_of(u"0123456789") == std::u16string::npos)) {
                        error = "--project wants a project box item, 0 or more, or a project's name, not '" +
                                ToUtf8(value) + "'";
                        return false;
                    }
                    options.projectName = value;
                }
                options.project = number;
            } else if (arg == u"--click") {
                if (!ParseNumber(value, 0, ColumnCount - 1, number)) {
                    error = "--click wants a column from 0 to 3, not '" + ToUtf8(value) + "'";
                    return false;
                }
                options.clicks.push_back(static_cast<int>(number));
            } else {
                if (!ParseNumber(value, 1, 999999999, number)) {
                    error = "--repeat wants a count of 1 or more, not '" + ToUtf8(value) + "'";
                    return false;
                }
                options.repeat = number;
            }
        } else if (!optionsEnded && arg == u"--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == u"--help") {
            options.help = true;
            return true;
        } else if (!optionsEnded && arg == u"--projects") {
            options.listProjects = true;
        } else if (!optionsEnded && arg.size() > 2 && arg.compare(0, 2, u"--") == 0) {
            // A filter may itself begin with "--" (the negated term "-x"); it then follows "--".
            error = "unknown option '" + ToUtf8(arg) + "' (put -- before a FILTER that begins with --)";
            return false;
        } else if (options.hasFilter) {
            error = "one FILTER only; quote a filter of several terms";
            return false;
        } else {
            options.hasFilter = true;
            options.filter = arg;
        }
    }
    if (options.hasFilter && options.listProjects) {
        error = "--projects lists the projects and takes no FILTER";
        return false;
    }
    if (!options.hasFilter && !options.listProjects) {
        error = "no FILTER given (\"\" lists every file)";
        return false;
    }
    if (options.hasCatalogue && options.hasSolution) {
        error = "--catalogue and --solution cannot go together";
        return false;
    }
    return true;
}

std::FILE* OpenForReading(const std::u16string& name) {
#ifdef _WIN32
    return _wfopen(reinterpret_cast<const wchar_t*>(name.c_str()), L"rb");
#else
    return std::fopen(ToUtf8(name).c_str(), "rb");
#endif
}

// Reads `file` into the catalogue a piece at a time, decoding each line as it comes; false when
// reading fails (errno set) or a line is malformed (`error` set).
bool ReadInPieces(std::FILE* file, Catalogue& catalogue, std::string& error) {
    CatalogueReader reader(catalogue);
    std::vector<char> piece(std::size_t(1) << 18);  // large enough that a read costs little next to its decoding
    std::size_t n;
    while ((n = std::fread(piece.data(), 1, piece.size(), file)) > 0) {
        if (!reader.Add(std::string_view(piece.data(), n))) break;
    }
    if (std::ferror(file)) return false;
    if (reader.Finish()) return true;
    error = reader.Error();
    return false;
}

// Standard output through one large buffer: a few large writes for a million rows, and each
// text encoded straight into it.
class Output {
public:
    Output() : buffer_(new char[Capacity]) {}
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void Append(std::string_view bytes) {
        char* to = Room(bytes.size());
        to = std::copy(bytes.begin(), bytes.end(), to);
        used_ = static_cast<std::size_t>(to - buffer_.get());
    }
    void Append(char byte) { Append(std::string_view(&byte, 1)); }
    void AppendNumber(long long value) {
        char digits[24];
        Append(std::string_view(digits,
                                static_cast<std::size_t>(std::to_chars(digits, std::end(digits), value).ptr - digits)));
    }

    // A text in UTF-8, up to its terminator. A tab or a line break in it would split its row:
    // they, and the "%" that marks them, are written as %09, %0A, %0D and %25.
    void AppendField(const char16_t* text) {
        // One pass, in steps of a bounded count of units so that the room is known before the
        // text's length: four bytes at most a step (an escape, a character or a pair).
        constexpr std::size_t Step = 256;
        for (;;) {
            char* to = Room(4 * Step);
            for (std::size_t n = 0; n < Step; ++n) {
                const char16_t unit = *text++;
                if (unit == u'\0') {
                    used_ = static_cast<std::size_t>(to - buffer_.get());
                    return;
                }
                if (unit >= 0x80) {
                    bool pair;
                    to = EncodeUtf8(unit, *text, to, pair);
                    text += pair;
                } else if (unit == u'\t' || unit == u'\n' || unit == u'\r' || unit == u'%') {
                    static constexpr char Hex[] = "0123456789ABCDEF";
                    *to++ = '%';
                    *to++ = Hex[unit >> 4];
                    *to++ = Hex[unit & 0xF];
                } else {
                    *to++ = static_cast<char>(unit);
                }
            }
            used_ = static_cast<std::size_t>(to - buffer_.get());
        }
    }

    bool Good() const { return written_; }
    // Writes what the buffer holds; false once a write has failed.
    bool Flush() {
        if (written_ && used_ > 0) written_ = std::fwrite(buffer_.get(), 1, used_, stdout) == used_;
        used_ = 0;
        return written_;
    }

private:
    // A write a megabyte: a few hundred for a million rows, and little memory beside the catalogue's.
    static constexpr std::size_t Capacity = std::size_t(1) << 20;

    // Room for `bytes` more at the end of the buffer, written out first when it has not that room.
    char* Room(std::size_t bytes) {
        if (used_ + bytes > capacity_) {
            Flush();
            if (bytes > capacity_) {  // a text longer than the buffer, as only a hostile file holds
                buffer_.reset(new char[bytes]);
                capacity_ = bytes;
            }
        }
        return buffer_.get() + used_;
    }

    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = Capacity;
    std::size_t used_ = 0;
    bool written_ = true;
};

// How many rows ahead of the one being written its memory is asked for.
constexpr std::size_t Ahead = 8;

void Prefetch(const void* address) {
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

bool PrintResults(const Catalogue& catalogue, std::ptrdiff_t selected) {
    Output out;
    out.Append(ToUtf8(ResultTitle(catalogue).text));
    out.Append('\n');
    const std::vector<ResultRow>& rows = catalogue.ResultList;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        // Sorted rows visit their files and paths in no order of memory: each is asked for well
        // before it is written, so that the waits for memory overlap instead of adding up.
        if (i + 2 * Ahead < rows.size()) Prefetch(rows[i + 2 * Ahead].file);
        if (i + Ahead < rows.size()) Prefetch(rows[i + Ahead].file->path);
        const ResultRow& row = rows[i];
        out.Append(static_cast<std::ptrdiff_t>(i) == selected ? '*' : ' ');
        out.Append('\t');
        out.AppendNumber(row.position);
        for (const int column : {ColumnFilePath, ColumnProjectName, ColumnProjectPath}) {
            out.Append('\t');
            out.AppendField(ColumnText(*row.file, column));
        }
        out.Append('\n');
        if (!out.Good()) return false;
    }
    return out.Flush() && std::fflush(stdout) == 0;
}

// Whether the write that failed met a pipe whose reader has closed it.
bool ReaderGone() {
#ifdef _WIN32
    // The C runtime reports it as EINVAL, and under Wine keeps no system code for it; but a write
    // into a pipe fails only once its reader has gone.
    return GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdout)))) == FILE_TYPE_PIPE;
#else
    return errno == EPIPE;
#endif
}

int Fail(const std::string& message, bool withUsage = false) {
    std::fprintf(stderr, "sprig-find: %s\n%s", message.c_str(), withUsage ? Usage : "");
    return 2;
}

// The catalogue from its text form: the file, or else ("-" or no file given) standard input.
bool ReadCatalogue(const Options& options, Catalogue& catalogue, std::string& error) {
    const bool fromFile = options.hasCatalogue && options.catalogue != u"-";
    const std::string source = fromFile ? ToUtf8(options.catalogue) : std::string("standard input");
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(fromFile ? OpenForReading(options.catalogue) : nullptr,
                                                         std::fclose);
    if (fromFile && !file) {
        error = "cannot read " + source + ": " + std::strerror(errno);
        return false;
    }
    error.clear();
    if (ReadInPieces(fromFile ? file.get() : stdin, catalogue, error)) return true;
    error = error.empty() ? "cannot read " + source + ": " + std::strerror(errno) : source + ": " + error;
    return false;
}

// The project box's item for --project NAME: the one project of that name, in any ASCII case.
bool FindProject(const Catalogue& catalogue, const std::u16string& name, long& item, std::string& error) {
    item = 0;
    for (std::size_t k = 0; k < catalogue.ProjectList.size(); ++k) {
        if (CompareIgnoringAsciiCase(catalogue.ProjectList[k].get(), name.c_str()) != 0) continue;
        if (item != 0) {
            error = "--project " + ToUtf8(name) + ": items " + std::to_string(item) + " and " + std::to_string(k + 1) +
                    " have that name; give the item (--projects lists them)";
            return false;
        }
        item = static_cast<long>(k + 1);
    }
    if (item == 0) error = "--project " + ToUtf8(name) + ": no project has that name (--projects lists them)";
    return item != 0;
}

// The project box's items, as --projects lists them.
bool PrintProjects(const Catalogue& catalogue) {
    Output out;
    out.Append("0\t<All Projects>\n");
    for (std::size_t k = 0; k < catalogue.ProjectList.size(); ++k) {
        out.AppendNumber(static_cast<long long>(k + 1));
        out.Append('\t');
        out.AppendField(catalogue.ProjectList[k].get());
        out.Append('\n');
    }
    return out.Flush() && std::fflush(stdout) == 0;
}

// The catalogue that the dialog would make of the solution: loaded from disk into the stand-in
// model and walked. The loader's messages go to standard error; only a solution file that cannot
// be read or is no solution ends the run.
bool WalkSolution(const std::u16string& argument, Catalogue& catalogue, std::string& error) {
    std::u16string path;
    if (!loader::FullWindowsPath(argument, path, error)) {
        error = "cannot read " + ToUtf8(argument) + ": " + error;
        return false;
    }
    loader::DiskFiles files;
    model::SolutionModel model;
    std::vector<loader::LoadMessage> messages;
    const bool loaded = loader::LoadSolution(path, files, model, messages);
    for (const loader::LoadMessage& message : messages) {
        std::fprintf(stderr, "sprig-find: %s\n", loader::DescribeMessage(message).c_str());
    }
    if (!loaded) {
        error = "no solution loaded";
        return false;
    }
    model::ModelSolutionView view(model);
    BuildCatalogue(view, catalogue);
    return true;
}

int Run(const std::vector<std::u16string>& args) {
    Options options;
    std::string error;
    if (!ParseArguments(args, options, error)) return Fail(error, true);
    if (options.help) {
        return std::fputs(Usage, stdout) >= 0 && std::fputs(Help, stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 2;
    }

    Catalogue catalogue;
    const bool filled = options.hasSolution ? WalkSolution(options.solution, catalogue, error)
                                            : ReadCatalogue(options, catalogue, error);
    if (!filled) return Fail(error);
    // As the dialog does when it fills its project box.
    SortProjectList(catalogue);
    if (options.listProjects) {
        if (PrintProjects(catalogue)) return 0;
        return ReaderGone() ? 0 : Fail(std::string("cannot write the output: ") + std::strerror(errno));
    }
    if (!options.projectName.empty() && !FindProject(catalogue, options.projectName, options.project, error)) {
        return Fail(error);
    }
    if (static_cast<std::size_t>(options.project) > catalogue.ProjectList.size()) {
        return Fail("--project " + std::to_string(options.project) + ": the project box has items 0 to " +
                    std::to_string(catalogue.ProjectList.size()));
    }
    for (const int column : options.clicks) ApplyColumnClick(ProcessSortOrder, column);
    // No header click follows: what would make one fast is not worth its memory here.
    catalogue.sortedFiles.keepRanks = false;

    std::ptrdiff_t selected = -1;
    const long runs = options.repeat > 0 ? options.repeat : 1;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < runs; ++i)
        selected = RebuildResultList(catalogue, options.filter, options.project, ProcessSortOrder);
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    if (options.repeat > 0) {
        std::fprintf(stderr, "sprig-find: one refresh: %.3f ms (mean of %ld over %zu files)\n", elapsed.count() / runs,
                     runs, catalogue.FileList.size());
    }
    if (!PrintResults(catalogue, selected)) {
        // The reader has gone, as a pager or "head" does once it has seen enough: nothing to say.
        if (ReaderGone()) return 0;
        return Fail(std::string("cannot write the output: ") + std::strerror(errno));
    }
    return 0;
}

}  // namespace
}  // namespace sprig

#ifdef _WIN32
// Wide arguments keep every character of the filter and the file name, whatever the code page.
int wmain(int argc, wchar_t** argv) {
    // Bytes in and out exactly as they are: no CR LF translation, no end at a Ctrl+Z.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    return sprig::Run(args);
}
#else
int main(int argc, char** argv) {
    // A closed output pipe is then a failed write, which ends the run quietly, as under Windows.
    std::signal(SIGPIPE, SIG_IGN);
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) {
        std::u16string arg;
        if (!sprig::AppendUtf16(argv[i], arg)) {
            return sprig::Fail("argument " + std::to_string(i) + " is not valid UTF-8", true);
        }
        args.push_back(std::move(arg));
    }
    return sprig::Run(args);
}
#endif
