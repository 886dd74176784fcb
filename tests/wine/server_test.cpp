// The built Sprig.dll under Wine's real COM runtime and registry: its exports called after
// LoadLibrary, its registration once through regsvr32, and its class created by ProgID.
#include <gtest/gtest.h>

#include <windows.h>
#include <initguid.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "AddInInterfaces.h"
#include "SprigLib.h"
#include "win/Automation.h"
#include "win/ComPtr.h"
#include "win/KeyOwner.h"
#include "win/Owners.h"
#include "host/com/TypeLibraries.h"

namespace sprig {
namespace {

// A file that the build made, by its Windows name (Wine's drive Z: is the root).
std::wstring BuiltFile(const char* unixPath) {
    std::wstring path = L"Z:";
    for (const char* c = unixPath; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path;
}
const std::wstring BuiltDll = BuiltFile(SPRIG_DLL);
const std::wstring BuiltTypeLibrary = BuiltFile(SPRIG_TLB);

std::wstring Braced(const GUID& id) {
    wchar_t text[40];
    StringFromGUID2(id, text, 40);
    return text;
}
const std::wstring ClassKey = L"CLSID\\" + Braced(CLSID_Connect);
const std::wstring AddInsKey = L"SOFTWARE\\Microsoft\\VisualStudio\\8.0\\AddIns";
const std::wstring AddInKey = AddInsKey + L"\\Sprig.Connect";

// The DLL loaded by path, and its four exports.
class ServerDll {
public:
    explicit ServerDll(const std::wstring& path) : module_(LoadLibraryW(path.c_str())) {}

    HMODULE get() const { return module_.get(); }
    HRESULT CanUnloadNow() const { return Export<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow")(); }
    HRESULT GetClassObject(REFCLSID classId, REFIID iid, void** out) const {
        return Export<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject")(classId, iid, out);
    }
    HRESULT Register() const { return Export<HRESULT(STDAPICALLTYPE*)()>("DllRegisterServer")(); }
    HRESULT Unregister() const { return Export<HRESULT(STDAPICALLTYPE*)()>("DllUnregisterServer")(); }

private:
    template <class Function>
    Function Export(const char* name) const {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_.get(), name)));
    }

