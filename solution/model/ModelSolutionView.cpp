#include "solution/model/ModelSolutionView.h"

#include <algorithm>

namespace sprig::model {
namespace {

template <class T>
T& As(const HostObject& object) {
    return *static_cast<T*>(object.get());
}

template <class T>
std::optional<std::int32_t> CountOf(const Collection<T>& collection) {
    if (collection.FaultOf(Member::Count) != Fault::None) return std::nullopt;
    return static_cast<std::int32_t>(collection.entries.size());
}

// Item's own fault is the collection's; an entry may carry one as well.
template <class T>
T* EntryOf(const Collection<T>& collection, std::int32_t index) {
    if (index < 1 || static_cast<std::size_t>(index) > collection.entries.size()) return nullptr;
    const auto& entry = collection.entries[index - 1];
    return entry.fault == Fault::None ? entry.object : nullptr;
}

}  // namespace

HostObject ModelSolutionView::Give(const Node& owner, Member member, void* object) {
    if (owner.FaultOf(member) != Fault::None || !object) return HostObject();
    ++live_;
    return Hold(object);
}

HostText ModelSolutionView::GiveText(const Node& owner, Member member, const std::u16string& text) {
    if (owner.FaultOf(member) != Fault::None) return HostText();
    return HoldText(text.c_str(), text.size());
}

void ModelSolutionView::Release(void*) { --live_; }

// The model keeps its own texts; only the ones put together here go.
void ModelSolutionView::Release(const char16_t* text) {
    const auto found = std::find_if(composed_.begin(), composed_.end(),
                                    [&](const std::u16string& held) { return held.c_str() == text; });
    if (found != composed_.end()) composed_.erase(found);
}

HostObject ModelSolutionView::Solution() { return Give(model_.root, Member::Solution, &model_.solution); }

HostObject ModelSolutionView::Projects(const HostObject& solution) {
    return Give(As<Node>(solution), Member::Projects, &model_.projects);
}

std::optional<std::int32_t> ModelSolutionView::ProjectCount(const HostObject& projects) {
    return CountOf(As<ProjectCollection>(projects));
}

HostObject ModelSolutionView::Project(const HostObject& projects, std::int32_t index) {
    const auto& collection = As<ProjectCollection>(projects);
    return Give(collection, Member::Item, EntryOf(collection, index));
}

HostText ModelSolutionView::ProjectName(const HostObject& project) {
    const auto& p = As<model::Project>(project);
    return GiveText(p, Member::Name, p.name);
}

HostObject ModelSolutionView::ProjectItems(const HostObject& project) {
    const auto& p = As<model::Project>(project);
    return Give(p, Member::ProjectItems, p.items);
}

std::optional<std::int32_t> ModelSolutionView::ItemCount(const HostObject& items) {
    return CountOf(As<ItemCollection>(items));
}

HostObject ModelSolutionView::Item(const HostObject& items, std::int32_t index) {
    const auto& collection = As<ItemCollection>(items);
    return Give(collection, Member::Item, EntryOf(collection, index));
}

HostText ModelSolutionView::ItemKind(const HostObject& item) {
    const auto& i = As<model::Item>(item);
    return GiveText(i, Member::Kind, i.kind);
}

HostText ModelSolutionView::ItemFileName(const HostObject& item, std::int16_t index) {
    const auto& i = As<model::Item>(item);
    ++i.calls[static_cast<std::size_t>(Member::FileNames)];
    if (i.FaultOf(Member::FileNames) != Fault::None || index != i.fileNameIndex) return HostText();
    if (!i.within) return HoldText(i.fileName.c_str(), i.fileName.size());
    // A folder's full path is put together for the caller and lives until it is given back.
    const std::u16string& text = composed_.emplace_back(FileNameOf(i));
    return HoldText(text.c_str(), text.size());
}

HostObject ModelSolutionView::ItemChildren(const HostObject& item) {
    const auto& i = As<model::Item>(item);
    return Give(i, Member::ProjectItems, i.children);
}

HostText ModelSolutionView::ItemName(const HostObject& item) {
    const auto& i = As<model::Item>(item);
    return GiveText(i, Member::Name, i.name);
}

HostObject ModelSolutionView::SubProject(const HostObject& item) {
    const auto& i = As<model::Item>(item);
    return Give(i, Member::SubProject, i.subProject);
}

// Every node of the model is one object for as long as the model lives.
const void* ModelSolutionView::Identity(const HostObject& object) { return object.get(); }

}  // namespace sprig::model
