// The connection object driven as the environment drives it, through its vtables and once through
// IDispatch, against the stand-in environment's COM objects and type libraries, under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "win/Automation.h"
#include "addin/Connect.h"
#include "addin/HostInterfaces.h"
#include "addin/Module.h"
#include "host/com/ModelObjects.h"
#include "host/com/TypeLibraries.h"
#include "resources/resource.h"
#include "win/Owners.h"
#include "wine/DialogDriver.h"

namespace sprig {
namespace {

using model::Fault;
using model::Member;

// The environment's user-interface thread, with the environment's type libraries registered.
class HostSetUp : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        ASSERT_HRESULT_SUCCEEDED(host::RegisterHostTypeLibraries());
    }
    void TearDown() override { CoUninitialize(); }
};

[[maybe_unused]] ::testing::Environment* const setUp = ::testing::AddGlobalTestEnvironment(new HostSetUp);

// The environment as the add-in meets it at set-up: a menu bar with File and Tools menus.
struct Environment {
    Environment() { model.addIn.progId = u"Sprig.Connect"; }

    model::SolutionModel model;
    model::CommandBar& menuBar = model.AddCommandBar(u"MenuBar");
    model::CommandBar& fileMenu = model.AddPopup(menuBar, u"File");
    model::CommandBar& toolsMenu = model.AddPopup(menuBar, u"Tools");
    model::CommandBarControl& options = model.AddControl(toolsMenu, u"Options...");
    ComPtr<IDispatch> root = host::CreateModelRoot(model);
    ComPtr<IDispatch> addIn = host::CreateModelAddIn(model);
};

// One connection object, held through its life-cycle face as the environment holds it.
struct Connection {
    Connection() {
        EXPECT_HRESULT_SUCCEEDED(CConnect::Create(__uuidof(_IDTExtensibility2), reinterpret_cast<void**>(addIn.put())));
        EXPECT_HRESULT_SUCCEEDED(
            addIn->QueryInterface(__uuidof(IDTCommandTarget), reinterpret_cast<void**>(target.put())));
    }

    HRESULT Connect(IDispatch* application, ext_ConnectMode mode, IDispatch* addInInstance) {
        SAFEARRAY* custom = nullptr;
        return addIn->OnConnection(application, mode, addInInstance, &custom);
    }
    HRESULT Connect(Environment& environment, ext_ConnectMode mode) {
        return Connect(environment.root.get(), mode, environment.addIn.get());
    }
    HRESULT Disconnect() {
        SAFEARRAY* custom = nullptr;
        return addIn->OnDisconnection(ext_dm_HostShutdown, &custom);
    }

    ComPtr<_IDTExtensibility2> addIn;
    ComPtr<IDTCommandTarget> target;
};

TEST(Connect, AnswersItsInterfaceMapAndHoldsTheModuleWhileItLives) {
    ASSERT_EQ(Module.GetLockCount(), 0);
    {
        Connection one, two;
        EXPECT_EQ(Module.GetLockCount(), 2);
        IUnknown* target = one.target.get();
        IUnknown* addIn = one.addIn.get();
        EXPECT_NE(target, addIn);
        const std::pair<const IID*, IUnknown*> map[] = {
            {&IID_IUnknown, target},
            {&__uuidof(IDTCommandTarget), target},
            {&IID_IDispatch, addIn},
            {&__uuidof(_IDTExtensibility2), addIn},
        };
        for (const auto& [iid, face] : map) {
            for (IUnknown* from : {target, addIn}) {
                ComPtr<IUnknown> answer;
                EXPECT_HRESULT_SUCCEEDED(from->QueryInterface(*iid, reinterpret_cast<void**>(answer.put())));
                EXPECT_EQ(answer.get(), face);
            }
        }
        for (const IID* other : {&IID_IClassFactory, &host::IID_DTE2, &IID_ITypeInfo}) {
            void* answer = &answer;
            EXPECT_EQ(target->QueryInterface(*other, &answer), E_NOINTERFACE);
            EXPECT_EQ(answer, nullptr);
        }

        // An object that refuses what it was made for goes again at once.
        void* refused = &refused;
        EXPECT_EQ(CConnect::Create(IID_IClassFactory, &refused), E_NOINTERFACE);
        EXPECT_EQ(refused, nullptr);
        EXPECT_EQ(Module.GetLockCount(), 2);
    }
    EXPECT_EQ(Module.GetLockCount(), 0);
}

