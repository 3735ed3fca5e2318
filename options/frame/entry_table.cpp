// entry_table.cpp - InitDLL and the six entries of the options library.
//
// Entries 1 and 3 keep their dialog to one instance with an interlocked
// guard: a second call while the dialog is showing (from another thread, or
// from the host's own message handling inside the dialog's modal loop) only
// brings the open dialog to the front. Entries 1, 3, 4 and 5 swallow any
// structured fault raised while they run, so that a faulting host callback
// returns control to the host instead of ending its process.
#include <windows.h>

#include <tolvar/tolvar_host.h>

#include "common/fault_guard.h"
#include "options/about/about_window.h"
#include "options/dialog/options_dialog.h"
#include "options/frame/dialog_objects.h"
#include "options/frame/library.h"
#include "options/shell/startup_shortcut.h"

namespace tolvar {

namespace {

volatile LONG g_optionsGuard = 0;
volatile LONG g_aboutGuard = 0;

// A dialog window that a swallowed fault left behind: its modal loop has been
// unwound, so nothing would ever end it. It is ours when it still exists, is
// a dialog of this library and belongs to this thread.
bool IsOrphanedDialog(HWND window)
{
    if (!window || !IsWindow(window))
        return false;
    if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId())
        return false;
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)) ==
           ModuleInstance();
}

// The window that a modal dialog over parent disables while it runs.
HWND ModalOwner(HWND parent)
{
    return parent ? GetAncestor(parent, GA_ROOT) : nullptr;
}

// After a fault: destroy the orphaned dialog and give its owner back the
// input that the modal dialog had taken from it.
void RecoverFromFault(HWND dialog, HWND owner, bool ownerWasEnabled)
{
    if (IsOrphanedDialog(dialog))
        DestroyWindow(dialog);
    if (ownerWasEnabled && owner && IsWindow(owner))
        EnableWindow(owner, TRUE);
}

struct OptionsCall {
    OptionsDialog *dialog;
    HWND parent;
    void *hostContext;
    LoadSettingsProc loadSettings;
    SaveSettingsProc saveSettings;
};

void RunOptionsDialog(void *context)
{
    OptionsCall *call = static_cast<OptionsCall *>(context);
    call->dialog->Show(ModuleInstance(), call->parent, call->hostContext, call->loadSettings,
                       call->saveSettings);
}

void WINAPI ShowOptions(HWND parent, void *hostContext, LoadSettingsProc loadSettings,
                        SaveSettingsProc saveSettings)
{
    if (InterlockedCompareExchange(&g_optionsGuard, 1, 0) != 0) {
        OptionsDialog *open = ExistingOptionsDialog();
        if (open && open->window)
            SetForegroundWindow(open->window);
        return;
    }
    OptionsDialog *dialog = GetOptionsDialog();
    if (dialog) {
        OptionsCall call = {dialog, parent, hostContext, loadSettings, saveSettings};
        HWND owner = ModalOwner(parent);
        bool ownerWasEnabled = owner && IsWindowEnabled(owner);
        if (!RunCatchingFaults(RunOptionsDialog, &call))
            RecoverFromFault(dialog->window, owner, ownerWasEnabled);
    }
    InterlockedDecrement(&g_optionsGuard);
}

void WINAPI ReservedEntry(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t)
{
}

struct AboutCall {
    AboutWindow *about;
    HWND parent;
    bool splash;
};

void RunAboutWindow(void *context)
{
    AboutCall *call = static_cast<AboutCall *>(context);
    call->about->Show(call->parent, call->splash);
}

void WINAPI ShowAbout(HWND parent, int32_t role)
{
    if (InterlockedCompareExchange(&g_aboutGuard, 1, 0) != 0) {
        AboutWindow *open = ExistingAboutWindow();
        if (open && open->Window())
            SetForegroundWindow(open->Window());
        return;
    }
    AboutWindow *about = GetAboutWindow();
    if (about) {
        AboutCall call = {about, parent, role == 1};
        HWND owner = ModalOwner(parent);
        bool ownerWasEnabled = owner && IsWindowEnabled(owner);
        if (!RunCatchingFaults(RunAboutWindow, &call))
            RecoverFromFault(about->Window(), owner, ownerWasEnabled);
    }
    InterlockedDecrement(&g_aboutGuard);
}

void RunCreateShortcut(void *)
{
    tolvar::CreateStartupShortcut();
}

void RunDeleteShortcut(void *)
{
    tolvar::DeleteStartupShortcut();
}

void WINAPI CreateStartupShortcutEntry()
{
    RunCatchingFaults(RunCreateShortcut, nullptr);
}

void WINAPI DeleteStartupShortcutEntry()
{
    RunCatchingFaults(RunDeleteShortcut, nullptr);
}

void WINAPI ShowHelpEntry(uint32_t)
{
    ShowHelp();
}

const OptionsEntryTable kEntryTable = {
    sizeof(OptionsEntryTable),
    ShowOptions,
    ReservedEntry,
    ShowAbout,
    CreateStartupShortcutEntry,
    DeleteStartupShortcutEntry,
    ShowHelpEntry,
};

} // namespace

} // namespace tolvar

extern "C" const OptionsEntryTable *WINAPI InitDLL(uint32_t)
{
    return &tolvar::kEntryTable;
}
