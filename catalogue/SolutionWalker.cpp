#include "catalogue/SolutionWalker.h"

#include <algorithm>
#include <cstdint>

namespace sprig {
namespace {

struct Walk {
    SolutionView& view;
    Catalogue& catalogue;
    std::int64_t itemCallsLeft = MaxWalkItems;

    // Counts one Item call against the walk's allowance; false once it is used up.
    bool TakeItemCall() {
        if (itemCallsLeft == 0) return false;
        --itemCallsLeft;
        return true;
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
    PendingText projectName(walk.catalogue.ProjectList, CopyText(name.view()));
    PendingText path = ExtendPath(parentPath, name.view());
    name = HostText();
    WalkItems(walk, items, projectName, path, level);
}

void RecordFile(Walk& walk, const HostObject& item, PendingText& projectName, PendingText& path) {
    const HostText fileName = walk.view.ItemFileName(item);
    if (!fileName) return;
    OwnedText copy = CopyText(fileName.view());
    const char16_t* project = CommitText(projectName);
    const char16_t* projectPath = CommitText(path);
    walk.catalogue.FileList.push_back(MakeFileEntry(std::move(copy), project, projectPath));
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
    } else if (const HostObject children = walk.view.ItemChildren(item)) {
        HostText name = walk.view.ItemName(item);
        if (!name) return;
        PendingText childPath = ExtendPath(path, name.view());
        name = HostText();
        WalkItems(walk, children, projectName, childPath, level + 1);
    } else if (const HostObject project = walk.view.SubProject(item)) {
        WalkProject(walk, project, path, level + 1);
    }
}

void WalkItems(Walk& walk, const HostObject& items, PendingText& projectName, PendingText& path, int level) {
    if (level > MaxWalkDepth) return;
    const std::optional<std::int32_t> count = walk.view.ItemCount(items);
    if (!count) return;
    for (std::int64_t j = 1; j <= *count && walk.TakeItemCall(); ++j) {
        if (const HostObject item = walk.view.Item(items, static_cast<std::int32_t>(j))) {
            WalkItem(walk, item, projectName, path, level);
        }
    }
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
