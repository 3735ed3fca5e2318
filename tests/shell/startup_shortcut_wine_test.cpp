// The Startup shortcut against the real shell of the test prefix: the link
// is read back through IShellLinkA, creation overwrites, deletion and the
// existence check work on any file of that name, COM is left as it was found
// (also when a fault is swallowed), and the library's entries 4 and 5 reach
// the same operations.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <memory>
#include <string>

#include <tolvar/tolvar_host.h>

#include "options/shell/startup_shortcut.h"
#include "support/import_patch.h"
#include "support/shortcut_link.h"

namespace {

using tolvar_test::LinkSettings;
using tolvar_test::ReadLink;

std::string Narrow(const wchar_t *wide)
{
    char text[MAX_PATH * 2] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

std::string StartupFolder()
{
    CoInitialize(nullptr);
    wchar_t *folder = tolvar::GetStartupFolder();
    std::string result = folder ? Narrow(folder) : "";
    if (folder)
        HeapFree(GetProcessHeap(), 0, folder);
    CoUninitialize();
    return result;
}

std::string ShortcutPath()
{
    return StartupFolder() + "\\Tolvar.lnk";
}

// The same, wide: the only form of a folder named in letters outside the
// ANSI code page.
std::wstring WideShortcutPath()
{
    CoInitialize(nullptr);
    wchar_t *folder = tolvar::GetStartupFolder();
    const std::wstring result = folder ? std::wstring(folder) + L"\\Tolvar.lnk" : L"";
    if (folder)
        HeapFree(GetProcessHeap(), 0, folder);
    CoUninitialize();
    return result;
}

// For one test, the user's Startup folder lies in a profile named in
// Cyrillic ("C:\users\Дмитрий\..."), as the shell finds it through the
// user's shell folders in the registry.
class CyrillicStartupFolder {
public:
    CyrillicStartupFolder()
    {
        RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        DWORD size = sizeof old_;
        hadOld_ = RegQueryValueExW(key_, L"Startup", nullptr, &oldType_, reinterpret_cast<BYTE *>(old_), &size) ==
                  ERROR_SUCCESS;
        CreateDirectoryW(kProfile, nullptr);
        CreateDirectoryW(kFolder, nullptr);
        DeleteFileW(Link().c_str());  // what a run that failed left there
        RegSetValueExW(key_, L"Startup", 0, REG_SZ, reinterpret_cast<const BYTE *>(kFolder),
                       static_cast<DWORD>((lstrlenW(kFolder) + 1) * sizeof(wchar_t)));
    }
    ~CyrillicStartupFolder()
    {
        if (hadOld_)
            RegSetValueExW(key_, L"Startup", 0, oldType_, reinterpret_cast<const BYTE *>(old_),
                           static_cast<DWORD>((lstrlenW(old_) + 1) * sizeof(wchar_t)));
        else
            RegDeleteValueW(key_, L"Startup");
        RegCloseKey(key_);
        DeleteFileW(Link().c_str());
        RemoveDirectoryW(kFolder);
        RemoveDirectoryW(kProfile);
    }
    bool moved() const { return WideShortcutPath() == Link(); }
    static std::wstring Link() { return std::wstring(kFolder) + L"\\Tolvar.lnk"; }

private:
    static constexpr const wchar_t *kKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    static constexpr const wchar_t *kProfile = L"C:\\users\\\x0414\x043C\x0438\x0442\x0440\x0438\x0439";
    static constexpr const wchar_t *kFolder = L"C:\\users\\\x0414\x043C\x0438\x0442\x0440\x0438\x0439\\Startup";
    HKEY key_ = nullptr;
    wchar_t old_[MAX_PATH] = L"";
    DWORD oldType_ = REG_SZ;
    bool hadOld_ = false;
};

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int CountMatching(const std::string &pattern)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do
        ++count;
    while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

// True when COM was not initialised on this thread (nothing left behind).
bool ComIsUninitialised()
{
    HRESULT result = CoInitialize(nullptr);
    if (SUCCEEDED(result))
        CoUninitialize();
    return result == S_OK;
}

class StartupShortcut : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = StartupFolder();
        ASSERT_FALSE(folder_.empty()) << "the prefix has a Startup folder";
        DeleteFileA((folder_ + "\\Tolvar.lnk").c_str());
        ASSERT_TRUE(ComIsUninitialised());
    }
    void TearDown() override { DeleteFileA((folder_ + "\\Tolvar.lnk").c_str()); }
    std::string folder_;
};

