#include "addin/DispatchSolutionView.h"

#include "addin/HostInterfaces.h"
#include "win/WideText.h"

namespace sprig {
namespace {

using host::IID_DTE;
using host::IID_Project;
using host::IID_ProjectItem;
using host::IID_ProjectItems;
using host::IID_Projects;
using host::IID_Solution;

// The members the walk calls, each once or more per project, item or file.
namespace members {
InterfaceMember DteSolution{IID_DTE, L"Solution"};
InterfaceMember SolutionProjects{IID_Solution, L"Projects"};
InterfaceMember ProjectsCount{IID_Projects, L"Count"};
InterfaceMember ProjectsItem{IID_Projects, L"Item"};
InterfaceMember ProjectName{IID_Project, L"Name"};
InterfaceMember ProjectProjectItems{IID_Project, L"ProjectItems"};
InterfaceMember ItemsCount{IID_ProjectItems, L"Count"};
InterfaceMember ItemsItem{IID_ProjectItems, L"Item"};
InterfaceMember ItemKind{IID_ProjectItem, L"Kind"};
InterfaceMember ItemFileNames{IID_ProjectItem, L"FileNames"};
InterfaceMember ItemProjectItems{IID_ProjectItem, L"ProjectItems"};
InterfaceMember ItemName{IID_ProjectItem, L"Name"};
InterfaceMember ItemSubProject{IID_ProjectItem, L"SubProject"};
}  // namespace members

IDispatch* Of(const HostObject& object) { return static_cast<IDispatch*>(object.get()); }

// Item(i) on a collection; the index VARIANT is cleared once the call returns.
ComPtr<IDispatch> ItemAt(const HostObject& collection, std::int32_t index, InterfaceMember& item) {
    const Variant position(index);
    return ItemObject(Of(collection), *position, item);
}

}  // namespace

// The handle keeps the one reference the call gave.
HostObject DispatchSolutionView::Give(ComPtr<IDispatch> object) {
    return object ? Hold(object.release()) : HostObject();
}

HostText DispatchSolutionView::Give(Bstr text) {
    const UINT length = text.length();
    return HoldText(Units(text.release()), length);
}

void DispatchSolutionView::Release(void* object) { static_cast<IDispatch*>(object)->Release(); }

void DispatchSolutionView::Release(const char16_t* text) {
    SysFreeString(reinterpret_cast<BSTR>(const_cast<char16_t*>(text)));
}

HostObject DispatchSolutionView::Solution() { return Give(PropertyObject(root_.get(), members::DteSolution)); }

HostObject DispatchSolutionView::Projects(const HostObject& solution) {
    return Give(PropertyObject(Of(solution), members::SolutionProjects));
}

std::optional<std::int32_t> DispatchSolutionView::ProjectCount(const HostObject& projects) {
    return PropertyInt32(Of(projects), members::ProjectsCount);
}

HostObject DispatchSolutionView::Project(const HostObject& projects, std::int32_t index) {
    return Give(ItemAt(projects, index, members::ProjectsItem));
}

HostText DispatchSolutionView::ProjectName(const HostObject& project) {
    return Give(PropertyText(Of(project), members::ProjectName));
}

HostObject DispatchSolutionView::ProjectItems(const HostObject& project) {
    return Give(PropertyObject(Of(project), members::ProjectProjectItems));
}

std::optional<std::int32_t> DispatchSolutionView::ItemCount(const HostObject& items) {
    return PropertyInt32(Of(items), members::ItemsCount);
}

HostObject DispatchSolutionView::Item(const HostObject& items, std::int32_t index) {
    return Give(ItemAt(items, index, members::ItemsItem));
}

HostText DispatchSolutionView::ItemKind(const HostObject& item) {
    return Give(PropertyText(Of(item), members::ItemKind));
}

HostText DispatchSolutionView::ItemFileName(const HostObject& item, std::int16_t index) {
    const Variant position(index);
    return Give(PropertyText(Of(item), members::ItemFileNames, {*position}));
}

HostObject DispatchSolutionView::ItemChildren(const HostObject& item) {
    return Give(PropertyObject(Of(item), members::ItemProjectItems));
}

HostText DispatchSolutionView::ItemName(const HostObject& item) {
    return Give(PropertyText(Of(item), members::ItemName));
}

HostObject DispatchSolutionView::SubProject(const HostObject& item) {
    return Give(PropertyObject(Of(item), members::ItemSubProject));
}

// COM's rule: every interface of one object answers the same IUnknown while the object lives, and
// the walk holds the objects it compares. A host that makes a new object at every call gives a
// new identity each time, and the walk's bounds end its loops instead.
const void* DispatchSolutionView::Identity(const HostObject& object) {
    ComPtr<IUnknown> identity;
    if (FAILED(Of(object)->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identity.put())))) return nullptr;
    return identity.get();
}

}  // namespace sprig