    Library module_;
};

bool KeyExists(HKEY root, const std::wstring& path) { return static_cast<bool>(OpenKey(root, path.c_str(), KEY_READ)); }

// The key at `path` and everything below it as text: "[path]" and then one line per value,
// "name=type:data" ("@" for the default value), the values and the subkeys in name order.
// Empty when the key is not there.
std::wstring Dump(HKEY root, const std::wstring& path) {
    const KeyOwner key = OpenKey(root, path.c_str(), KEY_READ);
    if (!key) return L"";
    std::vector<std::wstring> values, subkeys;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0, size = 4096;
        std::vector<BYTE> data(size);
        if (RegEnumValueW(key.get(), i, name, &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
        std::wstring line = nameLength ? std::wstring(name, nameLength) : L"@";
        if (type == REG_SZ) {
            std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
            const bool terminated = !text.empty() && text.back() == L'\0';
            if (terminated) text.pop_back();
            line += (terminated ? L"=sz:" : L"=sz(unterminated):") + text;
        } else if (type == REG_DWORD && size == sizeof(DWORD)) {
            line += L"=dword:" + std::to_wstring(*reinterpret_cast<const DWORD*>(data.data()));
        } else {
            line += L"=type" + std::to_wstring(type);
        }
        values.push_back(line);
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key.get(), i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.emplace_back(name, nameLength);
    }
    std::sort(values.begin(), values.end());
    std::sort(subkeys.begin(), subkeys.end());
    std::wstring text = L"[" + path + L"]\n";
    for (const std::wstring& value : values) text += value + L"\n";
    for (const std::wstring& subkey : subkeys) text += Dump(root, path + L"\\" + subkey);
    return text;
}

// Where the system finds the registered type library; empty when it is not registered.
std::wstring RegisteredTypeLibrary() {
    Bstr path;
    if (FAILED(QueryPathOfRegTypeLib(LIBID_SprigLib, 1, 0, 0x0409, path.put()))) return L"";
    return std::wstring(path.get(), path.length());
}

// What registration writes, for the DLL at `dll`.
std::wstring ExpectedEntries(const std::wstring& dll) {
    const std::wstring classId = Braced(CLSID_Connect);
    return L"[Sprig.Connect.1]\n@=sz:Connect Class\n"
           L"[Sprig.Connect.1\\CLSID]\n@=sz:" +
           classId +
           L"\n"
           L"[Sprig.Connect]\n@=sz:Connect Class\n"
           L"[Sprig.Connect\\CLSID]\n@=sz:" +
           classId +
           L"\n"
           L"[Sprig.Connect\\CurVer]\n@=sz:Sprig.Connect.1\n"
           L"[" +
           ClassKey +
           L"]\n@=sz:Connect Class\n"
           L"[" +
           ClassKey + L"\\InprocServer32]\n@=sz:" + dll +
           L"\nThreadingModel=sz:Apartment\n"
           L"[" +
           ClassKey +
           L"\\ProgID]\n@=sz:Sprig.Connect.1\n"
           L"[" +
           ClassKey +
           L"\\Programmable]\n"
           L"[" +
           ClassKey + L"\\TypeLib]\n@=sz:" + Braced(LIBID_SprigLib) +
           L"\n"
           L"[" +
           ClassKey +
           L"\\VersionIndependentProgID]\n@=sz:Sprig.Connect\n"
           L"[" +
           AddInKey +
           L"]\n"
           L"AboutBoxDetails=sz:The Sprig! Add-in for Visual Studio adds the ability to quickly filter and open any "
           L"files in your solution.\\r\\nCopyright (C) 2026 The Sprig developers\\r\\nhttps://sprig.example.org/\n"
           L"AboutBoxIcon=sz:" +
           dll +
           L",1\n"
           L"CommandLineSafe=dword:0\n"
           L"CommandPreload=dword:1\n"
           L"Description=sz:The Sprig! Add-in adds the ability to quickly filter and open any files in your "
           L"solution.\n"
           L"FriendlyName=sz:Sprig!\n"
           L"LoadBehavior=dword:0\n";
}

std::wstring WrittenEntries() {
    return Dump(HKEY_CLASSES_ROOT, L"Sprig.Connect.1") + Dump(HKEY_CLASSES_ROOT, L"Sprig.Connect") +
           Dump(HKEY_CLASSES_ROOT, ClassKey) + Dump(HKEY_CURRENT_USER, AddInKey);
}

void CreateKeyWithValue(HKEY root, const std::wstring& path, const wchar_t* name) {
    LONG error = ERROR_SUCCESS;
    const KeyOwner key = CreateKey(root, path.c_str(), KEY_WRITE, &error);
    ASSERT_EQ(error, ERROR_SUCCESS);
    const DWORD data = 7;
    EXPECT_EQ(RegSetValueExW(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data)),
              ERROR_SUCCESS);
}

// Files and directories made under the temporary directory, removed again at the end. Paths carry
// the \\?\ prefix, which lets them be longer than MAX_PATH.
class TemporaryFiles {
public:
    TemporaryFiles() {
        wchar_t temp[MAX_PATH];
        const DWORD length = GetTempPathW(MAX_PATH, temp);
        root_ = std::wstring(temp, length);
        if (!root_.empty() && root_.back() == L'\\') root_.pop_back();
    }
    ~TemporaryFiles() {
        for (auto file = files_.rbegin(); file != files_.rend(); ++file) DeleteFileW(Long(*file).c_str());
        for (auto directory = directories_.rbegin(); directory != directories_.rend(); ++directory) {
            RemoveDirectoryW(Long(*directory).c_str());
        }
    }
    TemporaryFiles(const TemporaryFiles&) = delete;
    TemporaryFiles& operator=(const TemporaryFiles&) = delete;

