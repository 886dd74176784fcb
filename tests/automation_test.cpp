// The late-bound client against the stand-in model's COM objects, under Wine. The COM apartment
// comes from dispatch_road.cpp, which this executable shares.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win/Automation.h"
#include "addin/HostInterfaces.h"
#include "host/com/ModelObjects.h"
#include "win/WideText.h"

namespace sprig {
namespace {

using model::Fault;
using model::Member;

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
    ComPtr<IDispatch> project = MethodObject(projects.get(), L"Item", {*first});
    ComPtr<IDispatch> items = PropertyObject(project.get(), L"ProjectItems");
    ComPtr<IDispatch> item = MethodObject(items.get(), L"Item", {*first});
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
        o.app.items->FaultOf(Member::Count) = fault;
        EXPECT_FALSE(PropertyInt32(o.items.get(), L"Count"));
        o.app.FaultOf(Member::ProjectItems) = fault;
        EXPECT_FALSE(PropertyObject(o.project.get(), L"ProjectItems"));
    }
    o.app.name.clear();
    o.app.FaultOf(Member::Name) = Fault::None;
    EXPECT_FALSE(PropertyText(o.project.get(), L"Name"));                // empty text
    EXPECT_FALSE(PropertyObject(o.item.get(), L"ProjectItems"));         // null object
    EXPECT_FALSE(MethodObject(o.projects.get(), L"Item", {*third}));     // out of range
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
    EXPECT_TRUE(PutProperty(&recorder, L"Value", *two));
    EXPECT_EQ(recorder.flags, DISPATCH_PROPERTYPUT);
    EXPECT_EQ(recorder.arguments, (std::vector<LONG>{2}));
    EXPECT_EQ(recorder.named, (std::vector<DISPID>{DISPID_PROPERTYPUT}));
}

}  // namespace
}  // namespace sprig
