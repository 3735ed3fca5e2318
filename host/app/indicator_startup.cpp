// Starting and stopping, in the order the libraries need: the channel before
// the hook library loads, the tray before the hook reports, the hook removed
// before the channel closes.
#include "host/app/indicator.h"

#include <commctrl.h>

#include "common/virtual_keys.h"
#include "hook/companion/companion_protocol.h"
#include "host/resources/resource_ids.h"
#include "host/app/message_filter.h"
#include "host/settings/settings_file.h"
#include "host/app/system_message.h"
#include "host/app/thread_dialogs.h"

namespace tolvar {

namespace {

// Every key a settings file may hold, their release entries and the entry
// the Caps Lock display may add: fixed, so that the channel never has to
// grow.
const size_t kChannelCapacity = KeyTableCapacity(kMaxKeys);
// Tolvar.exe's mark in the channel's host bytes: a channel that carries it
// while no Tolvar runs was left by one that ended without removing its hook.
const uint8_t kChannelMark[3] = {'T', 'l', 'v'};
// How long the start waits for the channel to write its first table.
const DWORD kStartTableWaitMs = 5000;

// Only where the ANSI code page is not UTF-8 (Windows before 10 version
// 1903) and the folders have no short names that could stand in.
std::string UnusableSettingsNotice(const std::string &path)
{
    return "Tolvar cannot keep its settings in\n" + path +
           "\nbecause this version of Windows cannot hand the letters shown as \"?\" to "
           "the settings calls.\n\nTolvar starts with its default settings. To keep them, "
           "start it with --settings and a file in a folder named in the system's letters.";
}

}  // namespace

Indicator::Indicator() {}

Indicator::~Indicator()
{
    ShutDown();
}

int Indicator::Run(const CommandLine &line)
{
    line_ = line;
    instance_ = GetModuleHandleA(nullptr);
    startTick_ = GetTickCount();
    if (!StartUp()) {
        ShutDown();
        return 1;
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    const int result = line_.demo ? demo_.result() : 0;
    ShutDown();
    return result;
}

bool Indicator::Fail(const std::string &text)
{
    MessageBoxA(nullptr, text.c_str(), "Tolvar", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    return false;
}

void Indicator::LoadSettings()
{
    bool usable = true;
    settingsPath_ = line_.settingsPath.empty() ? DefaultSettingsPath(&usable) : FullPath(line_.settingsPath);
    settings_ = DefaultSettings();
    if (!usable) {
        notices_.push_back(UnusableSettingsNotice(settingsPath_));
        settingsWritable_ = false;  // the user was told: no attempt at every change
        return;
    }
    const SettingsLoad load = LoadSettingsFile(settingsPath_, &settings_);
    // Saving would overwrite what could not be moved away.
    settingsWritable_ = load.maySave;
    if (!load.notice.empty())
        notices_.push_back(load.notice);
}

void Indicator::ReadLockStates()
{
    // The toggle bits as the system holds them now, not assumed: outside a
    // key message, a thread's key state follows the system's.
    LockState(kVkCapital) = GetKeyState(VK_CAPITAL) & 1;
    LockState(kVkNumLock) = GetKeyState(VK_NUMLOCK) & 1;
    LockState(kVkScroll) = GetKeyState(VK_SCROLL) & 1;
}

void Indicator::TurnNumLockOn()
{
    // A real key press: the hook reports it, and the tray follows.
    INPUT inputs[2] = {};
    for (int i = 0; i < 2; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = VK_NUMLOCK;
        inputs[i].ki.wScan = static_cast<WORD>(MapVirtualKeyA(VK_NUMLOCK, 0));
        inputs[i].ki.dwFlags = KEYEVENTF_EXTENDEDKEY | (i ? KEYEVENTF_KEYUP : 0);
    }
    SendInput(2, inputs, sizeof inputs[0]);
}

void Indicator::StartCompanion()
{
    // On 64-bit Windows most programs are 64-bit, and the 32-bit hook
    // library cannot enter them: the companion's 64-bit hook does.
    if (!RunningOnWow64())
        return;
    std::string problem;
    if (!companion_.Start(BesideProgramW(L"" TV_COMPANION_EXE), BesideProgram(TV_COMPANION_EXE),
                          &problem))
        notices_.push_back(CompanionNotice(problem));
}

std::string Indicator::CompanionNotice(const std::string &problem)
{
    return "Tolvar cannot see keys typed into 64-bit programs:\n" + problem +
           ".\n\nKeys typed into 32-bit programs are still indicated. Reinstalling "
           "Tolvar restores the missing part.";
}

int Indicator::ExpectedDemoIndications() const
{
    int expected = 0;
    for (int32_t vk : {kVkCapital, kVkNumLock, kVkScroll}) {
        const bool watched = FindReportedKey(settings_, vk, TV_MOD_ANY_MODIFIERS) >= 0 ||
                             FindReportedKey(settings_, vk, 0) >= 0;
        expected += watched ? 1 : 0;
    }
    return expected;
}

bool Indicator::StartUp()
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    LoadSettings();
    keyStates_.assign(settings_.keys.size(), -1);
    trayStale_.assign(settings_.keys.size(), false);
    displayKey_ = -1;

    if (!line_.logPath.empty()) {
        DWORD error = 0;
        if (!log_.Open(FullPath(line_.logPath), &error))
            return Fail("Tolvar cannot open its log file\n" + line_.logPath + "\n" + SystemMessage(error));
    }
    if (!line_.timingPath.empty())
        timing_.Enable();

    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance_;
    wc.hIcon = LoadIconA(instance_, MAKEINTRESOURCEA(IDI_PROGRAM));
    wc.lpszClassName = kIndicatorWindowClass;
    if (!RegisterClassA(&wc))
        return Fail("Tolvar cannot register its window class.\n" + SystemMessage(GetLastError()));
    // Hidden, but top-level: the shell's "TaskbarCreated" reaches only those.
    window_ = CreateWindowExA(0, kIndicatorWindowClass, "Tolvar", WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, instance_, this);
    if (!window_)
        return Fail("Tolvar cannot create its window.\n" + SystemMessage(GetLastError()));
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
    LetThroughFromOtherPrograms(window_, {taskbarCreated_, kMsgTray, kMsgOpenOptions, kMsgOpenDisplay, WM_CLOSE});
    displays_.Init(instance_, window_, kMsgPlaceDragged);

    if (!options_.Load(BesideProgramW(L"Tolvar.dll"), &optionsProblem_)) {
        notices_.push_back("Tolvar cannot load Tolvar.dll from\n" + ProgramFolder() + "\n(" +
                           optionsProblem_ + ").\n\nThe keys are indicated as set, but the options, "
                           "the About box and the splash window are unavailable. Reinstalling "
                           "Tolvar restores them.");
    }

    // The channel before the hook library: its attach opens the channel.
    bool inUse = false, notOurs = false;
    if (!channel_.Create(kChannelCapacity, kChannelMark, &inUse, &notOurs)) {
        if (notOurs)
            return Fail("Tolvar's keyboard channel in this session was made by another user or by "
                        "a program with lower rights, so Tolvar does not use it and cannot "
                        "start.\n\nLog off and on again to remove it.");
        return Fail(inUse ? "Another program already uses Tolvar's keyboard channel in this "
                             "session, so Tolvar cannot start.\n\nClose that program (another "
                             "key indicator built on TolvarEx.dll) and start Tolvar again."
                           : "Tolvar cannot create its keyboard channel.\n" +
                                 SystemMessage(GetLastError()));
    }
    // Limited: a program frozen while it holds the channel (stopped in a
    // debugger in the middle of a key) would otherwise hang the start for
    // good, before any icon shows and with the instance object taken.
    if (!channel_.ReplaceTable(BuildKeyTable(settings_, channel_.capacity(), TrackedLockKeys(settings_)),
                               kStartTableWaitMs))
        return Fail("Another program holds Tolvar's keyboard channel and does not let go of it, so "
                    "Tolvar cannot start.\n\nEnd that program (it may be stopped in a debugger) "
                    "and start Tolvar again.");
    if (!listener_.Start(&channel_, OnReportFromHook, this))
        return Fail("Tolvar cannot start its report thread.\n" + SystemMessage(GetLastError()));
    DWORD error = 0;
    const std::string hookPath = BesideProgram("TolvarEx.dll");
    if (!hook_.Load(BesideProgramW(L"TolvarEx.dll"), &error))
        return Fail("Tolvar cannot load its keyboard hook library\n" + hookPath + "\n" +
                    SystemMessage(error) + "\n\nReinstalling Tolvar should restore it.");

    sounds_.Start(instance_);  // without its thread, sounds start on this one
    ReadLockStates();
    visuals_.Build(settings_, instance_);
    tray_.Init(window_, kMsgTray);
    RefreshTray();
    UpdateDisplays();
    resync_.Start(window_, kMsgWindowEvent);

    // The hooks last: from here on reports arrive, and everything they touch
    // exists. The 64-bit companion first, so that its end is watched from
    // the moment the hook thread runs.
    StartCompanion();
    if (!hookThread_.Start(&hook_, companion_.process(), window_, kMsgCompanionEnded) ||
        !channel_.block()->hookHandle)
        return Fail("Tolvar cannot install its keyboard hook.\n" + SystemMessage(GetLastError()));
    running_ = true;

    if (settings_.numLockOn && !(GetKeyState(VK_NUMLOCK) & 1))
        TurnNumLockOn();
    if (line_.demo && !demo_.Start(instance_, ExpectedDemoIndications()))
        return Fail("Tolvar cannot start its demonstration.");
    PostMessageA(window_, kMsgStarted, 0, 0);
    return true;
}

void Indicator::EndSession()
{
    // The system may end the process as soon as this message returns (at
    // logoff), or waits for it to end (a restart of the program by an
    // installer): what other programs and the shell see goes now. This
    // message may have arrived inside a dialog of the options library, so
    // the library and the window stay until those dialogs have closed and
    // the program's own loop ends (ShutDown).
    quitting_ = true;
    ReleaseSharedObjects();
    CancelThreadDialogs();
    PostQuitMessage(0);
}

void Indicator::ReleaseSharedObjects()
{
    running_ = false;
    SaveKeptSettings();
    resync_.Stop();
    // The hooks go before the objects they use; reports that entered just
    // before are still answered by the listener as it stops.
    companion_.Stop();
    hookThread_.Stop();
    listener_.Stop();
    hook_.Unload();
    channel_.Close();
    sounds_.Stop();
    tray_.RemoveAll();
    displays_.HideAll();
    if (timing_.enabled() && !line_.timingPath.empty()) {
        timing_.Write(FullPath(line_.timingPath));
        line_.timingPath.clear();
    }
}

void Indicator::ShutDown()
{
    ReleaseSharedObjects();
    options_.Unload();
    visuals_.Clear();
    if (previewIcon_)
        DestroyIcon(previewIcon_);
    previewIcon_ = nullptr;
    if (window_) {
        screenReader_.Stop(window_);
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
        window_ = nullptr;
    }
    log_.Close();
}

}  // namespace tolvar