    const std::wstring& Root() const { return root_; }
    std::wstring Directory(const std::wstring& path) {
        EXPECT_TRUE(CreateDirectoryW(Long(path).c_str(), nullptr)) << GetLastError();
        directories_.push_back(path);
        return path;
    }
    std::wstring Copy(const std::wstring& from, const std::wstring& to) {
        EXPECT_TRUE(CopyFileW(from.c_str(), Long(to).c_str(), FALSE)) << GetLastError();
        files_.push_back(to);
        return to;
    }
    static std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }

private:
    std::wstring root_;
    std::vector<std::wstring> directories_, files_;
};

// The environment's user-interface thread, with the environment's type libraries registered, and
// no registration of the add-in left from an earlier run.
class ServerSetUp : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        ASSERT_HRESULT_SUCCEEDED(host::RegisterHostTypeLibraries());
        const ServerDll dll(BuiltDll);
        ASSERT_NE(dll.get(), nullptr);
        dll.Unregister();
        ASSERT_EQ(WrittenEntries(), L"");
    }
    void TearDown() override { CoUninitialize(); }
};

[[maybe_unused]] ::testing::Environment* const setUp = ::testing::AddGlobalTestEnvironment(new ServerSetUp);

TEST(Server, OneClassObjectHoldsTheModuleForEachClientReferenceAndNothingElse) {
    const ServerDll dll(BuiltDll);
    ASSERT_NE(dll.get(), nullptr);
    EXPECT_EQ(dll.CanUnloadNow(), S_OK);

    void* out = &out;
    EXPECT_EQ(dll.GetClassObject(CLSID_Connect, IID_IClassFactory, nullptr), E_POINTER);
    EXPECT_EQ(dll.GetClassObject(LIBID_SprigLib, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);

    IClassFactory* cached = nullptr;
    {
        ComPtr<IClassFactory> factory;
        ComPtr<IUnknown> same;
        ASSERT_EQ(dll.GetClassObject(CLSID_Connect, IID_IClassFactory, reinterpret_cast<void**>(factory.put())), S_OK);
        EXPECT_EQ(dll.CanUnloadNow(), S_FALSE);
        ASSERT_EQ(dll.GetClassObject(CLSID_Connect, IID_IUnknown, reinterpret_cast<void**>(same.put())), S_OK);
        EXPECT_EQ(same.get(), factory.get());
        cached = factory.get();
        out = &out;
        EXPECT_EQ(dll.GetClassObject(CLSID_Connect, IID_IDispatch, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);

        // Refused creations leave no object behind: nothing holds the module once the class
        // object is given back.
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
        for (const IID* iid : {&IID_IUnknown, &__uuidof(IDTCommandTarget)}) {
            out = &out;
            EXPECT_EQ(factory->CreateInstance(same.get(), *iid, &out), CLASS_E_NOAGGREGATION);
            EXPECT_EQ(out, nullptr);
        }
        out = &out;
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(dll.CanUnloadNow(), S_OK);

    // A living connection object holds the module after its class object is given back.
    ComPtr<IDTCommandTarget> target;
    {
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(dll.GetClassObject(CLSID_Connect, IID_IClassFactory, reinterpret_cast<void**>(factory.put())), S_OK);
        EXPECT_EQ(factory.get(), cached);  // the module kept it
        ASSERT_EQ(factory->CreateInstance(nullptr, __uuidof(IDTCommandTarget), reinterpret_cast<void**>(target.put())),
                  S_OK);
    }
    EXPECT_EQ(dll.CanUnloadNow(), S_FALSE);
    target = nullptr;
    EXPECT_EQ(dll.CanUnloadNow(), S_OK);

    // So does a server lock until it is undone.
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(dll.GetClassObject(CLSID_Connect, IID_IClassFactory, reinterpret_cast<void**>(factory.put())), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory = nullptr;
    EXPECT_EQ(dll.CanUnloadNow(), S_FALSE);
    ASSERT_EQ(dll.GetClassObject(CLSID_Connect, IID_IClassFactory, reinterpret_cast<void**>(factory.put())), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory = nullptr;
    EXPECT_EQ(dll.CanUnloadNow(), S_FALSE);
    ASSERT_EQ(dll.GetClassObject(CLSID_Connect, IID_IClassFactory, reinterpret_cast<void**>(factory.put())), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory = nullptr;
    EXPECT_EQ(dll.CanUnloadNow(), S_OK);
}

// One thread's request for the class object, made once `start` is set.
struct Request {
    const ServerDll* dll;
    HANDLE start;
    ComPtr<IClassFactory> factory{};
    HRESULT result = E_FAIL;
};

DWORD WINAPI AskForClassObject(void* argument) {
    auto& r = *static_cast<Request*>(argument);
    WaitForSingleObject(r.start, INFINITE);
    r.result = r.dll->GetClassObject(CLSID_Connect, IID_IClassFactory, reinterpret_cast<void**>(r.factory.put()));
    return 0;
}

// Threads that ask for the class object at once, on a freshly loaded DLL, all get the one object.
TEST(Server, ThreadsAskingAtOnceShareOneClassObject) {
    ASSERT_EQ(GetModuleHandleW(BuiltDll.c_str()), nullptr);
    const ServerDll dll(BuiltDll);
    ASSERT_NE(dll.get(), nullptr);
    const Handle start(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::vector<Request> requests(8, Request{&dll, start.get()});
    std::vector<Handle> threads;
    std::vector<HANDLE> running;
    for (Request& request : requests) {
        threads.emplace_back(CreateThread(nullptr, 0, AskForClassObject, &request, 0, nullptr));
        running.push_back(threads.back().get());
    }
    SetEvent(start.get());
    WaitForMultipleObjects(static_cast<DWORD>(running.size()), running.data(), TRUE, INFINITE);
    for (const Request& request : requests) {
        EXPECT_EQ(request.result, S_OK);
        EXPECT_EQ(request.factory.get(), requests[0].factory.get());
    }
    EXPECT_EQ(dll.CanUnloadNow(), S_FALSE);
    for (Request& request : requests) request.factory = nullptr;
    EXPECT_EQ(dll.CanUnloadNow(), S_OK);
}

TEST(Server, TheComRuntimeMakesTheConnectionByProgIdAndFreesTheDllAfterIt) {
    ASSERT_EQ(ServerDll(BuiltDll).Register(), S_OK);
    ASSERT_EQ(GetModuleHandleW(BuiltDll.c_str()), nullptr);
    for (const wchar_t* progId : {L"Sprig.Connect", L"Sprig.Connect.1"}) {
        CLSID classId{};
        EXPECT_EQ(CLSIDFromProgID(progId, &classId), S_OK) << progId;
        EXPECT_EQ(classId, CLSID_Connect) << progId;
    }
    {
        CLSID classId{};
        ASSERT_EQ(CLSIDFromProgID(L"Sprig.Connect", &classId), S_OK);
        ComPtr<IDTCommandTarget> target;
        ASSERT_EQ(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IDTCommandTarget),
                                   reinterpret_cast<void**>(target.put())),
                  S_OK);
        EXPECT_NE(GetModuleHandleW(BuiltDll.c_str()), nullptr);
        const Bstr name(L"Sprig.Connect.Sprig");
        vsCommandStatus status = vsCommandStatusUnsupported;
        Variant text;
        EXPECT_EQ(target->QueryStatus(name.get(), vsCommandStatusTextWantedNone, &status, text.get()), S_OK);
        EXPECT_EQ(status, vsCommandStatusSupported | vsCommandStatusEnabled);

        // Late binding loads the life-cycle face's type information, which the DLL keeps until it
        // is freed.
        ComPtr<IDispatch> dispatch;
        ASSERT_EQ(target->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.put())), S_OK);
        LPOLESTR member = const_cast<LPOLESTR>(L"OnStartupComplete");
        DISPID id = DISPID_UNKNOWN;
        EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &member, 1, 0, &id), S_OK);
        EXPECT_EQ(id, 4);
        CoFreeUnusedLibrariesEx(0, 0);
        EXPECT_NE(GetModuleHandleW(BuiltDll.c_str()), nullptr) << "freed while a connection object lives";
    }
    CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_EQ(GetModuleHandleW(BuiltDll.c_str()), nullptr);
    EXPECT_EQ(ServerDll(BuiltDll).Unregister(), S_OK);
}

TEST(Registration, RegsvrWritesExactlyTheEntriesAndTakesThemAwayAgain) {
    const auto regsvr = [](const std::wstring& options) {
        std::wstring command = L"regsvr32.exe " + options + L" \"" + BuiltDll + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process)) {
            return ~DWORD{0};
        }
        const Handle thread(process.hThread), running(process.hProcess);
        WaitForSingleObject(running.get(), INFINITE);
        DWORD code = ~DWORD{0};
        GetExitCodeProcess(running.get(), &code);
        return code;
    };
    ASSERT_EQ(regsvr(L"/s"), 0u);
    EXPECT_EQ(WrittenEntries(), ExpectedEntries(BuiltDll));
    EXPECT_EQ(RegisteredTypeLibrary(), BuiltDll);
    // The library names no help file: its help directory is empty, not the DLL's folder.
    const std::wstring helpDirectory = L"TypeLib\\" + Braced(LIBID_SprigLib) + L"\\1.0\\HELPDIR";
    EXPECT_EQ(Dump(HKEY_CLASSES_ROOT, helpDirectory), L"[" + helpDirectory + L"]\n@=sz:\n");

    ASSERT_EQ(regsvr(L"/u /s"), 0u);
    EXPECT_EQ(WrittenEntries(), L"");
    EXPECT_EQ(RegisteredTypeLibrary(), L"");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\" + Braced(LIBID_SprigLib)));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, AddInsKey));
}