TEST_F(StartupShortcut, StartupFolderIsTheUsersOwn)
{
    DWORD attributes = GetFileAttributesA(folder_.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    char expected[MAX_PATH] = "";
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, expected, CSIDL_STARTUP, FALSE));
    EXPECT_EQ(lstrcmpiA(folder_.c_str(), expected), 0) << folder_ << " vs " << expected;
}

TEST_F(StartupShortcut, CreatedLinkOpensTheExecutableInItsFolder)
{
    tolvar::CreateStartupShortcut();
    EXPECT_TRUE(ComIsUninitialised());
    ASSERT_TRUE(FileExists(ShortcutPath()));

    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string exePath = exe;
    LinkSettings link = ReadLink(ShortcutPath());
    ASSERT_TRUE(link.loaded);
    EXPECT_EQ(lstrcmpiA(link.target.c_str(), exePath.c_str()), 0) << link.target;
    EXPECT_EQ(lstrcmpiA(link.workingFolder.c_str(),
                        exePath.substr(0, exePath.rfind('\\')).c_str()),
              0)
        << link.workingFolder;
    EXPECT_EQ(link.arguments, "");
    EXPECT_EQ(link.description, "");
    EXPECT_EQ(link.showCommand, SW_SHOWNORMAL);
}

TEST_F(StartupShortcut, CreatingTwiceLeavesOneShortcut)
{
    // A stale file of that name is overwritten, not kept beside a new one.
    HANDLE stale = CreateFileA(ShortcutPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                               nullptr);
    ASSERT_NE(stale, INVALID_HANDLE_VALUE);
    DWORD written;
    WriteFile(stale, "stale", 5, &written, nullptr);
    CloseHandle(stale);

    tolvar::CreateStartupShortcut();
    tolvar::CreateStartupShortcut();
    EXPECT_EQ(CountMatching(folder_ + "\\Tolvar*.lnk"), 1);
    EXPECT_TRUE(ReadLink(ShortcutPath()).loaded) << "the stale file was replaced by a link";
}

TEST_F(StartupShortcut, ExistenceFollowsAnyFileOfThatName)
{
    struct Step {
        const char *label;
        void (*action)(const std::wstring &path);
        bool exists;
    };
    const Step steps[] = {
        {"nothing there", [](const std::wstring &) {}, false},
        {"after creation", [](const std::wstring &) { tolvar::CreateStartupShortcut(); }, true},
        {"after deletion", [](const std::wstring &) { tolvar::DeleteStartupShortcut(); }, false},
        {"deleting again changes nothing",
         [](const std::wstring &) { tolvar::DeleteStartupShortcut(); }, false},
        {"a plain file of that name",
         [](const std::wstring &path) {
             HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                    nullptr);
             CloseHandle(f);
         },
         true},
        {"deletion removes that file too",
         [](const std::wstring &) { tolvar::DeleteStartupShortcut(); }, false},
    };
    for (bool cyrillic : {false, true}) {
        SCOPED_TRACE(cyrillic ? "a Startup folder named in Cyrillic" : "the prefix's Startup folder");
        std::unique_ptr<CyrillicStartupFolder> moved(cyrillic ? new CyrillicStartupFolder : nullptr);
        ASSERT_TRUE(!moved || moved->moved());
        const std::wstring path = WideShortcutPath();
        for (const Step &step : steps) {
            SCOPED_TRACE(step.label);
            step.action(path);
            EXPECT_EQ(tolvar::StartupShortcutExists(), step.exists);
            EXPECT_EQ(GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES, step.exists);
            EXPECT_TRUE(ComIsUninitialised());
        }
    }
}

// A shell that faults inside the operation: the fault is swallowed, COM is
// uninitialised, the existence check answers false.
HRESULT WINAPI FaultingGetMalloc(IMalloc **allocator)
{
    int *volatile nowhere = nullptr;
    *nowhere = 1;
    *allocator = nullptr;
    return E_FAIL;
}

HRESULT WINAPI FailingGetMalloc(IMalloc **allocator)
{
    *allocator = nullptr;
    return E_OUTOFMEMORY;
}