// Every argument of AddNamedCommand2 as the environment received it.
void ExpectRequestOfTheCommand(const model::CommandRequest& request, const model::SolutionModel& model) {
    EXPECT_EQ(request.addIn, &model.addIn);
    EXPECT_EQ(request.name, u"Sprig");
    EXPECT_EQ(request.buttonText, u"Open File(s) in Solution...");
    EXPECT_EQ(request.tooltip, u"Open file(s) in solution.");
    EXPECT_TRUE(request.msoButton);
    EXPECT_EQ(request.bitmapType, VT_I4);
    EXPECT_EQ(request.bitmap, -1);
    // No context GUIDs: the member received a null reference, not a reference to a null array.
    EXPECT_EQ(request.contextGuids, model::ArrayArgument::NoReference);
    EXPECT_EQ(request.status, 3);
    EXPECT_EQ(request.style, 3);
    EXPECT_EQ(request.controlType, 2);
}

TEST(Connect, SetUpCreatesTheCommandBoundAndFirstInTheToolsMenuOnce) {
    Environment e;
    {
        Connection connection;
        EXPECT_EQ(connection.Connect(e, ext_cm_UISetup), S_OK);
        ASSERT_EQ(e.model.commands.requests.size(), 1u);
        ExpectRequestOfTheCommand(e.model.commands.requests[0], e.model);
        ASSERT_EQ(e.model.commands.commands.size(), 1u);
        const model::Command& command = e.model.commands.commands[0];
        EXPECT_EQ(command.name, u"Sprig.Connect.Sprig");
        EXPECT_EQ(command.bindings, std::vector<std::u16string>{u"Global::Ctrl+Shift+Alt+O"});
        ASSERT_EQ(command.placements.size(), 1u);
        EXPECT_EQ(command.placements[0].owner, &e.toolsMenu);
        EXPECT_EQ(command.placements[0].position, 1);
        ASSERT_EQ(e.toolsMenu.controls.entries.size(), 2u);
        EXPECT_EQ(e.toolsMenu.controls.entries[0].object->command, &command);
        EXPECT_EQ(e.toolsMenu.controls.entries[1].object, &e.options);
        EXPECT_EQ(connection.Disconnect(), S_OK);
    }
    EXPECT_EQ(host::LiveReferences(), 2);  // the test's own root and add-in objects
    EXPECT_EQ(Module.GetLockCount(), 0);

    // The environment sets up again with the command already there: nothing changes.
    Connection again;
    EXPECT_EQ(again.Connect(e, ext_cm_UISetup), S_OK);
    EXPECT_EQ(e.model.commands.requests.size(), 2u);
    EXPECT_EQ(e.model.commands.commands.size(), 1u);
    EXPECT_EQ(e.model.commands.commands[0].bindings.size(), 1u);
    EXPECT_EQ(e.toolsMenu.controls.entries.size(), 2u);
    EXPECT_EQ(e.model.root.CallsOf(Member::CommandBars), 1u);
}

TEST(Connect, OtherModesOnlyKeepTheReferencesUntilDisconnection) {
    Environment e;
    const long own = host::LiveReferences();
    Connection connection;
    for (ext_ConnectMode mode :
         {ext_cm_AfterStartup, ext_cm_Startup, ext_cm_External, ext_cm_CommandLine, ext_cm_Solution}) {
        EXPECT_EQ(connection.Connect(e, mode), S_OK);
        EXPECT_EQ(host::LiveReferences(), own + 2);  // DTE2 and AddIn, each once
    }
    EXPECT_EQ(e.model.root.CallsOf(Member::Commands), 0u);
    EXPECT_EQ(e.model.root.CallsOf(Member::CommandBars), 0u);
    EXPECT_EQ(connection.Disconnect(), S_OK);
    EXPECT_EQ(host::LiveReferences(), own);
    EXPECT_EQ(connection.Disconnect(), S_OK);  // nothing left to release
}

struct SetUpCase {
    const char* what;
    std::function<void(Environment&)> arrange;
    HRESULT expected;
};

// Each case on a fresh environment; the object is gone with no reference left after each.
void RunSetUpCases(const std::vector<SetUpCase>& cases, const std::function<void(Environment&)>& check) {
    for (const SetUpCase& c : cases) {
        SCOPED_TRACE(c.what);
        Environment e;
        c.arrange(e);
        {
            Connection connection;
            EXPECT_EQ(connection.Connect(e, ext_cm_UISetup), c.expected);
        }
        EXPECT_EQ(host::LiveReferences(), 2);
        check(e);
    }
    EXPECT_EQ(Module.GetLockCount(), 0);
}