TEST(Registration, RegisteringAgainReplacesTheClassAndAddInKeysWholeInTheCallersLocale) {
    const ServerDll dll(BuiltDll);
    const LCID original = GetThreadLocale();
    const LCID german = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);
    ASSERT_TRUE(SetThreadLocale(german));
    ASSERT_EQ(dll.Register(), S_OK);
    EXPECT_EQ(GetThreadLocale(), german);

    // What someone else put into the replaced keys goes; the rest is written once again.
    CreateKeyWithValue(HKEY_CLASSES_ROOT, ClassKey + L"\\Stale", L"Stale");
    CreateKeyWithValue(HKEY_CLASSES_ROOT, ClassKey + L"\\Programmable", L"Stale");
    CreateKeyWithValue(HKEY_CURRENT_USER, AddInKey, L"Stale");
    CreateKeyWithValue(HKEY_CURRENT_USER, AddInKey + L"\\Stale", L"Stale");
    ASSERT_EQ(dll.Register(), S_OK);
    EXPECT_EQ(WrittenEntries(), ExpectedEntries(BuiltDll));

    // A ProgID key that holds a key of someone else's stays for it, emptied of the add-in's entries.
    CreateKeyWithValue(HKEY_CLASSES_ROOT, L"Sprig.Connect\\Other", L"Kept");
    CreateKeyWithValue(HKEY_CLASSES_ROOT, L"Sprig.Connect.1\\CLSID\\Other", L"Kept");
    ASSERT_EQ(dll.Unregister(), S_OK);
    EXPECT_EQ(GetThreadLocale(), german);
    EXPECT_EQ(WrittenEntries(),
              L"[Sprig.Connect.1]\n[Sprig.Connect.1\\CLSID]\n[Sprig.Connect.1\\CLSID\\Other]\n"
              L"Kept=dword:7\n[Sprig.Connect]\n[Sprig.Connect\\Other]\nKept=dword:7\n");
    EXPECT_EQ(SHDeleteKeyW(HKEY_CLASSES_ROOT, L"Sprig.Connect"), ERROR_SUCCESS);
    EXPECT_EQ(SHDeleteKeyW(HKEY_CLASSES_ROOT, L"Sprig.Connect.1"), ERROR_SUCCESS);
    SetThreadLocale(original);
}

