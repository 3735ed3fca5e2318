// add_key_dialog.h - the "Add New Key" dialog (resource 109).
//
// The user focuses the read-only "Type Here" field and presses a key with its
// modifiers. A keyboard hook on the dialog's own thread sees the key before
// the field does, works out the key code and modifier flags from the keyboard
// state and shows a readable name in the field. OK appends a new KeyItem to
// the options dialog's list unless the same key code with the same modifier
// flags is already there.
//
// The options dialog creates one AddKeyDialog per run and destroys it after
// Show returns. While it exists it is `currentCapture`: a keyboard hook
// procedure receives no pointer of its own, so the hook finds its dialog
// through that library-wide pointer. There is never more than one.
#ifndef TOLVAR_CAPTURE_ADD_KEY_DIALOG_H
#define TOLVAR_CAPTURE_ADD_KEY_DIALOG_H

#include <windows.h>

#include <cstdint>

#include <tolvar/tolvar_host.h>
#include "options/frame/pointer_array.h"

namespace tolvar {

class AddKeyDialog {
public:
    AddKeyDialog();  // becomes currentCapture
    ~AddKeyDialog(); // clears currentCapture (if it is this object)
    AddKeyDialog(const AddKeyDialog &) = delete;
    AddKeyDialog &operator=(const AddKeyDialog &) = delete;

    // Runs dialog 109 modally over parent, loading it from module. Returns
    // true when the dialog ended with OK, that is when exactly one new item
    // was appended to targetList; false after Cancel, Escape or the close
    // box. The list takes ownership of the item, which is allocated with
    // new (std::nothrow) KeyItem() and is to be freed with delete.
    bool Show(HINSTANCE module, HWND parent, PointerArray<KeyItem> *targetList);

    // The dialog's window while it exists, else null.
    HWND Window() const { return window_; }

    // The last capture (key code 0 and modifiers 0 before the first one).
    int32_t CapturedKeyCode() const { return capturedKeyCode_; }
    ModifierFlags CapturedModifiers() const { return capturedModifiers_; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CaptureHookProc(int code, WPARAM wParam, LPARAM lParam);

    INT_PTR OnInitDialog(HWND window);
    void OnCommand(WORD id);
    void ApplyOkRule();
    void Capture(int vk, LPARAM lParam);
    // Appends the captured key; false when the field is empty, the key is
    // already in the list, or the item cannot be allocated.
    enum class CommitResult { Added, Empty, Duplicate, NoMemory };
    CommitResult Commit();

    HHOOK captureHook_ = nullptr;
    HWND window_ = nullptr;
    PointerArray<KeyItem> *targetList_ = nullptr;
    int32_t capturedKeyCode_ = 0;
    ModifierFlags capturedModifiers_ = 0;
};

// The AddKeyDialog that exists at the moment, or null.
extern AddKeyDialog *currentCapture;

} // namespace tolvar

#endif // TOLVAR_CAPTURE_ADD_KEY_DIALOG_H
