// path_edit.cpp - subclassing of the path fields. The object is found from
// the window through a window property, so no code is ever written into data
// memory.
#include "options/dialog/path_edit.h"

namespace tolvar {

namespace {

const char kPropertyName[] = "tolvar.PathEdit";

} // namespace

PathEdit::PathEdit()
    : editWindow(nullptr), previousProc(DefWindowProcA), owner(nullptr), browseButtonId(0)
{
}

PathEdit::~PathEdit()
{
    // Normally the window is gone before its object; if not, detach cleanly
    // so that no message reaches freed memory.
    if (editWindow && IsWindow(editWindow)) {
        if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(editWindow, GWLP_WNDPROC)) ==
            WindowProcedure())
            SetWindowLongPtrA(editWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc));
        if (FromWindow(editWindow) == this)
            RemovePropA(editWindow, kPropertyName);
    }
}

bool PathEdit::Attach(HWND edit)
{
    if (!edit || !IsWindow(edit) || GetPropA(edit, kPropertyName))
        return false;
    if (!SetPropA(edit, kPropertyName, this))
        return false;
    LONG_PTR previous =
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProcedure()));
    if (!previous) {
        RemovePropA(edit, kPropertyName);
        return false;
    }
    previousProc = reinterpret_cast<WNDPROC>(previous);
    editWindow = edit;
    return true;
}

PathEdit *PathEdit::FromWindow(HWND window)
{
    return static_cast<PathEdit *>(GetPropA(window, kPropertyName));
}

bool PathEdit::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                             LRESULT *result)
{
    if (message != WM_RBUTTONDOWN && message != WM_KEYDOWN && message != WM_COMMAND)
        return false;
    bool handled = owner != nullptr;
    if (owner) {
        if (message == WM_RBUTTONDOWN)
            owner->OnEditRButtonDown(this, wParam, lParam, handled);
        else if (message == WM_KEYDOWN)
            owner->OnEditKeyDown(this, wParam, lParam, handled);
        else
            owner->OnEditCommand(this, wParam, lParam, handled);
    }
    *result = 0;
    return handled;
}

WNDPROC PathEdit::WindowProcedure()
{
    return RoutedWindowProc;
}

void PathEdit::OnWindowGone(HWND)
{
}

LRESULT CALLBACK PathEdit::RoutedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    PathEdit *self = FromWindow(window);
    if (!self)
        return DefWindowProcA(window, message, wParam, lParam);

    LRESULT result = 0;
    if (message != WM_NCDESTROY) {
        if (self->HandleMessage(window, message, wParam, lParam, &result))
            return result;
        return CallWindowProcA(self->previousProc, window, message, wParam, lParam);
    }

    // The window's last message: hand it on, put the previous procedure back
    // when nobody has subclassed the window after us, and forget the window.
    HWND old = self->editWindow;
    WNDPROC previous = self->previousProc;
    LONG_PTR current = GetWindowLongPtrA(window, GWLP_WNDPROC);
    RemovePropA(window, kPropertyName);
    result = CallWindowProcA(previous, window, message, wParam, lParam);
    if (previous != DefWindowProcA && GetWindowLongPtrA(window, GWLP_WNDPROC) == current &&
        current == reinterpret_cast<LONG_PTR>(self->WindowProcedure()))
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    self->editWindow = nullptr;
    self->OnWindowGone(old);
    return result;
}

} // namespace tolvar
