/*
 * host_channel.h - the host's side of the key-event channel: it owns the four
 * named objects, loads the hook library after creating them, and answers
 * every report on a thread of its own that receives no keyboard input.
 */
#ifndef TOLVAR_HOST_HOST_CHANNEL_H
#define TOLVAR_HOST_HOST_CHANNEL_H

#include <windows.h>

#include <vector>

#include "tolvar/tolvar_host.h"

namespace tolvar {

struct Report {
    int32_t keyCode;
    uint8_t modifiers;
    int32_t state;
};

class HostChannel {
public:
    ~HostChannel() { Close(); }
    // Creates the mapping (sized for the table), the mutex and the two
    // auto-reset events, and writes the table. False if any already exists
    // (another host runs) or cannot be created; then nothing is left open.
    bool Create(const std::vector<KeyTableEntry> &table);
    // Rewrites the table under the channel mutex; false if it does not fit.
    bool ReplaceTable(const std::vector<KeyTableEntry> &table);
    void Close();

    KeyEventChannel *block() const { return view_; }
    HANDLE matchEvent() const { return matchEvent_; }
    HANDLE readyEvent() const { return readyEvent_; }
    HANDLE mutex() const { return mutex_; }

private:
    HANDLE mapping_ = nullptr;
    KeyEventChannel *view_ = nullptr;
    DWORD capacity_ = 0;
    HANDLE mutex_ = nullptr;
    HANDLE matchEvent_ = nullptr;
    HANDLE readyEvent_ = nullptr;
};

// TolvarEx.dll, loaded at run time once the channel exists.
class HookLibrary {
public:
    ~HookLibrary() { Unload(); }
    // Loads the library beside this executable; false (with GetLastError
    // preserved) when the load or either export is missing.
    bool Load();
    void SetHook() { if (setHook_) setHook_(); }
    void KillHook() { if (killHook_) killHook_(); }
    void Unload();
    bool loaded() const { return module_ != nullptr; }

private:
    HMODULE module_ = nullptr;
    TvHookProc setHook_ = nullptr;
    TvHookProc killHook_ = nullptr;
};

// Waits for the match event, hands each report to a callback and then sets
// the ready event exactly once per report.
class ReportListener {
public:
    typedef void (*Callback)(const Report &report, void *context);
    ~ReportListener() { Stop(); }
    bool Start(HostChannel *channel, Callback callback, void *context);
    void Stop();

private:
    static DWORD WINAPI ThreadMain(void *self);
    void Answer();
    HostChannel *channel_ = nullptr;
    Callback callback_ = nullptr;
    void *context_ = nullptr;
    HANDLE stopEvent_ = nullptr;
    HANDLE thread_ = nullptr;
};

}  // namespace tolvar

#endif  // TOLVAR_HOST_HOST_CHANNEL_H