// Without a Tools menu the command still gets its key binding, its only way in then.
TEST(Connect, AMissingMenuAnswersTheFailingStepAndLeavesTheCommandBoundButOffTheMenus) {
    RunSetUpCases(
        {
            {"CommandBars fails", [](Environment& e) { e.model.root.FaultOf(Member::CommandBars) = Fault::Fail; },
             E_FAIL},
            {"no CommandBars", [](Environment& e) { e.model.root.FaultOf(Member::CommandBars) = Fault::Nothing; },
             E_FAIL},
            {"no _CommandBars", [](Environment& e) { e.model.commandBars.FaultOf(Member::Interface) = Fault::Fail; },
             E_NOINTERFACE},
            {"no MenuBar", [](Environment& e) { e.menuBar.name = u"Menu Bar"; }, E_INVALIDARG},
            {"MenuBar gives nothing", [](Environment& e) { e.model.commandBars.entries[0].fault = Fault::Nothing; },
             E_FAIL},
            {"Controls fails", [](Environment& e) { e.menuBar.FaultOf(Member::Controls) = Fault::Fail; }, E_FAIL},
            {"no Tools", [](Environment& e) { e.menuBar.controls.entries.pop_back(); }, E_INVALIDARG},
            {"Tools gives nothing", [](Environment& e) { e.menuBar.controls.entries[1].fault = Fault::Nothing; },
             E_FAIL},
            {"Tools is no popup", [](Environment& e) { e.menuBar.controls.entries[1].object->popup = nullptr; },
             E_NOINTERFACE},
            {"the popup has no bar",
             [](Environment& e) { e.menuBar.controls.entries[1].object->FaultOf(Member::CommandBar) = Fault::Nothing; },
             E_FAIL},
        },
        [](Environment& e) {
        ASSERT_EQ(e.model.commands.commands.size(), 1u);
        EXPECT_EQ(e.model.commands.commands[0].bindings, std::vector<std::u16string>{u"Global::Ctrl+Shift+Alt+O"});
        EXPECT_TRUE(e.model.commands.commands[0].placements.empty());
        EXPECT_EQ(e.toolsMenu.controls.entries.size(), 1u);
        });
}

// Every call that reached the environment's objects during a set-up, object by object, in a
// fixed order; calls on the command's own objects come last.
std::vector<std::string> RecordedCalls(const Environment& e) {
    static const char* const names[] = {
        "Solution",  "Projects",   "Count",      "Item",       "Name",           "ProjectItems",
        "Kind",      "FileNames",  "SubProject", "Commands",   "CommandBars",    "AddNamedCommand2",
        "Bindings",  "AddControl", "Controls",   "CommandBar", "ItemOperations", "OpenFile",
        "Selection", "GotoLine",   "Interface",  "LocaleID",   "Caption"};
    static_assert(std::size(names) == model::MemberCount);
    std::vector<std::string> calls;
    const auto add = [&](const std::string& object, const model::Node& node) {
        for (std::size_t member = 0; member < model::MemberCount; ++member) {
            if (node.calls[member])
                calls.push_back(object + '.' + names[member] + ' ' + std::to_string(node.calls[member]));
        }
    };
    add("root", e.model.root);
    add("commands", e.model.commands);
    add("bars", e.model.commandBars);
    for (const auto& bar : e.model.commandBars.entries) {
        const std::string name = "bar " + std::string(bar.object->name.begin(), bar.object->name.end());
        add(name, *bar.object);
        add(name + " controls", bar.object->controls);
    }
    for (const auto& control : e.menuBar.controls.entries)
        add("control " + std::to_string(&control - &e.menuBar.controls.entries[0] + 1), *control.object);
    add("tools menu", e.toolsMenu);
    for (const model::Command& command : e.model.commands.commands) add("command", command);
    return calls;
}

