// sprig-find: runs the dialog's refresh over a catalogue written as text, or over the catalogue
// that the solution walk makes of a solution loaded from disk, so that filtering and ordering can
// be scripted and timed outside the dialog.
//
//   sprig-find [--catalogue FILE | --solution FILE.sln] [--project K] [--click C]... [--repeat N] FILTER
//   sprig-find --help
#include <cerrno>
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
    "usage: sprig-find [--catalogue FILE | --solution FILE.sln] [--project K] [--click C]... [--repeat N] FILTER\n"
    "       sprig-find --help\n";

struct Options {
    bool hasCatalogue = false;
    std::u16string catalogue;  // the file, when hasCatalogue; else standard input
    bool hasSolution = false;
    std::u16string solution;
    long project = 0;
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
                if (!ParseNumber(value, 0, 999999999, number)) {
                    error = "--project wants a project box item, 0 or more, not '" + ToUtf8(value) + "'";
                    return false;
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
    if (!options.hasFilter) {
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

bool ReadAll(std::FILE* file, std::string& content) {
    // A file of known size is read in one go; a pipe, and anything past that size, in chunks.
    const long start = std::ftell(file);
    if (start >= 0 && std::fseek(file, 0, SEEK_END) == 0) {
        const long end = std::ftell(file);
        if (std::fseek(file, start, SEEK_SET) != 0) return false;
        if (end > start) {
            content.resize(static_cast<std::size_t>(end - start));
            content.resize(std::fread(&content[0], 1, content.size(), file));
        }
    }
    char chunk[1 << 16];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof(chunk), file)) > 0) content.append(chunk, n);
    return !std::ferror(file);
}

// Writes `out` when it has grown large, or at the end; false when the output cannot be written.
bool Flush(std::string& out, bool always) {
    if (!always && out.size() < (1u << 20)) return true;
    const bool written = std::fwrite(out.data(), 1, out.size(), stdout) == out.size();
    out.clear();
    return written;
}

// A tab or a line break in a text would split its row: they, and the "%" that marks them, are
// written as %09, %0A, %0D and %25.
void AppendField(std::u16string_view text, std::string& out) {
    const std::size_t start = out.size();
    AppendUtf8(text, out);
    if (out.find_first_of("\t\n\r%", start) == std::string::npos) return;
    std::string escaped;
    for (const char c : std::string_view(out).substr(start)) {
        switch (c) {
        case '\t':
            escaped += "%09";
            break;
        case '\n':
            escaped += "%0A";
            break;
        case '\r':
            escaped += "%0D";
            break;
        case '%':
            escaped += "%25";
            break;
        default:
            escaped += c;
        }
    }
    out.replace(start, std::string::npos, escaped);
}

bool PrintResults(const Catalogue& catalogue, std::ptrdiff_t selected) {
    std::string out;
    AppendUtf8(ResultTitle(catalogue).text, out);
    out += '\n';
    for (std::size_t i = 0; i < catalogue.ResultList.size(); ++i) {
        const ResultRow& row = catalogue.ResultList[i];
        out += static_cast<std::ptrdiff_t>(i) == selected ? '*' : ' ';
        out += '\t';
        out += std::to_string(row.position);
        for (const int column : {ColumnFilePath, ColumnProjectName, ColumnProjectPath}) {
            out += '\t';
            AppendField(ColumnText(*row.file, column), out);
        }
        out += '\n';
        if (!Flush(out, false)) return false;
    }
    return Flush(out, true) && std::fflush(stdout) == 0;
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

// The catalogue from its text form: the file, or else standard input.
bool ReadCatalogue(const Options& options, Catalogue& catalogue, std::string& error) {
    const std::string source = options.hasCatalogue ? ToUtf8(options.catalogue) : std::string("standard input");
    std::string content;
    bool read;
    if (options.hasCatalogue) {
        const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenForReading(options.catalogue), std::fclose);
        read = file && ReadAll(file.get(), content);
    } else {
        read = ReadAll(stdin, content);
    }
    if (!read) {
        error = "cannot read " + source + ": " + std::strerror(errno);
        return false;
    }
    if (LoadCatalogue(content, catalogue, error)) return true;
    error = source + ": " + error;
    return false;
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
    if (options.help) return std::fputs(Usage, stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 2;

    Catalogue catalogue;
    const bool filled = options.hasSolution ? WalkSolution(options.solution, catalogue, error)
                                            : ReadCatalogue(options, catalogue, error);
    if (!filled) return Fail(error);
    // As the dialog does when it fills its project box.
    SortProjectList(catalogue);
    if (static_cast<std::size_t>(options.project) > catalogue.ProjectList.size()) {
        return Fail("--project " + std::to_string(options.project) + ": the project box has items 0 to " +
                    std::to_string(catalogue.ProjectList.size()));
    }
    for (const int column : options.clicks) ApplyColumnClick(ProcessSortOrder, column);

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
