// The solution walk: fills a catalogue with every physical file of the open solution, with its
// project and its place in the solution tree.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "catalogue/Catalogue.h"
#include "catalogue/SolutionView.h"

namespace sprig {

// The kind of item that the walk records as a file; compared whole, ignoring ASCII case.
inline constexpr char16_t PhysicalFileKind[] = u"{6BB5F8EE-4483-11D3-8BCF-00C04F8EC28C}";

// Levels below the solution that the walk descends (a project's own items are level 1; each
// folder or sub-project adds one). A file that deep has a project path of at least twice as many
// units, far beyond any solution the environment can build, while the walk's own frames stay well
// inside the environment's stack (in the 32-bit build about 200 bytes a level, 350 through a
// sub-project). Deeper levels are left out like anything else the host does not give.
constexpr int MaxWalkDepth = 1024;

// Item calls that one walk makes at most, counting projects and items. Several times what a
// solution of a million files needs, it stops a host whose tree branches back into itself (a
// folder that lists itself twice doubles the work at each level) from holding the environment
// for ever or filling its memory; the rest is left out.
constexpr std::int64_t MaxWalkItems = std::int64_t{1} << 22;

// Units of project path text that one walk makes at most, over all its levels. A solution of a
// million files in a hundred thousand folders makes about a tenth of it; a host whose tree loops
// makes each level's path longer than the one above, and this ends it before the paths fill the
// environment's memory (128 MB at most) or time. The rest is left out.
constexpr std::int64_t MaxWalkPathText = std::int64_t{1} << 26;

// A project name or project path that one level of the walk stands for. The level owns the
// string until the first file found there needs it; then the string goes to its container once,
// and that file and every later one refer to the very same string. A level without files leaves
// nothing behind.
struct PendingText {
    explicit PendingText(std::vector<OwnedText>& target, OwnedText text = nullptr)
        : target(&target), owned(std::move(text)), text(owned.get()) {}

    // True once the container owns the text, and when there is no text.
    bool committed() const { return !owned; }

    std::vector<OwnedText>* target;  // ProjectList or ProjectPathPool
    OwnedText owned;                 // the text, until committed
    const char16_t* text;            // the text, owned here or by the container; may be null
};

// The path text of a child level: the parent's text, "\" and the name. No name gives no text;
// under a parent without text the name alone is the text.
PendingText ExtendPath(const PendingText& parent, std::u16string_view name);

// Hands the text to its container the first time and gives it, the same string on every call.
const char16_t* CommitText(PendingText& pending);

// Empties the catalogue and fills ProjectList, ProjectPathPool and FileList from the host.
void BuildCatalogue(SolutionView& view, Catalogue& catalogue);

}  // namespace sprig
