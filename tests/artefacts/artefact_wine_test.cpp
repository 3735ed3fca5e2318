// The release artefacts as a user gets them, under Wine. Not a test program of
// its own: tests/artefacts/run_artefact_test.sh runs it inside a fresh prefix
// with one of
//   --gtest_filter=UnpackedZip.*  TOLVAR_APP_DIR: the Tolvar folder unpacked
//                                 from the zip
//   --gtest_filter=Installer.*    TOLVAR_SETUP: the setup program
// and TOLVAR_VERSION (the release's version) and TOLVAR_RUN_DIR (a folder
// outside the prefix for logs).
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/companion_hook.h"
#include "support/keyboard.h"
#include "support/polling.h"
#include "support/shortcut_link.h"
#include "options/resources/resource_ids.h"
#include "support/tolvar_program.h"
#include "tolvar/tolvar_host.h"

namespace {

using tolvar_test::FileExists;
using tolvar_test::ReadFileBytes;
using tolvar_test::WaitFor;
using tolvar_test::WriteFileBytes;

const DWORD kWaitMs = 180000;  // generous: a process start costs seconds when emulated
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tolvar";
const char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

std::string Env(const char *name)
{
    char value[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? value : "";
}

std::string Folder(int csidl)
{
    char path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path)) ? path : "";
}

std::string RegistryText(const char *key, const char *value)
{
    char data[1024] = {};
    DWORD size = sizeof data - 1;
    if (RegGetValueA(HKEY_CURRENT_USER, key, value, RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS)
        return "<missing>";
    return data;
}

// Every file below folder, as paths relative to it.
std::vector<std::string> FilesBelow(const std::string &folder, const std::string &prefix = "")
{
    std::vector<std::string> out;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return out;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            for (const std::string &inner : FilesBelow(folder + "\\" + name, prefix + name + "\\"))
                out.push_back(inner);
        } else {
            out.push_back(prefix + name);
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return out;
}

DWORD RegistryNumber(const char *key, const char *value)
{
    DWORD data = 0, size = sizeof data;
    return RegGetValueA(HKEY_CURRENT_USER, key, value, RRF_RT_REG_DWORD, nullptr, &data, &size) ==
                   ERROR_SUCCESS
               ? data
               : 0xFFFFFFFF;
}

bool KeyExists(const char *key)
{
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

// Waits for a process and then for every process it started, which may run on
// after it (an uninstaller goes on from a copy of itself).
bool WaitForProcessTree(HANDLE process, DWORD id)
{
    if (WaitForSingleObject(process, kWaitMs) != WAIT_OBJECT_0)
        return false;
    std::vector<DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ParentProcessID == id && entry.th32ProcessID != id)
            children.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    bool ended = true;
    for (DWORD child : children) {
        if (HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, child)) {
            ended = WaitForProcessTree(h, child) && ended;
            CloseHandle(h);
        }
    }
    return ended;
}

std::wstring Wide(const std::string &text)
{
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                    static_cast<int>(wide.size())));
    return wide;
}

// Runs a command line to the end of its process tree; the exit code of its
// first process, or STILL_ACTIVE when the time ran out.
DWORD RunProcessTree(const std::wstring &commandLine)
{
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        ADD_FAILURE() << "cannot start a program, error " << GetLastError();
        return STILL_ACTIVE;
    }
    DWORD code = STILL_ACTIVE;
    if (WaitForProcessTree(pi.hProcess, pi.dwProcessId))
        GetExitCodeProcess(pi.hProcess, &code);
    else
        ADD_FAILURE() << "a program did not end with all it started";
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

DWORD RunProcessTree(const std::string &commandLine)
{
    return RunProcessTree(Wide(commandLine));
}

DWORD Install(const std::string &folder)
{
    return RunProcessTree("\"" + Env("TOLVAR_SETUP") + "\" /S /D=" + folder);
}

// A new folder for one test's installation among the user's documents.
std::string NewFolder(const std::string &name)
{
    const std::string folder = Folder(CSIDL_PERSONAL) + "\\" + name;
    EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder << " exists already";
    return folder;
}

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

// ---- a running Tolvar and its indications -----------------------------------