TEST(Registration, ADllInADirectoryWithAnApostropheRegistersItsPathAsItStands) {
    TemporaryFiles files;
    const std::wstring directory = files.Directory(files.Root() + L"\\Sprig's add-in");
    const std::wstring copy = files.Copy(BuiltDll, directory + L"\\Sprig.dll");
    const ServerDll dll(copy);
    ASSERT_NE(dll.get(), nullptr);
    ASSERT_EQ(dll.Register(), S_OK);
    EXPECT_EQ(WrittenEntries(), ExpectedEntries(copy));
    EXPECT_EQ(RegisteredTypeLibrary(), copy);
    EXPECT_EQ(dll.Unregister(), S_OK);
    EXPECT_EQ(WrittenEntries(), L"");
}

TEST(Registration, APathOf260UnitsOrMoreIsRefusedBeforeAnythingIsWritten) {
    TemporaryFiles files;
    std::wstring directory = files.Directory(files.Root() + L"\\Sprig long path");
    const std::wstring file = L"\\Sprig.dll";
    // Directories that bring the DLL's path to 259 units, the longest that fits, then one more.
    while (directory.size() + file.size() < 259 - 50)
        directory = files.Directory(directory + L"\\" + std::wstring(40, L'd'));
    const std::wstring fits =
        files.Directory(directory + L"\\" + std::wstring(259 - file.size() - directory.size() - 1, L'f'));
    const std::wstring tooLong =
        files.Directory(directory + L"\\" + std::wstring(260 - file.size() - directory.size() - 1, L'l'));
    for (const auto& [where, expected] :
         {std::pair{fits, S_OK}, std::pair{tooLong, HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER)}}) {
        const std::wstring copy = files.Copy(BuiltDll, where + file);
        SCOPED_TRACE(copy.size());
        // Only the \\?\ form loads a file whose path does not fit MAX_PATH.
        const ServerDll dll(expected == S_OK ? copy : TemporaryFiles::Long(copy));
        ASSERT_NE(dll.get(), nullptr);
        EXPECT_EQ(dll.Register(), expected);
        EXPECT_EQ(WrittenEntries(), expected == S_OK ? ExpectedEntries(copy) : L"");
        EXPECT_EQ(dll.Unregister(), expected);
        EXPECT_EQ(WrittenEntries(), L"");
    }
}

