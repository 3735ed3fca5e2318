// The controls of a dialog in another process.
#include "dialog_controls.h"

#include <commctrl.h>

#include "keyboard.h"

namespace tolvar_test {

namespace {

const DWORD kAnswerMs = 30000;

// Sent, with a time limit: a hung dialog fails the step, not the test run.
bool Send(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, DWORD_PTR *result = nullptr)
{
    DWORD_PTR answer = 0;
    const bool sent = SendMessageTimeoutA(window, msg, wParam, lParam, SMTO_NORMAL, kAnswerMs, &answer) != 0;
    if (result)
        *result = answer;
    return sent;
}

bool Notify(HWND dialog, int id, WORD code)
{
    return Send(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool IsGroupBox(const ChildPlace &c)
{
    return c.className == "Button" && (GetWindowLongA(c.window, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// An up-down control joins its edit, border over border.
bool Joined(const ChildPlace &a, const ChildPlace &b)
{
    DWORD_PTR buddy = 0;
    return (a.className == UPDOWN_CLASSA && Send(a.window, UDM_GETBUDDY, 0, 0, &buddy) &&
            reinterpret_cast<HWND>(buddy) == b.window) ||
           (b.className == UPDOWN_CLASSA && Send(b.window, UDM_GETBUDDY, 0, 0, &buddy) &&
            reinterpret_cast<HWND>(buddy) == a.window);
}

bool Inside(const RECT &inner, const RECT &outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

} // namespace

bool ChooseItem(HWND dialog, int id, int index)
{
    DWORD_PTR chosen = 0;
    return Send(GetDlgItem(dialog, id), CB_SETCURSEL, index, 0, &chosen) && static_cast<int>(chosen) == index &&
           Notify(dialog, id, CBN_SELCHANGE);
}

int ChosenItem(HWND dialog, int id)
{
    DWORD_PTR chosen = 0;
    return Send(GetDlgItem(dialog, id), CB_GETCURSEL, 0, 0, &chosen) ? static_cast<int>(chosen) : -2;
}

bool ClickBox(HWND dialog, int id)
{
    return Send(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

bool BoxChecked(HWND dialog, int id)
{
    DWORD_PTR state = 0;
    return Send(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, &state) && state == BST_CHECKED;
}

bool TypeText(HWND dialog, int id, const std::string &text)
{
    // The edit itself tells its dialog of the change.
    return Send(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string ControlText(HWND dialog, int id)
{
    // Asked of the control: the text of another process's window is its
    // caption only.
    char text[256] = "";
    Send(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

bool SlideTo(HWND dialog, int id, int position)
{
    HWND bar = GetDlgItem(dialog, id);
    return Send(bar, TBM_SETPOS, TRUE, position) &&
           Send(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(bar));
}

int SliderPosition(HWND dialog, int id)
{
    DWORD_PTR position = 0;
    return Send(GetDlgItem(dialog, id), TBM_GETPOS, 0, 0, &position) ? static_cast<int>(position) : -1;
}

bool FocusControl(HWND dialog, int id, DWORD ms)
{
    HWND control = GetDlgItem(dialog, id);
    return BringToFront(dialog, nullptr, ms) &&
           PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE) &&
           BringToFront(dialog, control, ms);
}

bool ControlEnabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != 0;
}

std::vector<ChildPlace> ChildPlaces(HWND dialog)
{
    std::vector<ChildPlace> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        ChildPlace c = {child, GetDlgCtrlID(child), "", {}};
        char name[64] = "";
        GetClassNameA(child, name, sizeof name);
        c.className = name;
        GetWindowRect(child, &c.rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&c.rect), 2);
        children.push_back(c);
    }
    return children;
}

std::vector<std::string> Overlaps(const std::vector<ChildPlace> &children)
{
    std::vector<std::string> found;
    for (size_t i = 0; i < children.size(); ++i) {
        for (size_t j = i + 1; j < children.size(); ++j) {
            const ChildPlace &a = children[i], &b = children[j];
            if (!IsWindowVisible(a.window) || !IsWindowVisible(b.window))
                continue;
            if ((IsGroupBox(a) && Inside(b.rect, a.rect)) || (IsGroupBox(b) && Inside(a.rect, b.rect)) ||
                Joined(a, b))
                continue;
            RECT common;
            if (IntersectRect(&common, &a.rect, &b.rect))
                found.push_back(std::to_string(a.id) + "/" + std::to_string(b.id));
        }
    }
    return found;
}

} // namespace tolvar_test