// An environment of another language: its menu bar captions the Tools menu in that language,
// while its command bars keep their English names or are named in that language too. The add-in
// finds the menu all the same, by the command bar's name, the caption or the captions of all the
// controls, in that order; an English environment is asked exactly what it always was.
TEST(Connect, SetUpFindsTheToolsMenuOfEveryLanguageAndAsksEnglishOnlyTheUsualCalls) {
    // Calls on the way, then the control on the Tools menu's bar and the binding.
    const std::vector<std::string> start = {"root.Commands 1", "root.CommandBars 1", "commands.AddNamedCommand2 1",
                                            "bar MenuBar.Controls 1", "command.Bindings 1"};
    const auto calls = [&](std::vector<std::string> more, bool placed = true) {
        more.insert(more.end(), start.begin(), start.end());
        if (placed) more.push_back("command.AddControl 1");
        return more;
    };
    struct LanguageCase {
        const char* what;
        std::int32_t locale;
        std::u16string itemName, caption;  // of the Tools control on the menu bar
        bool toolsBarListed;               // the Tools menu's bar listed among the command bars as "Tools"
        std::vector<std::string> expected;
        HRESULT result;
    };
    const std::vector<std::string> byCaption = {"bars.Item 2", "root.LocaleID 1", "bar MenuBar controls.Item 2",
                                                "control 2.CommandBar 1"};
    const std::vector<std::string> byEveryCaption = {
        "bars.Item 2",         "root.LocaleID 1",     "bar MenuBar controls.Item 4", "bar MenuBar controls.Count 1",
        "control 1.Caption 1", "control 2.Caption 1", "control 2.CommandBar 1"};
    const LanguageCase cases[] = {
        {"English", 1033, u"Tools", u"&Tools", true,
         calls({"bars.Item 1", "bar MenuBar controls.Item 1", "control 2.CommandBar 1"}), S_OK},
        {"German, English bar names", 1031, u"Extras", u"E&xtras", true,
         calls({"bars.Item 2", "bar MenuBar controls.Item 1"}), S_OK},
        {"German, bars named in German", 1031, u"Extras", u"E&xtras", false, calls(byCaption), S_OK},
        {"Japanese, bars named in Japanese", 1041, u"ツール(&T)", u"ツール(&T)", false, calls(byEveryCaption), S_OK},
        {"Chinese (Taiwan)", 1028, u"工具", u"工具(&T)", false, calls(byCaption), S_OK},
        {"French, the caption in other letter case", 1036, u"&OUTILS", u"&OUTILS", false, calls(byEveryCaption), S_OK},
        {"a language without a known caption", 1049, u"Сервис", u"&Сервис", false,
         calls({"bars.Item 2", "bar MenuBar controls.Item 1", "root.LocaleID 1"}, false), E_INVALIDARG},
        {"German without a Tools menu", 1031, u"Bearbeiten", u"&Bearbeiten", false,
         calls({"bars.Item 2", "root.LocaleID 1", "bar MenuBar controls.Item 4", "bar MenuBar controls.Count 1",
                "control 1.Caption 1", "control 2.Caption 1"},
               false),
         E_INVALIDARG},
    };
    for (const LanguageCase& c : cases) {
        SCOPED_TRACE(c.what);
        Environment e;
        e.model.localeId = c.locale;
        model::CommandBarControl& tools = *e.menuBar.controls.entries[1].object;
        tools.name = c.itemName;
        tools.caption = c.caption;
        e.toolsMenu.name = c.toolsBarListed ? u"Tools" : c.itemName;
        e.model.commandBars.Add(e.toolsMenu);
        {
            Connection connection;
            EXPECT_EQ(connection.Connect(e, ext_cm_UISetup), c.result);
        }
        EXPECT_EQ(host::LiveReferences(), 2);
        ASSERT_EQ(e.model.commands.commands.size(), 1u);
        const model::Command& command = e.model.commands.commands[0];
        EXPECT_EQ(command.bindings, std::vector<std::u16string>{u"Global::Ctrl+Shift+Alt+O"});
        if (SUCCEEDED(c.result)) {
            ASSERT_EQ(e.toolsMenu.controls.entries.size(), 2u);
            EXPECT_EQ(e.toolsMenu.controls.entries[0].object->command, &command);
        } else {
            EXPECT_EQ(e.toolsMenu.controls.entries.size(), 1u);
        }
        std::vector<std::string> expected = c.expected, calls = RecordedCalls(e);
        std::sort(expected.begin(), expected.end());
        std::sort(calls.begin(), calls.end());
        EXPECT_EQ(calls, expected);
    }
}

TEST(Connect, TheCommandStepsAnswerTheirFailureOrEndTheSetUpQuietly) {
    RunSetUpCases(
        {
            {"Commands fails", [](Environment& e) { e.model.root.FaultOf(Member::Commands) = Fault::Fail; }, E_FAIL},
            {"no Commands", [](Environment& e) { e.model.root.FaultOf(Member::Commands) = Fault::Nothing; }, E_FAIL},
            {"no Commands2", [](Environment& e) { e.model.commands.FaultOf(Member::Interface) = Fault::Fail; },
             E_NOINTERFACE},
            {"AddNamedCommand2 fails",
             [](Environment& e) { e.model.commands.FaultOf(Member::AddNamedCommand2) = Fault::Fail; }, S_OK},
            {"AddNamedCommand2 gives nothing",
             [](Environment& e) { e.model.commands.FaultOf(Member::AddNamedCommand2) = Fault::Nothing; }, S_OK},
        },
        [](Environment& e) {
        EXPECT_TRUE(e.model.commands.commands.empty());
        EXPECT_EQ(e.model.root.CallsOf(Member::CommandBars), 0u);
        });

    // Objects that are not what the environment should have given: nothing on them is touched.
    Environment e;
    {
        Connection connection;
        EXPECT_EQ(connection.Connect(e.addIn.get(), ext_cm_UISetup, e.addIn.get()), E_NOINTERFACE);  // no DTE2
        EXPECT_EQ(connection.Connect(e.root.get(), ext_cm_UISetup, e.root.get()), E_NOINTERFACE);    // no AddIn
        EXPECT_EQ(connection.Connect(nullptr, ext_cm_UISetup, nullptr), E_NOINTERFACE);
    }
    EXPECT_EQ(e.model.root.CallsOf(Member::Commands), 0u);
    EXPECT_EQ(host::LiveReferences(), 2);
}