// The channel's mapping exists and the hook is installed: keys typed from now
// on are reported.
bool HookInstalled()
{
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, TV_CHANNEL_MAPPING_NAME);
    if (!mapping)
        return false;
    bool hooked = false;
    if (const void *view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) {
        hooked = static_cast<const volatile KeyEventChannel *>(view)->hookHandle != nullptr;
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
    return hooked;
}

// On 64-bit Windows (a 64-bit prefix): the 64-bit companion's hook.
bool CompanionHookInstalledWhereNeeded()
{
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64)
        return true;
    return tolvar_test::CompanionHookProcess() != 0;
}

// The last Caps Lock line of the --log file ("0xKK 0xMM <state> "<name>"
// icon=... sound=..." after the milliseconds) says state, and shows an icon.
bool CapsLockShows(const std::string &log, unsigned state)
{
    const std::vector<std::string> lines = tolvar_test::LogLines(log);
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        unsigned keyCode, modifiers, shown;
        if (sscanf(line->c_str(), "0x%x 0x%x %u", &keyCode, &modifiers, &shown) == 3 &&
            keyCode == VK_CAPITAL)
            return shown == state && line->find(" icon=none") == std::string::npos;
    }
    return false;
}

// Another program the user types into: hook_key_target.exe, a window with an
// edit, in a process of its own. The hook brings TolvarEx.dll into whichever
// process receives keys; ending this one afterwards leaves none of the test's
// processes holding the library when the uninstaller removes it.
class KeyTarget {
public:
    bool Start()
    {
        if (!process_.Start("hook_key_target.exe", Env("TOLVAR_RUN_DIR") + "\\key_target.out"))
            return false;
        return WaitFor(
            [&] {
                window_ = tolvar_test::FindProcessWindow(process_.Id(), "TolvarKeyTarget", nullptr);
                edit_ = window_ ? GetDlgItem(window_, 1) : nullptr;
                return edit_ != nullptr;
            },
            kWaitMs);
    }
    bool Focus() const { return tolvar_test::BringToFront(window_, edit_, kWaitMs); }
    bool Close()
    {
        PostMessageA(window_, WM_CLOSE, 0, 0);
        return process_.WaitForExit(kWaitMs) == 0;
    }

private:
    tolvar_test::ChildProcess process_;
    HWND window_ = nullptr, edit_ = nullptr;
};

// Starts the program as a user would (with an indication log), presses Caps
// Lock twice with real key events typed into the target and sees it indicated
// on, then off; ends the program the way a second start with --exit does.
void ExpectCapsLockIndicated(const KeyTarget &target, const std::wstring &program,
                             const std::string &name)
{
    const std::string runDir = Env("TOLVAR_RUN_DIR");
    const std::string log = runDir + "\\" + name + ".log";
    DeleteFileA(log.c_str());
    ASSERT_FALSE(HookInstalled()) << "another host owns the channel";
    tolvar_test::ChildProcess tolvar;
    ASSERT_TRUE(tolvar.Start(L"\"" + program + L"\" --no-splash --log \"" + Wide(log) + L"\"",
                             runDir + "\\" + name + ".out"));
    ASSERT_TRUE(WaitFor(HookInstalled, kWaitMs)) << name << ": no hook installed";
    ASSERT_TRUE(WaitFor(CompanionHookInstalledWhereNeeded, kWaitMs)) << "no 64-bit companion";

    ASSERT_TRUE(target.Focus());
    tolvar_test::TapKey(VK_CAPITAL);
    EXPECT_TRUE(WaitFor([&] { return CapsLockShows(log, 1); }, kWaitMs))
        << "Caps Lock on was not indicated; log:\n" << ReadFileBytes(log);
    ASSERT_TRUE(target.Focus());
    tolvar_test::TapKey(VK_CAPITAL);
    EXPECT_TRUE(WaitFor([&] { return CapsLockShows(log, 0); }, kWaitMs))
        << "Caps Lock off was not indicated; log:\n" << ReadFileBytes(log);

    EXPECT_EQ(0u, RunProcessTree(L"\"" + program + L"\" --exit"));
    EXPECT_EQ(0u, tolvar.WaitForExit(kWaitMs)) << name << ": Tolvar did not exit cleanly";
}

