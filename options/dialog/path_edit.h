// path_edit.h - the read-only path fields of the options dialog.
//
// A PathEdit subclasses one edit control so that a right-button press, a key
// press and a menu command reach its owner before the edit sees them; every
// other message goes on to the edit's previous window procedure. The owner
// (the options dialog) builds the field's context menu, clears the field on
// Delete and opens the menu on the Apps key.
//
// Messages are routed to the object through a window property on the edit,
// not through generated code: heap memory is not executable.
#ifndef TOLVAR_DIALOG_PATH_EDIT_H
#define TOLVAR_DIALOG_PATH_EDIT_H

#include <windows.h>

namespace tolvar {

class PathEdit;

// The side that receives the three routed messages. Each handler may clear
// `handled` to let the edit's own procedure process the message.
class PathEditOwner {
public:
    virtual void OnEditRButtonDown(PathEdit *edit, WPARAM wParam, LPARAM lParam, bool &handled) = 0;
    virtual void OnEditKeyDown(PathEdit *edit, WPARAM wParam, LPARAM lParam, bool &handled) = 0;
    virtual void OnEditCommand(PathEdit *edit, WPARAM wParam, LPARAM lParam, bool &handled) = 0;

protected:
    ~PathEditOwner() = default;
};

class PathEdit final {
public:
    PathEdit();
    ~PathEdit();
    PathEdit(const PathEdit &) = delete;
    PathEdit &operator=(const PathEdit &) = delete;

    // Subclasses an existing edit control; false (and nothing changed) when
    // the window procedure could not be replaced.
    bool Attach(HWND edit);

    // Offers one message to the owner: WM_RBUTTONDOWN, WM_KEYDOWN and
    // WM_COMMAND go to the owner's handlers; true when handled (*result is
    // then the value to return).
    virtual bool HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                               LRESULT *result);
    // The window procedure installed on attached edits.
    virtual WNDPROC WindowProcedure();
    // Called once the attached window has handled WM_NCDESTROY.
    virtual void OnWindowGone(HWND oldWindow);

    static LRESULT CALLBACK RoutedWindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam);
    // The object attached to a window, or null.
    static PathEdit *FromWindow(HWND window);

    HWND editWindow;        // null before Attach and after WM_NCDESTROY
    WNDPROC previousProc;   // DefWindowProcA before Attach
    PathEditOwner *owner;   // null: nothing is routed
    int browseButtonId;     // the field's "..." button
};

} // namespace tolvar

#endif // TOLVAR_DIALOG_PATH_EDIT_H