TEST(Registration, TheTypeLibraryComesFromTheTlbBesideADllWhoseOwnCannotBeLoaded) {
    TemporaryFiles files;
    const std::wstring directory = files.Directory(files.Root() + L"\\Sprig with a broken library");
    const std::wstring copy = files.Copy(BuiltDll, directory + L"\\Sprig.dll");
    const HANDLE update = BeginUpdateResourceW(copy.c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    // Wine does not delete resources, so the library is replaced by bytes that are none.
    char notALibrary[] = "none";
    ASSERT_TRUE(UpdateResourceW(update, L"TYPELIB", MAKEINTRESOURCEW(1), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                notALibrary, sizeof(notALibrary)));
    ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
    const std::wstring besideDll = directory + L"\\Sprig.tlb";
    ComPtr<ITypeLib> library;
    ASSERT_HRESULT_FAILED(LoadTypeLibEx(copy.c_str(), REGKIND_NONE, library.put()));
    const HRESULT missing = LoadTypeLibEx(besideDll.c_str(), REGKIND_NONE, library.put());
    ASSERT_HRESULT_FAILED(missing);

    const ServerDll dll(copy);
    ASSERT_NE(dll.get(), nullptr);
    // Found in neither place: the load's failure, after the registry entries were written.
    EXPECT_EQ(dll.Register(), missing);
    EXPECT_EQ(WrittenEntries(), ExpectedEntries(copy));
    EXPECT_EQ(dll.Unregister(), missing);
    EXPECT_EQ(WrittenEntries(), L"");

    files.Copy(BuiltTypeLibrary, besideDll);
    EXPECT_EQ(dll.Register(), S_OK);
    EXPECT_EQ(RegisteredTypeLibrary(), besideDll);
    EXPECT_EQ(dll.Unregister(), S_OK);
    EXPECT_EQ(RegisteredTypeLibrary(), L"");
}

// The library's and the class's names, help strings and attributes, and the class's default
// interface. (widl describes IUnknown inside the library, so its other entries describe that.)
TEST(Server, TheTypeLibraryDescribesTheConnectClass) {
    const auto documentation = [](auto* item, MEMBERID member) {
        Bstr name, help;
        EXPECT_EQ(item->GetDocumentation(member, name.put(), help.put(), nullptr, nullptr), S_OK);
        return std::wstring(name.get()) + L": " + help.get();
    };
    ComPtr<ITypeLib> library;
    ASSERT_EQ(LoadTypeLibEx(BuiltDll.c_str(), REGKIND_NONE, library.put()), S_OK);
    EXPECT_EQ(documentation(library.get(), MEMBERID_NIL), L"SprigLib: Sprig 1.0 Type Library");
    TLIBATTR* libraryAttributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&libraryAttributes), S_OK);
    EXPECT_EQ(libraryAttributes->guid, LIBID_SprigLib);
    EXPECT_EQ(libraryAttributes->lcid, 0x0409u);
    EXPECT_EQ(MAKELONG(libraryAttributes->wMinorVerNum, libraryAttributes->wMajorVerNum), MAKELONG(0, 1));
    library->ReleaseTLibAttr(libraryAttributes);

    ComPtr<ITypeInfo> coclass, unknown;
    ASSERT_EQ(library->GetTypeInfoOfGuid(CLSID_Connect, coclass.put()), S_OK);
    EXPECT_EQ(documentation(coclass.get(), MEMBERID_NIL), L"Connect: Connect Class");
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(coclass->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FCANCREATE);
    EXPECT_EQ(attributes->cImplTypes, 1);
    coclass->ReleaseTypeAttr(attributes);
    INT flags = 0;
    HREFTYPE reference = 0;
    EXPECT_EQ(coclass->GetImplTypeFlags(0, &flags), S_OK);
    EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT);
    ASSERT_EQ(coclass->GetRefTypeOfImplType(0, &reference), S_OK);
    ASSERT_EQ(coclass->GetRefTypeInfo(reference, unknown.put()), S_OK);
    ASSERT_EQ(unknown->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->guid, IID_IUnknown);
    unknown->ReleaseTypeAttr(attributes);
}