// The files every Tolvar folder holds, as the package lays them out.
const char *const kProgramFiles[] = {
    "Tolvar.exe",  "Tolvar.dll",  "TolvarEx.dll", "TolvarEx64.dll", "TolvarHook64.exe",
    "Tolvar.html", "README.txt",  "LICENSE.txt",  "Schemes\\Lock Keys.tvs",
};

// ---- the zip ------------------------------------------------------------------

TEST(UnpackedZip, RunsFromItsFolderAndIndicatesCapsLock)
{
    const std::string app = Env("TOLVAR_APP_DIR");
    ASSERT_FALSE(app.empty()) << "TOLVAR_APP_DIR is not set";
    for (const char *file : kProgramFiles)
        EXPECT_TRUE(FileExists(app + "\\" + file)) << file;
    for (const char *folder : {"Icons", "Sounds", "Schemes"})
        EXPECT_TRUE(GetFileAttributesA((app + "\\" + folder).c_str()) & FILE_ATTRIBUTE_DIRECTORY)
            << folder;
    KeyTarget target;
    ASSERT_TRUE(target.Start());
    ExpectCapsLockIndicated(target, Wide(app + "\\Tolvar.exe"), "zip");
    EXPECT_TRUE(target.Close());
}

// ---- the installer ------------------------------------------------------------

TEST(Installer, InstallsForTheUserIndicatesAndUninstallsKeepingTheSettings)
{
    const std::string setup = Env("TOLVAR_SETUP");
    ASSERT_FALSE(setup.empty()) << "TOLVAR_SETUP is not set";
    // The key target starts first: the first window of a Wine session starts
    // the desktop process, which is then not part of the installer's tree.
    KeyTarget target;
    ASSERT_TRUE(target.Start());
    const std::string dir = Folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Tolvar";
    const std::string menuEntry = Folder(CSIDL_PROGRAMS) + "\\Tolvar.lnk";
    const std::string startupEntry = Folder(CSIDL_STARTUP) + "\\Tolvar.lnk";

    ASSERT_EQ(0u, RunProcessTree("\"" + setup + "\" /S"));
    const std::vector<std::string> installed = FilesBelow(dir);
    for (const char *file : kProgramFiles)
        EXPECT_TRUE(FileExists(dir + "\\" + file)) << file << " is not installed in " << dir;
    EXPECT_TRUE(FileExists(dir + "\\uninstall.exe"));
    EXPECT_TRUE(FileExists(menuEntry)) << menuEntry;
    EXPECT_EQ("Tolvar", RegistryText(kUninstallKey, "DisplayName"));
    EXPECT_EQ(Env("TOLVAR_VERSION"), RegistryText(kUninstallKey, "DisplayVersion"));
    EXPECT_EQ(dir, RegistryText(kUninstallKey, "InstallLocation"));
    EXPECT_EQ("\"" + dir + "\\uninstall.exe\"", RegistryText(kUninstallKey, "UninstallString"));
    EXPECT_EQ("The Tolvar authors", RegistryText(kUninstallKey, "Publisher"));
    EXPECT_EQ(dir + "\\Tolvar.html", RegistryText(kUninstallKey, "HelpLink"));
    EXPECT_EQ(1u, RegistryNumber(kUninstallKey, "NoModify"));
    EXPECT_EQ(1u, RegistryNumber(kUninstallKey, "NoRepair"));
    const DWORD kib = RegistryNumber(kUninstallKey, "EstimatedSize");
    EXPECT_TRUE(kib > 1000 && kib < 20000) << kib;
    // Started from the Start menu, Tolvar runs in its own folder.
    EXPECT_EQ(dir, tolvar_test::ReadLink(menuEntry).workingFolder);

    ExpectCapsLockIndicated(target, Wide(dir + "\\Tolvar.exe"), "installed");
    ASSERT_TRUE(target.Close());

    // Installed again over a running Tolvar, as an update is: setup ends it
    // through its own --exit rather than fail on files in use.
    {
        tolvar_test::ChildProcess running;
        ASSERT_TRUE(running.Start("\"" + dir + "\\Tolvar.exe\" --no-splash",
                                  Env("TOLVAR_RUN_DIR") + "\\running.out"));
        ASSERT_TRUE(WaitFor(HookInstalled, kWaitMs));
        EXPECT_EQ(0u, RunProcessTree("\"" + setup + "\" /S"));
        EXPECT_EQ(0u, running.WaitForExit(kWaitMs)) << "setup left Tolvar running";
        // A hook library that a program still has mapped (its hook is gone,
        // but the program has not handled a message since) is set aside
        // under a name of its own, for the next start to remove.
        std::vector<std::string> after = FilesBelow(dir);
        after.erase(std::remove_if(after.begin(), after.end(),
                                   [](const std::string &f) {
                                       return f.find(".dll.") != std::string::npos &&
                                              f.compare(f.size() - 4, 4, ".old") == 0;
                                   }),
                    after.end());
        EXPECT_EQ(installed, after);
    }

    // What a user leaves behind: settings beside the program (its folder is
    // the user's), an icon unpacked from a scheme, and the Startup shortcut
    // that the options dialog makes through the library's own entry.
    const std::string settings = dir + "\\Tolvar.ini";
    const std::string unpacked = dir + "\\Icons\\from_a_scheme.ico";
    if (!FileExists(settings)) {
        ASSERT_TRUE(WriteFileBytes(settings, "[Settings]\r\n"));
    }
    ASSERT_TRUE(WriteFileBytes(unpacked, "an icon"));
    {
        HMODULE options = LoadLibraryA((dir + "\\Tolvar.dll").c_str());
        ASSERT_TRUE(options);
        InitDLLProc initDll = reinterpret_cast<InitDLLProc>(
            reinterpret_cast<void (*)()>(GetProcAddress(options, TV_INIT_DLL_EXPORT)));
        ASSERT_TRUE(initDll);
        initDll(0)->CreateStartupShortcut();
        FreeLibrary(options);
    }
    ASSERT_TRUE(FileExists(startupEntry)) << startupEntry;

    EXPECT_EQ(0u, RunProcessTree("\"" + dir + "\\uninstall.exe\" /S"));
    for (const std::string &file : installed)
        EXPECT_FALSE(FileExists(dir + "\\" + file)) << file << " is still installed";
    EXPECT_FALSE(FileExists(menuEntry)) << menuEntry;
    EXPECT_FALSE(FileExists(startupEntry)) << startupEntry;
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_TRUE(FileExists(settings)) << "the settings were removed";
    EXPECT_TRUE(FileExists(unpacked)) << "the content unpacked from schemes was removed";
}

