// The stand-in environment's add-in loader under Wine: the add-in is found under the AddIns key,
// made from its ProgID by the COM runtime (its class object registered in this process, as the
// DLL's would be by its server), preloaded once, its command kept in the registry across runs
// and run from there.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <string>
#include <vector>

#include "addin/Connect.h"
#include "host/app/AddInHost.h"
#include "host/app/HostRegistry.h"
#include "host/com/ModelObjects.h"
#include "host/com/TypeLibraries.h"
#include "win/KeyOwner.h"
#include "wine/DialogDriver.h"

namespace sprig {
namespace {

constexpr wchar_t AddInKey[] = L"SOFTWARE\\Microsoft\\VisualStudio\\8.0\\AddIns\\Sprig.Connect";
// A class identifier of this test's own, under the add-in's ProgID.
constexpr CLSID TestClass = {0x5f0e4c21, 0x8d3b, 0x4a57, {0x9c, 0x10, 0x2e, 0x6b, 0x71, 0xa4, 0x03, 0xd9}};
constexpr wchar_t TestClassText[] = L"{5F0E4C21-8D3B-4A57-9C10-2E6B71A403D9}";

// Makes connection objects, as the add-in's class object does.
class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid != IID_IUnknown && iid != IID_IClassFactory) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        ++made;
        return outer ? CLASS_E_NOAGGREGATION : CConnect::Create(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
    int made = 0;
};
Factory factory;

void SetDword(HKEY key, const wchar_t* name, DWORD value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

// The add-in registered as its server registers it, with the given load values.
void RegisterAddIn(DWORD loadBehavior, DWORD commandPreload) {
    LONG error = ERROR_SUCCESS;
    const KeyOwner key = CreateKey(HKEY_CURRENT_USER, AddInKey, KEY_WRITE, &error);
    ASSERT_EQ(error, 0);
    SetDword(key.get(), L"LoadBehavior", loadBehavior);
    SetDword(key.get(), L"CommandPreload", commandPreload);
    ASSERT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, L"Sprig.Connect\\CLSID", REG_SZ, TestClassText, 0), 0);
}

void UnregisterAddIn() {
    SHDeleteKeyW(HKEY_CURRENT_USER, AddInKey);
    SHDeleteKeyW(HKEY_CLASSES_ROOT, L"Sprig.Connect");
}

class HostSetUp : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        ASSERT_HRESULT_SUCCEEDED(host::RegisterHostTypeLibraries());
        ASSERT_HRESULT_SUCCEEDED(
            CoRegisterClassObject(TestClass, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_));
    }
    void TearDown() override {
        CoRevokeClassObject(cookie_);
        UnregisterAddIn();
        host::ForgetHostState();
        CoUninitialize();
    }

private:
    DWORD cookie_ = 0;
};
[[maybe_unused]] ::testing::Environment* const setUp = ::testing::AddGlobalTestEnvironment(new HostSetUp);

// One run of the environment: its menu bar, the commands it kept, and the loader.
struct EnvironmentRun {
    EnvironmentRun() { host::RestoreCommands(model, menuBar); }

    model::SolutionModel model;
    model::CommandBar& menuBar = model.AddCommandBar(u"MenuBar");
    model::CommandBar& toolsMenu = model.AddPopup(menuBar, u"Tools");
    model::CommandBarControl& options = model.AddControl(toolsMenu, u"Options...");
    std::vector<std::wstring> reports;
    host::AddInHost host{model, host::CreateModelRoot(model),
                         [this](std::wstring_view line) { reports.emplace_back(line); }};

    bool Reported(std::wstring_view start) const {
        for (const std::wstring& line : reports) {
            if (line.compare(0, start.size(), start) == 0) return true;
        }
        return false;
    }
    // Runs the command, ending the dialog it opens with Cancel; false when no dialog came.
    bool RunAndCancel(const model::Command& command, bool& handled) {
        bool shown = false;
        testing::DriveModal(
            [&] {
            handled = host.RunCommand(command);
            return 0;
            },
            [&](testing::DialogDriver& driver) {
            shown = true;
            driver.ClickButton(IDCANCEL);
        });
        return shown;
    }
};

class AddInHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        host::ForgetHostState();
        factory.made = 0;
    }
    void TearDown() override { UnregisterAddIn(); }
};