TEST(Connect, ARefusedBindingStillAddsTheControlWhoseOwnFailureIsAnswered) {
    RunSetUpCases(
        {
            {"binding refused",
             [](Environment& e) { e.model.commands.newCommand.FaultOf(Member::Bindings) = Fault::Fail; }, S_OK},
        },
        [](Environment& e) {
        ASSERT_EQ(e.model.commands.commands.size(), 1u);
        EXPECT_TRUE(e.model.commands.commands[0].bindings.empty());
        EXPECT_EQ(e.model.commands.commands[0].CallsOf(Member::Bindings), 1u);
        ASSERT_EQ(e.toolsMenu.controls.entries.size(), 2u);
        EXPECT_EQ(e.toolsMenu.controls.entries[0].object->command, &e.model.commands.commands[0]);
        });
    RunSetUpCases(
        {
            {"AddControl fails",
             [](Environment& e) { e.model.commands.newCommand.FaultOf(Member::AddControl) = Fault::Fail; }, E_FAIL},
            {"AddControl gives nothing",
             [](Environment& e) { e.model.commands.newCommand.FaultOf(Member::AddControl) = Fault::Nothing; }, E_FAIL},
        },
        [](Environment& e) {
        ASSERT_EQ(e.model.commands.commands.size(), 1u);
        EXPECT_EQ(e.model.commands.commands[0].bindings.size(), 1u);
        EXPECT_EQ(e.model.commands.commands[0].CallsOf(Member::AddControl), 1u);
        EXPECT_EQ(e.toolsMenu.controls.entries.size(), 1u);
        });
}

TEST(Connect, QueryStatusAnswersOnlyForItsNameInAnyCase) {
    Connection connection;
    const auto status = [&](const wchar_t* name, vsCommandStatusTextWanted wanted, UINT length = 0) {
        Bstr text = Bstr::Adopt(name ? SysAllocStringLen(name, length ? length : lstrlenW(name)) : nullptr);
        vsCommandStatus answer = vsCommandStatusInvisible;
        Variant commandText{std::int32_t{42}};
        EXPECT_EQ(connection.target->QueryStatus(text.get(), wanted, &answer, commandText.get()), S_OK);
        EXPECT_EQ(commandText.get()->vt, VT_I4);
        EXPECT_EQ(commandText.get()->lVal, 42);
        return answer;
    };
    const vsCommandStatus enabled = static_cast<vsCommandStatus>(vsCommandStatusSupported | vsCommandStatusEnabled);
    for (const wchar_t* name : {L"Sprig.Connect.Sprig", L"sprig.connect.sprig", L"SPRIG.CONNECT.SPRIG"}) {
        EXPECT_EQ(status(name, vsCommandStatusTextWantedNone), enabled);
        EXPECT_EQ(status(name, vsCommandStatusTextWantedName), vsCommandStatusInvisible);
        EXPECT_EQ(status(name, vsCommandStatusTextWantedStatus), vsCommandStatusInvisible);
    }
    for (const wchar_t* name : {L"Sprig.Connect.Sprig2", L"Sprig.Connect", L"Other.Connect.Sprig", L"",
                                static_cast<const wchar_t*>(nullptr)}) {
        EXPECT_EQ(status(name, vsCommandStatusTextWantedNone), vsCommandStatusInvisible) << (name ? name : L"(null)");
    }
    // The name is compared as the zero-terminated text: a stored length that counts the NUL, or
    // whatever follows it, makes no other name.
    EXPECT_EQ(status(L"Sprig.Connect.Sprig\0", vsCommandStatusTextWantedNone, 20), enabled);
    EXPECT_EQ(status(L"Sprig.Connect.Sprig\0x", vsCommandStatusTextWantedNone, 21), enabled);

    // No status to write to: nothing is written, and the call still succeeds.
    Bstr ours(FullCommandName);
    EXPECT_EQ(connection.target->QueryStatus(ours.get(), vsCommandStatusTextWantedNone, nullptr, nullptr), S_OK);
}