TEST_F(StartupShortcut, FaultOrMissingFolderChangesNothing)
{
    tolvar::CreateStartupShortcut();
    ASSERT_TRUE(FileExists(ShortcutPath()));
    const std::string path = ShortcutPath();

    struct Case {
        const char *label;
        void *replacement;
    };
    const Case cases[] = {
        {"fault", reinterpret_cast<void *>(FaultingGetMalloc)},
        {"no Startup folder", reinterpret_cast<void *>(FailingGetMalloc)},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.label);
        void *original = tolvar_test::PatchImport(GetModuleHandleA(nullptr), "shell32.dll",
                                                  "SHGetMalloc", k.replacement);
        ASSERT_NE(original, nullptr);
        EXPECT_FALSE(tolvar::StartupShortcutExists());
        EXPECT_TRUE(ComIsUninitialised());
        tolvar::DeleteStartupShortcut();
        EXPECT_TRUE(ComIsUninitialised());
        tolvar::CreateStartupShortcut();
        EXPECT_TRUE(ComIsUninitialised());
        tolvar_test::PatchImport(GetModuleHandleA(nullptr), "shell32.dll", "SHGetMalloc", original);
        EXPECT_TRUE(FileExists(path)) << "nothing was deleted";
    }
    EXPECT_TRUE(tolvar::StartupShortcutExists()) << "works again with the real shell";
}

// A host thread that already uses COM keeps it exactly as it was, whichever
// apartment it is in: each operation undoes only what it set up itself.
struct ComThreadRun {
    DWORD apartment;      // COINIT_* the thread starts with; ~0u: no COM
    HRESULT started;      // what that initialisation returned
    HRESULT reinitialised; // the thread's own CoInitializeEx after the operations
    bool exists;
};

DWORD WINAPI RunOperationsOnComThread(LPVOID context)
{
    ComThreadRun &run = *static_cast<ComThreadRun *>(context);
    const bool withCom = run.apartment != ~0u;
    if (withCom)
        run.started = CoInitializeEx(nullptr, run.apartment);
    tolvar::CreateStartupShortcut();
    run.exists = tolvar::StartupShortcutExists();
    tolvar::DeleteStartupShortcut();
    // S_FALSE: the thread is still in its apartment; S_OK: COM was gone.
    const DWORD again = withCom ? run.apartment : static_cast<DWORD>(COINIT_APARTMENTTHREADED);
    run.reinitialised = CoInitializeEx(nullptr, again);
    if (SUCCEEDED(run.reinitialised))
        CoUninitialize();
    if (withCom && SUCCEEDED(run.started))
        CoUninitialize();
    return 0;
}

TEST_F(StartupShortcut, TheCallingThreadsComStaysAsItWas)
{
    struct Case {
        const char *label;
        DWORD apartment;
        HRESULT reinitialised;
    } cases[] = {
        {"multithreaded apartment", COINIT_MULTITHREADED, S_FALSE},
        {"single-threaded apartment", COINIT_APARTMENTTHREADED, S_FALSE},
        {"no COM", ~0u, S_OK},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        ComThreadRun run = {c.apartment, E_FAIL, E_FAIL, false};
        HANDLE thread = CreateThread(nullptr, 0, RunOperationsOnComThread, &run, 0, nullptr);
        ASSERT_NE(nullptr, thread);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 600000));
        CloseHandle(thread);
        if (c.apartment != ~0u) {
            EXPECT_EQ(S_OK, run.started);
        }
        EXPECT_TRUE(run.exists) << "the operations worked on that thread";
        EXPECT_EQ(c.reinitialised, run.reinitialised);
        EXPECT_FALSE(FileExists(ShortcutPath()));
    }
}

TEST_F(StartupShortcut, LibraryEntriesCreateAndDelete)
{
    HMODULE library = LoadLibraryA("Tolvar.dll");
    ASSERT_NE(library, nullptr);
    InitDLLProc init = reinterpret_cast<InitDLLProc>(
        reinterpret_cast<void *>(GetProcAddress(library, TV_INIT_DLL_EXPORT)));
    ASSERT_NE(init, nullptr);
    const OptionsEntryTable *table = init(0);

    table->CreateStartupShortcut();
    EXPECT_TRUE(tolvar::StartupShortcutExists());
    EXPECT_TRUE(ReadLink(ShortcutPath()).loaded);
    table->DeleteStartupShortcut();
    EXPECT_FALSE(tolvar::StartupShortcutExists());
    EXPECT_TRUE(ComIsUninitialised());
    FreeLibrary(library);
}

} // namespace
