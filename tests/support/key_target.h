// key_target.h - hook_key_target.exe (32-bit) or hook_key_target64.exe
// (64-bit) as a test drives it: a program of its own that real keys are
// typed into, whose edit shows what arrived and which answers what its own
// GetKeyState says of a lock key.
#ifndef TOLVAR_TESTS_SUPPORT_KEY_TARGET_H
#define TOLVAR_TESTS_SUPPORT_KEY_TARGET_H

#include <windows.h>

#include <initializer_list>
#include <string>

#include "child_process.h"

namespace tolvar_test {

class KeyTarget {
public:
    // Starts exe (in the test program's folder) with its window at x, y.
    bool Start(const std::string &name, const std::string &exe, int x, int y);
    const std::string &name() const { return name_; }
    DWORD pid() const { return process_.Id(); }
    HWND window() const { return window_; }

    // The window in front with its edit focused, and proof that keys reach
    // it now: a probe letter typed, seen in the edit, cleared again.
    bool Focus();
    std::string Text() const;
    void Clear() const;
    // Types lower-case letters and digits and waits until the edit shows all
    // of them (after whatever it held), at most ms. Letters only while Caps
    // Lock is off; digits whatever the lock keys say.
    bool Type(const std::string &letters, DWORD ms);
    // Waits until the edit shows text, at most ms.
    bool WaitText(const std::string &text, DWORD ms) const;
    // A lock key's toggle state as the target's own thread sees it.
    int Toggle(WORD vk) const;
    void Close();

private:
    std::string name_;
    ChildProcess process_;
    HWND window_ = nullptr;
    HWND edit_ = nullptr;
};

// Holds the modifiers (in order), taps vk and releases the modifiers, in
// the order given by releaseModifiersFirst: a combination as users type it.
void TypeChord(std::initializer_list<WORD> modifiers, WORD vk, bool releaseModifiersFirst = false);

// Suspends threads of another process, as a debugger stops them, and
// resumes them when asked or at the end of the scope.
class FrozenThreads {
public:
    ~FrozenThreads() { Thaw(); }
    bool FreezeProcess(DWORD pid);
    bool FreezeThread(DWORD tid);
    void Thaw();

private:
    HANDLE threads_[256] = {};
    int count_ = 0;
};

} // namespace tolvar_test

#endif
