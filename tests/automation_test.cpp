// The late-bound client against the stand-in model's COM objects, under Wine. The COM apartment
// comes from dispatch_road.cpp, which this executable shares.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win/Automation.h"
#include "addin/DispatchSolutionView.h"
#include "addin/HostInterfaces.h"
#include "catalogue/SolutionWalker.h"
#include "host/com/ModelObjects.h"
#include "win/WideText.h"
#include "wine/TaskMemorySpy.h"

namespace sprig {
namespace {

using model::Fault;
using model::Member;
using testing::TaskMemorySpy;

std::u16string Text(const Bstr& text) {
    if (!text) return u"(nothing)";
    return std::u16string(Units(text.get()), text.length());
}

// One project holding one file, reached through the client as the walk reaches it.
struct Objects {
    model::SolutionModel model;
    model::Project& app = model.AddProject(u"App", model::SolutionFolderKind);
    model::Item& file = model.AddFile(*app.items, u"a.cpp", u"C:\\a.cpp");
    model::Project& empty = model.AddProject(u"Empty", model::SolutionFolderKind);

    const Variant first{std::int32_t{1}};
    ComPtr<IDispatch> root = host::CreateModelRoot(model);
    ComPtr<IDispatch> solution = PropertyObject(root.get(), L"Solution");
    ComPtr<IDispatch> projects = PropertyObject(solution.get(), L"Projects");
    ComPtr<IDispatch> project = ItemObject(projects.get(), *first);
    ComPtr<IDispatch> items = PropertyObject(project.get(), L"ProjectItems");
    ComPtr<IDispatch> item = ItemObject(items.get(), *first);
    ComPtr<IDispatch> operations = PropertyObject(root.get(), L"ItemOperations");
};

TEST(Automation, EveryObjectAnswersItsPublishedInterfacesOnly) {
    {
        Objects o;
        const Variant file{Bstr(L"C:\\a.cpp")}, view{Bstr(L"{}")};
        const ComPtr<IDispatch> window = MethodObject(o.operations.get(), L"OpenFile", {*file, *view});
        const std::pair<IDispatch*, std::vector<const IID*>> faces[] = {
            {o.root.get(), {&host::IID_DTE2, &host::IID_DTE}}, {o.solution.get(), {&host::IID_Solution}},
            {o.projects.get(), {&host::IID_Projects}},         {o.project.get(), {&host::IID_Project}},
            {o.items.get(), {&host::IID_ProjectItems}},        {o.item.get(), {&host::IID_ProjectItem}},
            {o.operations.get(), {&host::IID_ItemOperations}}, {window.get(), {&host::IID_Window}},
        };
        for (const auto& [object, interfaces] : faces) {
            ASSERT_TRUE(object);
            for (const IID* iid : interfaces) EXPECT_TRUE(QueryDispatch(object, *iid));
            EXPECT_TRUE(QueryDispatch(object, IID_IUnknown));
            EXPECT_EQ(QueryDispatch(object, host::IID_ProjectItem).get() != nullptr, object == o.item.get());
        }
        EXPECT_GT(host::LiveReferences(), 0);
    }
    EXPECT_EQ(host::LiveReferences(), 0);
}

TEST(Automation, MemberNamesMatchRegardlessOfCase) {
    Objects o;
    const Variant zero{std::int16_t{0}};
    EXPECT_EQ(Text(PropertyText(o.item.get(), L"fILEnAMES", {*zero})), u"C:\\a.cpp");
    EXPECT_EQ(Text(PropertyText(o.project.get(), L"NAME")), u"App");
    EXPECT_EQ(PropertyInt32(o.projects.get(), L"count"), 2);
}

TEST(Automation, FailuresAndEmptyAnswersAreNothing) {
    Objects o;
    const Variant second{std::int32_t{2}}, third{std::int32_t{3}};
    ComPtr<IDispatch> empty = MethodObject(o.projects.get(), L"Item", {*second});
    ComPtr<IDispatch> emptyItems = PropertyObject(empty.get(), L"ProjectItems");
    EXPECT_EQ(PropertyInt32(emptyItems.get(), L"Count"), 0);  // a real answer, unlike no count

    for (Fault fault : {Fault::Fail, Fault::Nothing}) {
        o.app.FaultOf(Member::Name) = fault;
        EXPECT_FALSE(PropertyText(o.project.get(), L"Name"));
        o.app.FaultOf(Member::ProjectItems) = fault;
        EXPECT_FALSE(PropertyObject(o.project.get(), L"ProjectItems"));
    }
    // A typed count cannot be left empty: giving nothing is a count of none.
    o.app.items->FaultOf(Member::Count) = Fault::Fail;
    EXPECT_FALSE(PropertyInt32(o.items.get(), L"Count"));
    o.app.items->FaultOf(Member::Count) = Fault::Nothing;
    EXPECT_EQ(PropertyInt32(o.items.get(), L"Count"), 0);
    o.app.name.clear();
    o.app.FaultOf(Member::Name) = Fault::None;
    EXPECT_FALSE(PropertyText(o.project.get(), L"Name"));                // empty text
    EXPECT_FALSE(PropertyObject(o.item.get(), L"ProjectItems"));         // null object
    EXPECT_FALSE(ItemObject(o.projects.get(), *third));                  // out of range
    EXPECT_FALSE(PropertyObject(o.projects.get(), L"Item", {*second}));  // a method is not a property
    EXPECT_FALSE(PropertyText(o.item.get(), L"FileNames", {*second}));   // the index must be a short
    EXPECT_FALSE(PropertyText(o.item.get(), L"Path"));                   // no such member
    EXPECT_FALSE(PropertyObject(nullptr, L"Solution"));
}

TEST(Automation, PutsAPropertyByName) {
    Objects o;
    EXPECT_TRUE(PutProperty(o.project.get(), L"Name", *Variant(Bstr(L"Renamed"))));
    EXPECT_EQ(o.app.name, u"Renamed");
    EXPECT_EQ(Text(PropertyText(o.project.get(), L"Name")), u"Renamed");

    EXPECT_FALSE(PutProperty(o.project.get(), L"Kind", *Variant(Bstr(L"{}"))));  // read-only
    o.app.FaultOf(Member::Name) = Fault::Fail;
    EXPECT_FALSE(PutProperty(o.project.get(), L"Name", *Variant(Bstr(L"Again"))));
    EXPECT_EQ(o.app.name, u"Renamed");
}

// Records what a call brings, to see the client's argument order and put form.
class Recorder final : public IDispatch {
public:
    WORD flags = 0;
    std::vector<LONG> arguments;  // as received: last argument first
    std::vector<DISPID> named;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IDispatch ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return DISP_E_BADINDEX; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID* ids) override {
        ids[0] = 7;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD how, DISPPARAMS* parameters, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        flags = how;
        for (UINT i = 0; i < parameters->cArgs; ++i) arguments.push_back(parameters->rgvarg[i].lVal);
        named.assign(parameters->rgdispidNamedArgs, parameters->rgdispidNamedArgs + parameters->cNamedArgs);
        return S_OK;
    }
};

TEST(Automation, PassesArgumentsLastToFirstAndPutsAsTheNamedArgument) {
    Recorder recorder;
    const Variant one{std::int32_t{1}}, two{std::int32_t{2}}, three{std::int32_t{3}};
    MethodObject(&recorder, L"Add", {*one, *two, *three});
    EXPECT_EQ(recorder.flags, DISPATCH_METHOD);
    EXPECT_EQ(recorder.arguments, (std::vector<LONG>{3, 2, 1}));
    EXPECT_TRUE(recorder.named.empty());

    recorder.arguments.clear();
    ItemObject(&recorder, *two);
    EXPECT_EQ(recorder.flags, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
    EXPECT_EQ(recorder.arguments, (std::vector<LONG>{2}));

    recorder.arguments.clear();
    EXPECT_TRUE(PutProperty(&recorder, L"Value", *two));
    EXPECT_EQ(recorder.flags, DISPATCH_PROPERTYPUT);
    EXPECT_EQ(recorder.arguments, (std::vector<LONG>{2}));
    EXPECT_EQ(recorder.named, (std::vector<DISPID>{DISPID_PROPERTYPUT}));
}

// Serves one text property, Kind, under a DISPID of its own, as an object of the ProjectItem
// interface or as an object that does not answer it; counts the look-ups and calls that reach it.
class NumberedItem final : public IDispatch {
public:
    NumberedItem(DISPID kind, bool published, const wchar_t* text) : kind_(kind), published_(published), text_(text) {}
    int lookUps = 0, calls = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        const bool answers =
            iid == IID_IUnknown || iid == IID_IDispatch || (published_ && iid == host::IID_ProjectItem);
        *out = answers ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return DISP_E_BADINDEX; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
        ++lookUps;
        ids[0] = _wcsicmp(names[0], L"Kind") == 0 ? kind_ : DISPID_UNKNOWN;
        return ids[0] == kind_ ? S_OK : DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override {
        ++calls;
        if (id != kind_) return DISP_E_MEMBERNOTFOUND;
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(text_);
        return S_OK;
    }

private:
    DISPID kind_;
    bool published_;
    const wchar_t* text_;
};

// A member named with its interface is looked up once for all the objects that answer the
// interface, looked up again for an object that refuses the number, and called by name on an
// object that does not answer the interface.
TEST(Automation, AnInterfaceMembersNumberIsLearnedOnceAndAskedAgainWhenRefused) {
    InterfaceMember kind{host::IID_ProjectItem, L"Kind"};
    NumberedItem first(5, true, L"first"), second(5, true, L"second");
    EXPECT_EQ(Text(PropertyText(&first, kind)), u"first");
    EXPECT_EQ(Text(PropertyText(&second, kind)), u"second");
    EXPECT_EQ(Text(PropertyText(&first, kind)), u"first");
    EXPECT_EQ(first.lookUps + second.lookUps, 1);
    EXPECT_EQ(first.calls + second.calls, 3);

    // Refused, asked anew, called again; the new number is kept for the calls after it.
    NumberedItem renumbered(9, true, L"renumbered");
    EXPECT_EQ(Text(PropertyText(&renumbered, kind)), u"renumbered");
    EXPECT_EQ(Text(PropertyText(&renumbered, kind)), u"renumbered");
    EXPECT_EQ(renumbered.lookUps, 1);
    EXPECT_EQ(renumbered.calls, 3);

    // Without the interface: by name at every call, and what was learned stays.
    NumberedItem unpublished(2, false, L"unpublished");
    EXPECT_EQ(Text(PropertyText(&unpublished, kind)), u"unpublished");
    EXPECT_EQ(Text(PropertyText(&unpublished, kind)), u"unpublished");
    EXPECT_EQ(unpublished.lookUps, 2);
    EXPECT_EQ(unpublished.calls, 2);
    EXPECT_EQ(Text(PropertyText(&renumbered, kind)), u"renumbered");
    EXPECT_EQ(renumbered.lookUps, 1);

    // The stand-in's objects number the member as the type library does, also when one of them
    // does not answer its interface; a member it does not have is nothing, asked once.
    Objects o;
    EXPECT_EQ(Text(PropertyText(o.item.get(), kind)), PhysicalFileKind);
    o.file.FaultOf(Member::Interface) = Fault::Fail;
    EXPECT_EQ(Text(PropertyText(o.item.get(), kind)), PhysicalFileKind);
    InterfaceMember path{host::IID_ProjectItem, L"Path"};
    EXPECT_FALSE(PropertyText(o.item.get(), path));
    NumberedItem counted(5, true, L"counted");
    EXPECT_FALSE(PropertyText(&counted, path));
    EXPECT_EQ(counted.lookUps, 1);
    EXPECT_EQ(counted.calls, 0);
}

// One raw IDispatch call, arguments last to first, with the named ones given.
HRESULT Call(IDispatch* object, DISPID id, WORD flags, std::vector<VARIANT> arguments, std::vector<DISPID> named = {}) {
    DISPPARAMS parameters{arguments.data(), named.data(), static_cast<UINT>(arguments.size()),
                          static_cast<UINT>(named.size())};
    Variant result;
    EXCEPINFO exception{};
    const HRESULT hr = object->Invoke(id, IID_NULL, 0, flags, &parameters, result.get(), &exception, nullptr);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return hr;
}

DISPID IdOf(IDispatch* object, const wchar_t* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    return SUCCEEDED(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id)) ? id : DISPID_UNKNOWN;
}

// The stand-in's IDispatch is its type library's: it refuses what the environment refuses, before
// the object is reached, and coerces what it can.
TEST(Automation, CallsOfTheWrongShapeAreRefusedBeforeTheyReachTheObject) {
    Objects o;
    const Variant one{std::int32_t{1}}, zero{std::int32_t{0}}, text{Bstr(L"Renamed")};
    const std::uint32_t made = o.model.projects.CallsOf(Member::Item);  // the one that gave o.project
    const auto itemCalls = [&] { return o.model.projects.CallsOf(Member::Item) - made; };

    // Item is declared a method: a property get of it is refused; a late-bound call that asks for
    // either shape is served.
    const DISPID item = IdOf(o.projects.get(), L"item");
    ASSERT_EQ(item, DISPID_VALUE);
    EXPECT_EQ(Call(o.projects.get(), item, DISPATCH_PROPERTYGET, {*one}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(itemCalls(), 0u);
    EXPECT_EQ(Call(o.projects.get(), item, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {*one}), S_OK);
    EXPECT_EQ(itemCalls(), 1u);

    // Its index is required, and there is only one.
    EXPECT_EQ(Call(o.projects.get(), item, DISPATCH_METHOD, {}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Call(o.projects.get(), item, DISPATCH_METHOD, {*one, *one}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(itemCalls(), 1u);

    // A property get is no method.
    const DISPID count = IdOf(o.projects.get(), L"Count");
    EXPECT_EQ(Call(o.projects.get(), count, DISPATCH_METHOD, {}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(o.model.projects.CallsOf(Member::Count), 0u);

    // A put names its value DISPID_PROPERTYPUT; without it nothing is put. A read-only member
    // takes no put at all.
    const DISPID name = IdOf(o.project.get(), L"Name");
    EXPECT_HRESULT_FAILED(Call(o.project.get(), name, DISPATCH_PROPERTYPUT, {*text}));
    EXPECT_EQ(o.app.name, u"App");
    EXPECT_EQ(Call(o.project.get(), name, DISPATCH_PROPERTYPUT, {*text}, {DISPID_PROPERTYPUT}), S_OK);
    EXPECT_EQ(o.app.name, u"Renamed");
    EXPECT_EQ(
        Call(o.project.get(), IdOf(o.project.get(), L"Kind"), DISPATCH_PROPERTYPUT, {*text}, {DISPID_PROPERTYPUT}),
        DISP_E_MEMBERNOTFOUND);

    // FileNames takes a short: a 32-bit index is coerced, a text is not.
    const DISPID fileNames = IdOf(o.item.get(), L"FileNames");
    EXPECT_EQ(Call(o.item.get(), fileNames, DISPATCH_PROPERTYGET, {*zero}), S_OK);
    EXPECT_EQ(Call(o.item.get(), fileNames, DISPATCH_PROPERTYGET, {*text}), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(o.file.CallsOf(Member::FileNames), 1u);

    // Only the published members are there.
    EXPECT_EQ(IdOf(o.item.get(), L"Path"), DISPID_UNKNOWN);
    EXPECT_EQ(Call(o.item.get(), 4242, DISPATCH_PROPERTYGET, {}), DISP_E_MEMBERNOTFOUND);
}

// The walk asks SubProject only of an item that is no file and has no child items, once.
TEST(Automation, TheWalkAsksSubProjectOnlyOfItemsWithoutChildren) {
    model::SolutionModel model;
    model::Project& tools = model.AddProject(u"Tools", model::SolutionFolderKind);
    model::Project& lib = model.NewProject(u"Lib", model::SolutionFolderKind);
    model::Item& file = model.AddFile(*tools.items, u"a.cpp", u"C:\\a.cpp");
    model::Item& folder = model.AddFolder(*tools.items, u"Source");
    model::Item& inner = model.AddFile(*folder.children, u"b.cpp", u"C:\\b.cpp");
    model::Item& libItem = model.AddSubProject(*tools.items, lib);
    model::Item& other = model.AddItem(*tools.items);
    other.kind = model::VirtualFolderKind;
    Catalogue catalogue;
    DispatchSolutionView view(host::CreateModelRoot(model));
    BuildCatalogue(view, catalogue);
    EXPECT_EQ(catalogue.FileList.size(), 2u);
    for (const model::Item* item : {&file, &folder, &inner}) EXPECT_EQ(item->CallsOf(Member::SubProject), 0u);
    for (const model::Item* item : {&libItem, &other}) EXPECT_EQ(item->CallsOf(Member::SubProject), 1u);
}

// Every text the host gives back is freed, and freed before the walk goes down the subtree below
// it: the most strings alive at once does not grow with the depth of the solution.
TEST(Automation, TheWalkFreesEachHostTextBeforeGoingDeeper) {
    const auto walkChain = [](int depth) {
        // Each level a project holding a folder that holds the next level's project.
        model::SolutionModel model;
        model::Project* project = &model.AddProject(u"P", model::SolutionFolderKind);
        for (int level = 0; level < depth; ++level) {
            model::Item& folder = model.AddFolder(*project->items, u"F");
            project = &model.NewProject(u"P", model::SolutionFolderKind);
            model.AddSubProject(*folder.children, *project);
        }
        model.AddFile(*project->items, u"a.cpp", u"C:\\a.cpp");
        const auto walk = [&model] {
            Catalogue catalogue;
            DispatchSolutionView view(host::CreateModelRoot(model));
            BuildCatalogue(view, catalogue);
            EXPECT_EQ(catalogue.FileList.size(), 1u);
        };
        walk();  // the type information is loaded once, and kept, by the first walk
        TaskMemorySpy& spy = TaskMemorySpy::Instance();
        EXPECT_TRUE(spy.Start());
        walk();
        spy.Stop();
        EXPECT_EQ(spy.Live(), 0u) << "host texts left unfreed";
        return spy.Peak();
    };
    const std::size_t shallow = walkChain(2);
    EXPECT_GT(shallow, 0u);
    EXPECT_EQ(walkChain(20), shallow);
}

}  // namespace
}  // namespace sprig
