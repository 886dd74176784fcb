#include "addin/DispatchSolutionView.h"

#include "win/WideText.h"

namespace sprig {
namespace {

IDispatch* Of(const HostObject& object) { return static_cast<IDispatch*>(object.get()); }

// Item(i) on a collection; the index VARIANT is cleared once the call returns.
ComPtr<IDispatch> ItemAt(const HostObject& collection, std::int32_t index) {
    const Variant position(index);
    return ItemObject(Of(collection), *position);
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

HostObject DispatchSolutionView::Solution() { return Give(PropertyObject(root_.get(), L"Solution")); }

HostObject DispatchSolutionView::Projects(const HostObject& solution) {
    return Give(PropertyObject(Of(solution), L"Projects"));
}

std::optional<std::int32_t> DispatchSolutionView::ProjectCount(const HostObject& projects) {
    return PropertyInt32(Of(projects), L"Count");
}

HostObject DispatchSolutionView::Project(const HostObject& projects, std::int32_t index) {
    return Give(ItemAt(projects, index));
}

HostText DispatchSolutionView::ProjectName(const HostObject& project) {
    return Give(PropertyText(Of(project), L"Name"));
}

HostObject DispatchSolutionView::ProjectItems(const HostObject& project) {
    return Give(PropertyObject(Of(project), L"ProjectItems"));
}

std::optional<std::int32_t> DispatchSolutionView::ItemCount(const HostObject& items) {
    return PropertyInt32(Of(items), L"Count");
}

HostObject DispatchSolutionView::Item(const HostObject& items, std::int32_t index) {
    return Give(ItemAt(items, index));
}

HostText DispatchSolutionView::ItemKind(const HostObject& item) { return Give(PropertyText(Of(item), L"Kind")); }

HostText DispatchSolutionView::ItemFileName(const HostObject& item, std::int16_t index) {
    const Variant position(index);
    return Give(PropertyText(Of(item), L"FileNames", {*position}));
}

HostObject DispatchSolutionView::ItemChildren(const HostObject& item) {
    return Give(PropertyObject(Of(item), L"ProjectItems"));
}

HostText DispatchSolutionView::ItemName(const HostObject& item) { return Give(PropertyText(Of(item), L"Name")); }

HostObject DispatchSolutionView::SubProject(const HostObject& item) {
    return Give(PropertyObject(Of(item), L"SubProject"));
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