// In a folder named with letters that the system's ANSI code page lacks, as
// a user's profile may be named: installed, indicating, uninstalled.
TEST(Installer, InstallsAndRunsInAFolderNamedInAnyLanguage)
{
    const std::wstring name = L"\x0414\x043C\x0438\x0442\x0440\x0438\x0439";  // Дмитрий
    BOOL lossy = FALSE;
    char ansi[32];
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.c_str(), -1, ansi, sizeof ansi, nullptr, &lossy);
    ASSERT_TRUE(lossy) << "this test needs an ANSI code page without Cyrillic letters, such as 1252";
    KeyTarget target;
    ASSERT_TRUE(target.Start());
    const std::wstring dir = Wide(Folder(CSIDL_PERSONAL)) + L"\\" + name + L"\\Tolvar";
    ASSERT_EQ(0u, RunProcessTree(L"\"" + Wide(Env("TOLVAR_SETUP")) + L"\" /S /D=" + dir));
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((dir + L"\\TolvarEx.dll").c_str()));
    ExpectCapsLockIndicated(target, dir + L"\\Tolvar.exe", "any-language");
    ASSERT_TRUE(target.Close());
    EXPECT_EQ(0u, RunProcessTree(L"\"" + dir + L"\\uninstall.exe\" /S"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((dir + L"\\Tolvar.exe").c_str()));
}

// ---- the user's things --------------------------------------------------------

