/*
 * host_channel.h - Tolvar.exe's side of the key-event channel: it owns the
 * four named objects, loads the hook library after creating them, and
 * answers every report on a thread of its own that receives no keyboard
 * input.
 */
#ifndef TOLVAR_HOST_HOST_CHANNEL_H
#define TOLVAR_HOST_HOST_CHANNEL_H

#include <windows.h>

#include <string>
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
    // Creates the mapping (room for capacity entries), the mutex and the two
    // auto-reset events, with an empty table.
    //
    // The objects may still exist after their host ended: every process the
    // hook library was mapped into keeps its handles until the library
    // leaves it, which can take a while. Objects without an installed hook
    // are such leftovers and are taken over, and so are objects that carry
    // mark in the block's host bytes (which the hook library never touches):
    // the caller's own kind, known not to be running, left them when it
    // ended without removing its hook (the system removed it with its
    // thread). Any other installed hook belongs to a running program: false
    // with *inUse set. Objects that another user or a program at low
    // integrity made are not used at all: false with *notOurs set (see
    // object_security.h). False also when the objects cannot be made;
    // nothing is left open then.
    bool Create(size_t capacity, const uint8_t (&mark)[3], bool *inUse, bool *notOurs);
    // Rewrites the table under the channel mutex. False if the table does
    // not fit or the mutex stayed taken for timeoutMs (a process stuck in
    // the middle of a report); the old table then stays.
    bool ReplaceTable(const std::vector<KeyTableEntry> &table, DWORD timeoutMs);
    // Entries the table can hold (fewer than asked for in taken-over objects).
    size_t capacity() const { return capacity_; }
    void Close();

    KeyEventChannel *block() const { return view_; }
    HANDLE matchEvent() const { return matchEvent_; }
    HANDLE readyEvent() const { return readyEvent_; }

private:
    HANDLE mapping_ = nullptr;
    KeyEventChannel *view_ = nullptr;
    size_t capacity_ = 0;
    HANDLE mutex_ = nullptr;
    HANDLE matchEvent_ = nullptr;
    HANDLE readyEvent_ = nullptr;
};

// TolvarEx.dll, loaded at run time once the channel exists.
class HookLibrary {
public:
    ~HookLibrary() { Unload(); }
    // Loads the library from path; false with the system's error code when
    // the load fails or an export is missing.
    bool Load(const std::wstring &path, DWORD *error);
    void SetHook() { if (setHook_) setHook_(); }
    void KillHook() { if (killHook_) killHook_(); }
    void Unload();

private:
    HMODULE module_ = nullptr;
    TvHookProc setHook_ = nullptr;
    TvHookProc killHook_ = nullptr;
};

// Waits for the match event; for each report it copies the three fields,
// sets the ready event, and only then hands the copy to the callback, so
// that nothing the program does with a report can delay the hook. The
// callback runs on the listener's thread and must only post.
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