TEST(Server, TheVersionBlockDescribesTheAddIn) {
    DWORD ignored = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeW(BuiltDll.c_str(), &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoW(BuiltDll.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    void* data = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &data, &size));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(data);
    // File and product version: the project's version and 0; no flags, 32-bit Windows, a DLL.
    constexpr DWORD high = SPRIG_VERSION_MAJOR << 16 | SPRIG_VERSION_MINOR, low = SPRIG_VERSION_PATCH << 16;
    EXPECT_EQ((std::vector<DWORD>{fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                                  fixed->dwProductVersionLS, fixed->dwFileFlags & fixed->dwFileFlagsMask,
                                  fixed->dwFileOS, fixed->dwFileType}),
              (std::vector<DWORD>{high, low, high, low, 0, VOS__WINDOWS32, VFT_DLL}));

    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &data, &size));
    ASSERT_EQ(size, 4u);
    EXPECT_EQ(static_cast<const WORD*>(data)[0], 0x0409);
    EXPECT_EQ(static_cast<const WORD*>(data)[1], 1200);

    const std::pair<const wchar_t*, const wchar_t*> strings[] = {
        {L"Comments", L"The Sprig! Add-in adds the ability to quickly filter and open any files in your solution."},
        {L"FileDescription", L"Sprig!"},
        {L"FileVersion", L"1.0.0"},
        {L"InternalName", L"Sprig.dll"},
        {L"LegalCopyright", L"Copyright (C) 2026 The Sprig developers"},
        {L"OriginalFilename", L"Sprig.dll"},
        {L"ProductName", L"Sprig!"},
        {L"ProductVersion", L"1.0.0"},
    };
    for (const auto& [key, expected] : strings) {
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
        ASSERT_TRUE(VerQueryValueW(block.data(), path.c_str(), &data, &size)) << key;
        EXPECT_STREQ(static_cast<const wchar_t*>(data), expected) << key;
        EXPECT_EQ(size, wcslen(expected) + 1) << key;
    }
}

}  // namespace
}  // namespace sprig