void ClickIn(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Waits until find returns a window; that window, or null.
HWND WaitWindow(const std::function<HWND()> &find)
{
    HWND found = nullptr;
    WaitFor([&] { return (found = find()) != nullptr; }, kWaitMs);
    return found;
}

bool ClickAndWaitGone(HWND dialog, int id)
{
    ClickIn(dialog, id);
    return WaitFor([&] { return !IsWindow(dialog); }, kWaitMs);
}

// A file dialog of that process: the file typed into its name field, then OK.
bool AnswerFileDialog(DWORD pid, const char *caption, const std::string &file)
{
    HWND files = WaitWindow([&] { return tolvar_test::FindDialogOf(pid, caption); });
    return files && SetDlgItemTextA(files, 0x47C, file.c_str()) && ClickAndWaitGone(files, IDOK);
}

// The uninstaller's window (it holds the frame of its pages, 1018) or one of
// its message boxes (their text, 0xFFFF), in whichever process it runs: it
// goes on from a copy of itself. Their caption is "Tolvar Uninstall" and a blank.
struct UninstallerSearch {
    bool messageBox;
    HWND found;
};

BOOL CALLBACK IsUninstallerWindow(HWND window, LPARAM param)
{
    UninstallerSearch *s = reinterpret_cast<UninstallerSearch *>(param);
    char cls[16] = "", caption[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    GetWindowTextA(window, caption, sizeof caption);
    if (IsWindowVisible(window) && !lstrcmpA(cls, "#32770") && !strncmp(caption, "Tolvar Uninstall", 16) &&
        GetDlgItem(window, s->messageBox ? 0xFFFF : 1018)) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindUninstaller(bool messageBox)
{
    UninstallerSearch search = {messageBox, nullptr};
    EnumWindows(IsUninstallerWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK AddText(HWND window, LPARAM texts)
{
    char text[2048] = "";
    DWORD_PTR n = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        5000, &n);
    *reinterpret_cast<std::string *>(texts) += std::string(text) + "\n";
    return TRUE;
}

// The texts of a window of another process and of all its controls.
std::string AllTexts(HWND window)
{
    std::string texts;
    AddText(window, reinterpret_cast<LPARAM>(&texts));
    EnumChildWindows(window, AddText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

bool Contains(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

// The files an uninstall left in folder, less the program files set aside
// because other programs still held them, each of which must be deleted at
// the next logon. (On 64-bit Windows a 64-bit program that had the focus may
// hold the 64-bit hook library.)
std::vector<std::string> FilesLeftAfterLogon(const std::string &folder)
{
    std::vector<std::string> left;
    for (const std::string &file : FilesBelow(folder)) {
        const size_t number = file.rfind('.', file.size() - sizeof ".old");
        if (file.find('\\') == std::string::npos && Contains(file, ".old") && number != std::string::npos)
            EXPECT_TRUE(Contains(RegistryText(kRunOnceKey, ("Tolvar leftover " + file.substr(0, number)).c_str()),
                                 folder.substr(folder.rfind('\\') + 1)))
                << file << " is not deleted at the next logon";
        else
            left.push_back(file);
    }
    return left;
}

// Installed into a folder, the user keeps own icons and sounds in Icons and
// Sounds (where the options' file dialogs open) and loads a scheme, which
// unpacks its icon there too. Tolvar runs. The uninstaller, all its
// questions answered Yes, ends Tolvar only once the removal is confirmed,
// removes Tolvar's files and settings and nothing else, and says why the
// folder stayed.
TEST(Installer, UninstallRemovesOnlyWhatItInstalledAndSaysWhatItLeft)
{
    const std::string runDir = Env("TOLVAR_RUN_DIR");
    const std::string dir = NewFolder("Tolvar kept");
    ASSERT_EQ(0u, Install(dir));
    ASSERT_TRUE(WriteFileBytes(dir + "\\Icons\\mine.ico", "my icon"));
    ASSERT_TRUE(WriteFileBytes(dir + "\\Sounds\\x.wav", "my sound"));
    // Caps Lock shows an icon from elsewhere, which a saved scheme carries.
    const std::string icon = runDir + "\\blue.ico", scheme = runDir + "\\blue.tvs";
    ASSERT_TRUE(WriteFileBytes(icon, "a blue icon"));
    DeleteFileA(scheme.c_str());
    ASSERT_TRUE(WriteFileBytes(dir + "\\Tolvar.ini",
                               "[Tolvar]\r\nVersion=1\r\nKeys=1\r\n[Key1]\r\nCode=0x14\r\nModifiers=0x80\r\n"
                               "Name=\"Caps Lock\"\r\nIconOn=\"" + icon + "\"\r\nHasIcon=1\r\nHasOffState=1\r\n"));

    tolvar_test::ChildProcess tolvar;
    ASSERT_TRUE(tolvar.Start("\"" + dir + "\\Tolvar.exe\" --no-splash", runDir + "\\kept.out"));
    ASSERT_TRUE(WaitFor(HookInstalled, kWaitMs));
    // A second start opens the options of the first: the scheme saved, then loaded.
    EXPECT_EQ(0u, RunProcessTree("\"" + dir + "\\Tolvar.exe\" --no-splash"));
    HWND options = WaitWindow([&] { return tolvar_test::FindDialogOf(tolvar.Id(), "Tolvar Options"); });
    ASSERT_TRUE(options);
    ClickIn(options, IDC_SAVE_SCHEME);
    ASSERT_TRUE(AnswerFileDialog(tolvar.Id(), "Save Scheme As", scheme));
    ClickIn(options, IDC_LOAD_SCHEME);
    ASSERT_TRUE(AnswerFileDialog(tolvar.Id(), "Open Scheme", scheme));
    ASSERT_TRUE(WaitFor([&] { return FileExists(dir + "\\Icons\\blue.ico"); }, kWaitMs));
    ASSERT_TRUE(ClickAndWaitGone(options, IDC_CANCEL));

    tolvar_test::ChildProcess uninstaller;
    ASSERT_TRUE(uninstaller.Start("\"" + dir + "\\uninstall.exe\"", runDir + "\\uninstall.out"));
    ASSERT_TRUE(WaitFor([] { return FindUninstaller(false) || FindUninstaller(true); }, kWaitMs));
    HWND window = FindUninstaller(false);
    ASSERT_TRUE(window) << AllTexts(FindUninstaller(true));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(tolvar.Handle(), 0)) << "Tolvar ended before the confirmation";
    ClickIn(window, IDOK);  // Uninstall
    HWND box = WaitWindow([] { return FindUninstaller(true); });
    ASSERT_TRUE(box);
    EXPECT_TRUE(Contains(AllTexts(box), "will be closed")) << AllTexts(box);
    ASSERT_TRUE(ClickAndWaitGone(box, IDOK));
    box = WaitWindow([] { return FindUninstaller(true); });
    ASSERT_TRUE(box);
    EXPECT_TRUE(Contains(AllTexts(box), "settings")) << AllTexts(box);
    ASSERT_TRUE(ClickAndWaitGone(box, IDYES));
    ASSERT_TRUE(WaitFor([&] { return Contains(AllTexts(window), "&Finish"); }, kWaitMs)) << AllTexts(window);
    const std::string lastPage = AllTexts(window);
    EXPECT_TRUE(Contains(lastPage, dir + " was left in place. It still holds: ")) << lastPage;
    for (const char *part : {"Icons", "Sounds", "did not install"})
        EXPECT_TRUE(Contains(lastPage, part)) << lastPage;
    ClickIn(window, IDOK);  // Finish
    EXPECT_EQ(0u, tolvar.WaitForExit(kWaitMs));
    EXPECT_EQ(0u, uninstaller.WaitForExit(kWaitMs));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(window); }, kWaitMs));

    const std::vector<std::string> left = FilesLeftAfterLogon(dir);
    EXPECT_EQ(Sorted({"Icons\\blue.ico", "Icons\\mine.ico", "Sounds\\x.wav"}), Sorted(left));
    EXPECT_EQ("my icon", ReadFileBytes(dir + "\\Icons\\mine.ico"));
    EXPECT_EQ("my sound", ReadFileBytes(dir + "\\Sounds\\x.wav"));
    EXPECT_FALSE(KeyExists(kUninstallKey));
}

// A silent install never takes a folder of someone else's files: not one
// where it would replace a file, nor one that only holds other files.
TEST(Installer, SilentInstallRefusesAFolderOfOtherFiles)
{
    const std::string menuEntry = Folder(CSIDL_PROGRAMS) + "\\Tolvar.lnk";
    for (const char *file : {"README.txt", "Sounds\\x.wav"}) {
        const std::string dir = NewFolder(std::string("Others ") + file[0]);
        CreateDirectoryA((dir + "\\Sounds").c_str(), nullptr);
        ASSERT_TRUE(WriteFileBytes(dir + "\\" + file, "not Tolvar's"));
        const std::vector<std::string> before = FilesBelow(dir);
        const bool registered = KeyExists(kUninstallKey), inMenu = FileExists(menuEntry);

        EXPECT_EQ(2u, Install(dir)) << file;
        EXPECT_EQ(before, FilesBelow(dir)) << file;
        EXPECT_TRUE(ReadFileBytes(dir + "\\" + file) == "not Tolvar's") << file;
        EXPECT_EQ(registered, KeyExists(kUninstallKey)) << file;
        EXPECT_EQ(inMenu, FileExists(menuEntry)) << file;
    }
}

// An idle program keeps the hook library of an earlier run mapped: an update
// sets it aside and installs the new one, Tolvar's next start deletes the
// copy; an uninstall removes the rest and leaves that file to the next logon.
TEST(Installer, LibrariesHeldByOtherProgramsAreSetAsideAndRemovedLater)
{
    const std::string dir = NewFolder("Tolvar held");
    ASSERT_EQ(0u, Install(dir));
    const std::string library = dir + "\\TolvarEx.dll", aside = library + ".1.old";
    const std::string current = ReadFileBytes(library);
    const std::string earlier = current + "of an earlier version";
    ASSERT_TRUE(WriteFileBytes(library, earlier));
    // Mapped as the system maps a hook library, without running it.
    HMODULE held = LoadLibraryExA(library.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_TRUE(held);

    EXPECT_EQ(0u, Install(dir));
    EXPECT_TRUE(ReadFileBytes(library) == current) << "the new library is not in place";
    EXPECT_TRUE(ReadFileBytes(aside) == earlier) << "the held library was not set aside";
    FreeLibrary(held);
    {
        tolvar_test::ChildProcess tolvar;
        ASSERT_TRUE(tolvar.Start("\"" + dir + "\\Tolvar.exe\" --no-splash", Env("TOLVAR_RUN_DIR") + "\\held.out"));
        ASSERT_TRUE(WaitFor(HookInstalled, kWaitMs));
        EXPECT_FALSE(FileExists(aside)) << "Tolvar's start left the set-aside copy";
        EXPECT_EQ(0u, RunProcessTree("\"" + dir + "\\Tolvar.exe\" --exit"));
        EXPECT_EQ(0u, tolvar.WaitForExit(kWaitMs));
    }

    held = LoadLibraryExA(library.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_TRUE(held);
    EXPECT_EQ(0u, RunProcessTree("\"" + dir + "\\uninstall.exe\" /S"));
    EXPECT_TRUE(FileExists(aside));
    std::vector<std::string> left = FilesLeftAfterLogon(dir);
    left.erase(std::remove(left.begin(), left.end(), "Tolvar.ini"), left.end());  // kept by /S
    EXPECT_EQ(std::vector<std::string>(), left);
    const std::string atLogon = RegistryText(kRunOnceKey, "Tolvar leftover TolvarEx.dll");
    EXPECT_TRUE(Contains(atLogon, "\"Tolvar held\\TolvarEx.dll.*.old\"")) << atLogon;
    FreeLibrary(held);
    // What the next logon runs.
    EXPECT_EQ(0u, RunProcessTree(atLogon));
    EXPECT_FALSE(FileExists(aside));
    HKEY runOnce;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunOnceKey, 0, KEY_SET_VALUE, &runOnce) == ERROR_SUCCESS) {
        RegDeleteValueA(runOnce, "Tolvar leftover TolvarEx.dll");
        RegCloseKey(runOnce);
    }
}

} // namespace
