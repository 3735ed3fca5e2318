// key_target.cpp - key target programs, and threads stopped from outside.
#include "key_target.h"

#include <tlhelp32.h>

#include "keyboard.h"
#include "polling.h"
#include "tolvar_program.h"

namespace tolvar_test {

namespace {

const DWORD kWaitMs = 120000;
const UINT kMsgToggleState = WM_APP + 7;
const WORD kProbe = 'Z';

} // namespace

bool KeyTarget::Start(const std::string &name, const std::string &exe, int x, int y)
{
    name_ = name;
    const std::string path = TestBinFolder() + "\\" + exe;
    if (!process_.Start("\"" + path + "\" " + std::to_string(x) + " " + std::to_string(y), path + ".out"))
        return false;
    // Its window takes the foreground when it appears: once it waits for
    // input it has, and cannot take it back from a target focused later.
    WaitForInputIdle(process_.Handle(), kWaitMs);
    return WaitFor(
        [&] {
            window_ = FindProcessWindow(process_.Id(), "TolvarKeyTarget", nullptr);
            edit_ = window_ ? GetDlgItem(window_, 1) : nullptr;
            return edit_ != nullptr;
        },
        kWaitMs, 20);
}

std::string KeyTarget::Text() const
{
    char text[1024] = "";
    SendMessageTimeoutA(edit_, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        kWaitMs, nullptr);
    return text;
}

void KeyTarget::Clear() const
{
    SendMessageTimeoutA(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""), SMTO_ABORTIFHUNG, kWaitMs, nullptr);
}

bool KeyTarget::WaitText(const std::string &text, DWORD ms) const
{
    return WaitFor([&] { return Text() == text; }, ms, 10);
}

bool KeyTarget::Focus()
{
    // Should another window take the foreground back before the probe
    // arrives, the probe goes there: then again.
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kWaitMs) {
        if (!BringToFront(window_, edit_, kWaitMs))
            return false;
        Clear();
        TapKey(kProbe);
        // Letters of earlier keys still on their way come before it.
        const bool routed = WaitFor(
            [&] {
                const std::string text = Text();
                return !text.empty() && text.back() == 'z';
            },
            5000, 10);
        Clear();
        if (routed)
            return true;
    }
    return false;
}

bool KeyTarget::Type(const std::string &letters, DWORD ms)
{
    const std::string expected = Text() + letters;
    for (char ch : letters)
        TapKey(static_cast<WORD>(ch >= 'a' && ch <= 'z' ? ch - 'a' + 'A' : ch));
    return WaitText(expected, ms);
}

int KeyTarget::Toggle(WORD vk) const
{
    DWORD_PTR state = 0;
    if (!SendMessageTimeoutA(window_, kMsgToggleState, vk, 0, SMTO_ABORTIFHUNG, kWaitMs, &state))
        return -1;
    return static_cast<int>(state);
}

void KeyTarget::Close()
{
    if (window_)
        PostMessageA(window_, WM_CLOSE, 0, 0);
    process_.WaitForExit(kWaitMs);
    window_ = edit_ = nullptr;
}

void TypeChord(std::initializer_list<WORD> modifiers, WORD vk, bool releaseModifiersFirst)
{
    for (WORD m : modifiers)
        SendKey(m, false);
    SendKey(vk, false);
    if (!releaseModifiersFirst)
        SendKey(vk, true);
    for (auto m = modifiers.end(); m != modifiers.begin();)
        SendKey(*--m, true);
    if (releaseModifiersFirst)
        SendKey(vk, true);
}

bool FrozenThreads::FreezeProcess(DWORD pid)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool any = false;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == pid)
            any = FreezeThread(entry.th32ThreadID) || any;
    CloseHandle(snapshot);
    return any;
}

bool FrozenThreads::FreezeThread(DWORD tid)
{
    if (count_ == static_cast<int>(sizeof threads_ / sizeof threads_[0]))
        return false;
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, tid);
    if (!thread)
        return false;
    if (SuspendThread(thread) == static_cast<DWORD>(-1)) {
        CloseHandle(thread);
        return false;
    }
    threads_[count_++] = thread;
    return true;
}

void FrozenThreads::Thaw()
{
    while (count_ > 0) {
        HANDLE thread = threads_[--count_];
        ResumeThread(thread);
        CloseHandle(thread);
    }
}

} // namespace tolvar_test
