#include "catalogue/SolutionWalker.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <unordered_set>

namespace sprig {
namespace {

struct Walk {
    SolutionView& view;
    Catalogue& catalogue;
    std::int64_t itemCallsLeft = MaxWalkItems;
    std::int64_t pathTextLeft = MaxWalkPathText;
    // The identities of the collections being walked, from the project down to this level.
    std::unordered_set<const void*> open{};

    // Counts one Item call against the walk's allowance; false once it is used up.
    bool TakeItemCall() {
        if (itemCallsLeft == 0) return false;
        --itemCallsLeft;
        return true;
    }

    // The child level's path text, counted against the walk's allowance of path text; nothing
    // once that is used up.
    std::optional<PendingText> Extend(const PendingText& parent, std::u16string_view name) {
        const std::int64_t units =
            static_cast<std::int64_t>(name.size()) + (parent.text ? std::int64_t(TextLength(parent.text)) + 1 : 0);
        if (units > pathTextLeft) return std::nullopt;
        pathTextLeft -= units;
        return ExtendPath(parent, name);
    }
};

void WalkItems(Walk& walk, const HostObject& items, PendingText& projectName, PendingText& path, int level);

// Each text the host gives goes back to it as soon as the walk has taken its copies, before the
// subtree below is walked.
void WalkProject(Walk& walk, const HostObject& project, const PendingText& parentPath, int level) {
    HostText name = walk.view.ProjectName(project);
    if (!name) return;
    const HostObject items = walk.view.ProjectItems(project);
    if (!items) return;
    std::optional<PendingText> path = walk.Extend(parentPath, name.view());
    if (!path) return;
    PendingText projectName(walk.catalogue.ProjectList, CopyText(name.view()));
    name = HostText();
    WalkItems(walk, items, projectName, *path, level);
}

void RecordFile(Walk& walk, const HostObject& item, PendingText& projectName, PendingText& path) {
    HostText fileName = walk.view.ItemFileName(item, 0);
    // The items of solution folders refuse index 0 and answer 1, the first index the environment
    // documents; every other item answers 0 and is asked nothing more.
    if (!fileName) fileName = walk.view.ItemFileName(item, 1);
    if (!fileName) return;
    const char16_t* project = CommitText(projectName);
    const char16_t* projectPath = CommitText(path);
    AddFile(walk.catalogue, fileName.view(), project, projectPath);
}

enum class ItemKind { Unreadable, File, Other };

ItemKind KindOf(SolutionView& view, const HostObject& item) {
    const HostText kind = view.ItemKind(item);
    if (!kind) return ItemKind::Unreadable;
    return CompareIgnoringAsciiCase(kind.c_str(), PhysicalFileKind) == 0 ? ItemKind::File : ItemKind::Other;
}

// A file is recorded and its nested items are not visited. Anything else with child items is a
// folder, even when it also offers a sub-project; without child items it may stand for one.
void WalkItem(Walk& walk, const HostObject& item, PendingText& projectName, PendingText& path, int level) {
    const ItemKind kind = KindOf(walk.view, item);
    if (kind == ItemKind::Unreadable) return;
    if (kind == ItemKind::File) {
        RecordFile(walk, item, projectName, path);
    } else if (level == MaxWalkDepth) {
        return;  // what lies deeper is left out
    } else if (const HostObject children = walk.view.ItemChildren(item)) {
        HostText name = walk.view.ItemName(item);
        if (!name) return;
        std::optional<PendingText> childPath = walk.Extend(path, name.view());
        name = HostText();
        if (childPath) WalkItems(walk, children, projectName, *childPath, level + 1);
    } else if (const HostObject project = walk.view.SubProject(item)) {
        WalkProject(walk, project, path, level + 1);
    }
}

void WalkItems(Walk& walk, const HostObject& items, PendingText& projectName, PendingText& path, int level) {
    // A collection that is already being walked further up holds this level itself: walking it
    // again would only repeat, without end, what is being recorded already.
    const void* identity = walk.view.Identity(items);
    if (identity && !walk.open.insert(identity).second) return;
    const std::optional<std::int32_t> count = walk.view.ItemCount(items);
    for (std::int64_t j = 1; count && j <= *count && walk.TakeItemCall(); ++j) {
        if (const HostObject item = walk.view.Item(items, static_cast<std::int32_t>(j))) {
            WalkItem(walk, item, projectName, path, level);
        }
    }
    if (identity) walk.open.erase(identity);
}

}  // namespace

PendingText ExtendPath(const PendingText& parent, std::u16string_view name) {
    if (name.empty()) return PendingText(*parent.target);
    if (!parent.text) return PendingText(*parent.target, CopyText(name));
    const std::size_t parentLength = TextLength(parent.text);
    OwnedText text(new char16_t[parentLength + 1 + name.size() + 1]);
    char16_t* end = std::copy(parent.text, parent.text + parentLength, text.get());
    *end++ = u'\\';
    end = std::copy(name.begin(), name.end(), end);
    *end = u'\0';
    return PendingText(*parent.target, std::move(text));
}

const char16_t* CommitText(PendingText& pending) {
    if (pending.owned) pending.target->push_back(std::move(pending.owned));
    return pending.text;
}

void BuildCatalogue(SolutionView& view, Catalogue& catalogue) {
    ClearCatalogue(catalogue);
    const HostObject solution = view.Solution();
    if (!solution) return;
    const PendingText root(catalogue.ProjectPathPool);
    const HostObject projects = view.Projects(solution);
    if (!projects) return;
    const std::optional<std::int32_t> count = view.ProjectCount(projects);
    if (!count) return;
    Walk walk{view, catalogue};
    for (std::int64_t i = 1; i <= *count && walk.TakeItemCall(); ++i) {
        if (const HostObject project = view.Project(projects, static_cast<std::int32_t>(i))) {
            WalkProject(walk, project, root, 1);
        }
    }
}

}  // namespace sprig