TEST(Connect, ExecForAnotherCommandOrOptionLeavesItUnhandledAndOpensNothing) {
    Environment e;
    Connection connection;
    ASSERT_EQ(connection.Connect(e, ext_cm_AfterStartup), S_OK);
    const auto handled = [&](const wchar_t* name, vsCommandExecOption option) {
        Bstr text(name);
        Variant in, out;
        VARIANT_BOOL answer = VARIANT_TRUE;
        EXPECT_EQ(connection.target->Exec(text.get(), option, in.get(), out.get(), &answer), S_OK);
        return answer;
    };
    EXPECT_EQ(handled(L"Sprig.Connect.Other", vsCommandExecOptionDoDefault), VARIANT_FALSE);
    Bstr other(L"Sprig.Connect.Other");
    EXPECT_EQ(connection.target->Exec(other.get(), vsCommandExecOptionDoDefault, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(handled(L"Sprig.Connect", vsCommandExecOptionDoDefault), VARIANT_FALSE);
    for (vsCommandExecOption option :
         {vsCommandExecOptionPromptUser, vsCommandExecOptionDoPromptUser, vsCommandExecOptionShowHelp}) {
        EXPECT_EQ(handled(FullCommandName, option), VARIANT_FALSE);
    }
    EXPECT_EQ(e.model.root.CallsOf(Member::Solution), 0u);  // no dialog: the solution was never walked

    // Connected to an application that gave no DTE2 there is nothing to show.
    Connection bare;
    ASSERT_EQ(bare.Connect(e.addIn.get(), ext_cm_AfterStartup, e.addIn.get()), S_OK);
    Bstr name(FullCommandName);
    VARIANT_BOOL answer = VARIANT_TRUE;
    EXPECT_EQ(bare.target->Exec(name.get(), vsCommandExecOptionDoDefault, nullptr, nullptr, &answer), S_OK);
    EXPECT_EQ(answer, VARIANT_FALSE);
    EXPECT_EQ(e.model.root.CallsOf(Member::Solution), 0u);
}

// The command runs the dialog over the connected solution, owned by the window that is active on
// the environment's thread, and is handled however the user leaves the dialog.
TEST(Connect, ExecRunsTheDialogOwnedByTheActiveWindowAndIsHandledEitherWay) {
    Environment e;
    model::Project& project = e.model.AddProject(u"App", u"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}");
    e.model.AddFile(*project.items, u"main.cpp", u"C:\\src\\main.cpp");
    Connection connection;
    ASSERT_EQ(connection.Connect(e, ext_cm_AfterStartup), S_OK);
    const long held = host::LiveReferences();

    WNDCLASSW frameClass{};
    frameClass.lpfnWndProc = DefWindowProcW;
    frameClass.hInstance = GetModuleHandleW(nullptr);
    frameClass.lpszClassName = L"SprigEnvironmentFrame";
    ASSERT_NE(RegisterClassW(&frameClass), 0);
    const Window frame{CreateWindowExW(0, frameClass.lpszClassName, L"Environment", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                       0, 640, 480, nullptr, nullptr, frameClass.hInstance, nullptr)};
    ASSERT_TRUE(frame);
    SetActiveWindow(frame.get());
    ASSERT_EQ(GetActiveWindow(), frame.get());

    const std::pair<const char*, std::function<void(testing::DialogDriver&)>> endings[] = {
        {"cancelled", [](testing::DialogDriver& driver) { driver.Key(VK_ESCAPE, IDC_FILTER_EDIT); }},
        {"opened", [](testing::DialogDriver& driver) { driver.ClickButton(IDOK); }},
    };
    UINT runs = 0;
    for (const auto& [how, end] : endings) {
        SCOPED_TRACE(how);
        Bstr name(FullCommandName);
        Variant in, out;
        VARIANT_BOOL handled = VARIANT_FALSE;
        HRESULT hr = E_UNEXPECTED;
        testing::DriveModal(
            [&] {
            hr = connection.target->Exec(name.get(), vsCommandExecOptionDoDefault, in.get(), out.get(), &handled);
            return 0;
            },
            [&](testing::DialogDriver& driver) {
            EXPECT_EQ(GetWindow(driver.Dialog(), GW_OWNER), frame.get());
            EXPECT_FALSE(IsWindowEnabled(frame.get()));
            EXPECT_EQ(driver.RowCount(), 1);
            end(driver);
        });
        EXPECT_EQ(hr, S_OK);
        EXPECT_EQ(handled, VARIANT_TRUE);
        EXPECT_EQ(e.model.root.CallsOf(Member::Solution), ++runs);
        EXPECT_TRUE(IsWindowEnabled(frame.get()));
        EXPECT_EQ(host::LiveReferences(), held);  // the dialog let go of the root
    }

    // With nowhere to say that it was handled, the command still runs.
    Bstr name(FullCommandName);
    HRESULT hr = E_UNEXPECTED;
    testing::DriveModal(
        [&] {
        hr = connection.target->Exec(name.get(), vsCommandExecOptionDoDefault, nullptr, nullptr, nullptr);
        return 0;
        },
        [&](testing::DialogDriver& driver) { driver.Key(VK_ESCAPE, IDC_FILTER_EDIT); });
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(e.model.root.CallsOf(Member::Solution), ++runs);
}

// A host whose command bars answer only the office library's identifiers: the add-in's second
// choice finds the Tools menu all the same.
TEST(Connect, SetUpFindsTheToolsMenuThroughTheOfficeCommandBars) {
    Environment e;
    e.model.officeCommandBars = true;
    const ComPtr<IDispatch> bars = PropertyObject(e.root.get(), L"CommandBars");
    EXPECT_FALSE(QueryDispatch(bars.get(), host::IID_CommandBars));
    EXPECT_TRUE(QueryDispatch(bars.get(), host::IID_OfficeCommandBars));
    {
        Connection connection;
        EXPECT_EQ(connection.Connect(e, ext_cm_UISetup), S_OK);
    }
    ASSERT_EQ(e.model.commands.commands.size(), 1u);
    ASSERT_EQ(e.model.commands.commands[0].placements.size(), 1u);
    EXPECT_EQ(e.model.commands.commands[0].placements[0].owner, &e.toolsMenu);
    ASSERT_EQ(e.toolsMenu.controls.entries.size(), 2u);
    EXPECT_EQ(e.toolsMenu.controls.entries[0].object->command, &e.model.commands.commands[0]);
}

// A thread that asks for the object in `slot`, offering its own.
struct Asker {
    int** slot;
    CRITICAL_SECTION* lock;
    int* own;
    int made = 0;
    int* answer = nullptr;
};

DWORD WINAPI AskForTheObject(void* argument) {
    auto& asker = *static_cast<Asker*>(argument);
    asker.answer = MadeOnce(*asker.slot, *asker.lock, [&asker] {
        ++asker.made;
        return asker.own;
    });
    return 0;
}

// The first creation of an object that threads share: a thread that waited for the lock while
// another made the object takes that object and makes none of its own.
TEST(Module, AThreadThatWaitedForTheLockTakesTheObjectMadeMeanwhile) {
    CriticalSection lock;
    int first = 1, second = 2;
    int* slot = nullptr;
    Asker asker{&slot, &lock.get(), &second};
    EnterCriticalSection(&lock.get());
    const Handle thread(CreateThread(nullptr, 0, AskForTheObject, &asker, 0, nullptr));
    ASSERT_TRUE(thread);
    // The other thread has found no object and waits for the lock (its count shows a waiter).
    for (int waited = 0; lock.get().LockCount < 1 && waited < 10000; waited += 10) Sleep(10);
    ASSERT_GE(lock.get().LockCount, 1);
    InterlockedExchangePointer(reinterpret_cast<void**>(&slot), &first);  // made while it waited
    LeaveCriticalSection(&lock.get());
    WaitForSingleObject(thread.get(), INFINITE);
    EXPECT_EQ(asker.made, 0);
    EXPECT_EQ(asker.answer, &first);
    EXPECT_EQ(slot, &first);
}

// The environment may call either face through IDispatch: the type information of the registered
// libraries must carry the calls to the right vtable slots.
TEST(Connect, BothFacesDispatchThroughTheRegisteredTypeInformation) {
    Environment e;
    Connection connection;
    IDispatch* target = connection.target.get();
    IDispatch* addIn = connection.addIn.get();

    const std::pair<IDispatch*, std::pair<const IID*, UINT>> faces[] = {
        {target, {&__uuidof(IDTCommandTarget), 2}},
        {addIn, {&__uuidof(_IDTExtensibility2), 5}},
    };
    for (const auto& [face, expected] : faces) {
        UINT count = 0;
        EXPECT_HRESULT_SUCCEEDED(face->GetTypeInfoCount(&count));
        EXPECT_EQ(count, 1u);
        ComPtr<ITypeInfo> info, again;
        ASSERT_HRESULT_SUCCEEDED(face->GetTypeInfo(0, 0, info.put()));
        TYPEATTR* attributes = nullptr;
        ASSERT_HRESULT_SUCCEEDED(info->GetTypeAttr(&attributes));
        EXPECT_EQ(attributes->guid, *expected.first);
        EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
        EXPECT_EQ(attributes->cFuncs, 7 + expected.second);  // after IUnknown's and IDispatch's
        info->ReleaseTypeAttr(attributes);
        // Loaded once, kept for every object.
        Connection other;
        IDispatch* same = face == target ? static_cast<IDispatch*>(other.target.get()) : other.addIn.get();
        ASSERT_HRESULT_SUCCEEDED(same->GetTypeInfo(0, 0, again.put()));
        EXPECT_EQ(again.get(), info.get());
        EXPECT_EQ(face->GetTypeInfo(1, 0, again.put()), DISP_E_BADINDEX);
    }

    // Each face knows its own members only.
    const auto id = [](IDispatch* face, const wchar_t* name) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID dispid = 0;
        const HRESULT hr = face->GetIDsOfNames(IID_NULL, names, 1, 0, &dispid);
        return SUCCEEDED(hr) ? dispid : DISPID_UNKNOWN;
    };
    EXPECT_EQ(id(target, L"OnConnection"), DISPID_UNKNOWN);
    EXPECT_EQ(id(addIn, L"exec"), DISPID_UNKNOWN);

    // QueryStatus by its DISPID; the arguments go last to first.
    Bstr name(L"sprig.connect.SPRIG");
    LONG status = vsCommandStatusUnsupported;
    VARIANT commandText;
    VariantInit(&commandText);
    VARIANT queryArguments[4];
    for (VARIANT& argument : queryArguments) VariantInit(&argument);
    queryArguments[0].vt = VT_BYREF | VT_VARIANT;
    queryArguments[0].pvarVal = &commandText;
    queryArguments[1].vt = VT_BYREF | VT_I4;
    queryArguments[1].plVal = &status;
    queryArguments[2].vt = VT_I4;
    queryArguments[2].lVal = vsCommandStatusTextWantedNone;
    queryArguments[3].vt = VT_BSTR;
    queryArguments[3].bstrVal = name.get();
    DISPPARAMS query{queryArguments, nullptr, 4, 0};
    EXPECT_EQ(target->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &query, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(status, vsCommandStatusSupported | vsCommandStatusEnabled);
    EXPECT_EQ(commandText.vt, VT_EMPTY);

    // OnConnection in the set-up by name, through the IDispatch that QueryInterface gives.
    ComPtr<IDispatch> dispatch;
    ASSERT_HRESULT_SUCCEEDED(target->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.put())));
    SAFEARRAY* noCustom = nullptr;
    VARIANT connectArguments[4];
    for (VARIANT& argument : connectArguments) VariantInit(&argument);
    connectArguments[0].vt = VT_BYREF | VT_ARRAY | VT_VARIANT;
    connectArguments[0].pparray = &noCustom;
    connectArguments[1].vt = VT_DISPATCH;
    connectArguments[1].pdispVal = e.addIn.get();
    connectArguments[2].vt = VT_I4;
    connectArguments[2].lVal = ext_cm_UISetup;
    connectArguments[3].vt = VT_DISPATCH;
    connectArguments[3].pdispVal = e.root.get();
    DISPPARAMS connect{connectArguments, nullptr, 4, 0};
    EXPECT_EQ(dispatch->Invoke(id(dispatch.get(), L"OnConnection"), IID_NULL, 0, DISPATCH_METHOD, &connect, nullptr,
                               nullptr, nullptr),
              S_OK);
    ASSERT_EQ(e.model.commands.commands.size(), 1u);
    EXPECT_EQ(e.toolsMenu.controls.entries.size(), 2u);
}

// A library that is not registered, or does not hold the interface, is answered as such each time.
TEST(TypeInfoCache, AnswersWhyTheTypeInformationIsMissing) {
    constexpr GUID unregistered = {0x0D7A5F3C, 0x6E21, 0x4B9A, {0x8C, 0x14, 0x55, 0x9E, 0x02, 0xB7, 0x3A, 0x61}};
    TypeInfoCache missingLibrary{unregistered, 1, 0, __uuidof(IDTCommandTarget)};
    TypeInfoCache missingFace{host::LIBID_EnvDTE, 7, 0, __uuidof(_IDTExtensibility2)};
    for (int attempt = 0; attempt < 2; ++attempt) {
        ITypeInfo* info = nullptr;
        EXPECT_EQ(missingLibrary.Get(info), TYPE_E_LIBNOTREGISTERED);
        EXPECT_EQ(info, nullptr);
        EXPECT_EQ(missingFace.Get(info), TYPE_E_ELEMENTNOTFOUND);
        EXPECT_EQ(info, nullptr);
    }
}

}  // namespace
}  // namespace sprig