TEST_F(AddInHostTest, PreloadsOnceAndKeepsTheCommandWithItsMenuEntryAndBinding) {
    RegisterAddIn(0, 1);
    {
        EnvironmentRun first;
        EXPECT_TRUE(first.host.StartUp());
        EXPECT_EQ(factory.made, 1);
        EXPECT_TRUE(first.Reported(L"connected Sprig.Connect mode 5: 0x00000000"));
        EXPECT_TRUE(host::WasPreloaded(L"Sprig.Connect"));
        ASSERT_EQ(first.model.commands.commands.size(), 1u);
        host::SaveCommands(first.model, first.menuBar);
    }
    EnvironmentRun second;
    ASSERT_EQ(second.model.commands.commands.size(), 1u);
    const model::Command& command = second.model.commands.commands.front();
    EXPECT_EQ(command.name, u"Sprig.Connect.Sprig");
    EXPECT_EQ(command.buttonText, u"Open File(s) in Solution...");
    EXPECT_EQ(command.bindings, std::vector<std::u16string>{u"Global::Ctrl+Shift+Alt+O"});
    const auto& tools = second.toolsMenu.controls.entries;
    ASSERT_EQ(tools.size(), 2u);
    EXPECT_EQ(tools[0].object->command, &command);
    EXPECT_EQ(tools[1].object, &second.options);
    // Remembered: no second set-up, and the add-in is not loaded at start-up.
    EXPECT_FALSE(second.host.StartUp());
    EXPECT_EQ(factory.made, 1);
    EXPECT_TRUE(second.model.commands.requests.empty());
}

TEST_F(AddInHostTest, RunsAKeptCommandByLoadingTheAddInOnceAndOpeningTheDialog) {
    RegisterAddIn(0, 1);
    {
        EnvironmentRun setup;
        setup.host.StartUp();
        host::SaveCommands(setup.model, setup.menuBar);
    }
    EnvironmentRun run;
    ASSERT_EQ(run.model.commands.commands.size(), 1u);
    bool handled = false;
    ASSERT_TRUE(run.RunAndCancel(run.model.commands.commands.front(), handled));
    EXPECT_TRUE(handled);
    EXPECT_TRUE(run.Reported(L"connected Sprig.Connect mode 0: 0x00000000"));
    EXPECT_TRUE(run.Reported(L"executed Sprig.Connect.Sprig: 0x00000000 handled"));
    // Loaded now: a second run uses the same object.
    ASSERT_TRUE(run.RunAndCancel(run.model.commands.commands.front(), handled));
    EXPECT_TRUE(handled);
    EXPECT_EQ(factory.made, 2);  // the set-up's, then this run's
    run.host.ShutDown();
    EXPECT_EQ(host::LiveReferences(), 1);  // only the environment's own root is left
}

TEST_F(AddInHostTest, AKeptCommandOfAnUnregisteredAddInDoesNothing) {
    RegisterAddIn(0, 1);
    {
        EnvironmentRun setup;
        setup.host.StartUp();
        host::SaveCommands(setup.model, setup.menuBar);
    }
    UnregisterAddIn();
    EnvironmentRun run;
    EXPECT_FALSE(run.host.StartUp());
    ASSERT_EQ(run.model.commands.commands.size(), 1u);
    EXPECT_FALSE(run.host.RunCommand(run.model.commands.commands.front()));
    EXPECT_TRUE(run.Reported(L"not registered Sprig.Connect"));
    EXPECT_EQ(factory.made, 1);
}

TEST_F(AddInHostTest, LoadsAtStartUpWhenAskedAndReportsAProgIdWithoutClass) {
    RegisterAddIn(1, 0);
    {
        EnvironmentRun run;
        EXPECT_FALSE(run.host.StartUp());
        EXPECT_TRUE(run.Reported(L"connected Sprig.Connect mode 1: 0x00000000"));
        EXPECT_FALSE(host::WasPreloaded(L"Sprig.Connect"));
        EXPECT_TRUE(run.model.commands.commands.empty());
        run.host.ShutDown();
    }
    // With no class behind the ProgID, neither the start-up load nor the preload happens, and the
    // preload is tried again at the next start.
    SHDeleteKeyW(HKEY_CLASSES_ROOT, L"Sprig.Connect");
    RegisterAddIn(1, 1);
    SHDeleteKeyW(HKEY_CLASSES_ROOT, L"Sprig.Connect");
    EnvironmentRun run;
    EXPECT_FALSE(run.host.StartUp());
    EXPECT_TRUE(run.Reported(L"cannot create Sprig.Connect"));
    EXPECT_FALSE(host::WasPreloaded(L"Sprig.Connect"));
    EXPECT_EQ(factory.made, 1);
}

}  // namespace
}  // namespace sprig
