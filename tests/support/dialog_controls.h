// dialog_controls.h - the controls of a dialog in another process, set and
// read as a user's mouse would, by their ids: each change is followed by
// the notification the control sends its dialog when the user makes it.
#ifndef TOLVAR_TESTS_SUPPORT_DIALOG_CONTROLS_H
#define TOLVAR_TESTS_SUPPORT_DIALOG_CONTROLS_H

#include <windows.h>

#include <string>
#include <vector>

namespace tolvar_test {

// A drop-down list's choice (CBN_SELCHANGE), and the one it shows (-1: none).
bool ChooseItem(HWND dialog, int id, int index);
int ChosenItem(HWND dialog, int id);
// A check box clicked (it changes and tells), and whether it is checked.
bool ClickBox(HWND dialog, int id);
bool BoxChecked(HWND dialog, int id);
// An edit's text, typed over (EN_CHANGE), and its text.
bool TypeText(HWND dialog, int id, const std::string &text);
std::string ControlText(HWND dialog, int id);
// A trackbar dragged to a position (WM_HSCROLL), and its position.
bool SlideTo(HWND dialog, int id, int position);
int SliderPosition(HWND dialog, int id);
bool ControlEnabled(HWND dialog, int id);
// The dialog in front with the keyboard focus on the control, for keys to
// be typed into it; waits up to ms.
bool FocusControl(HWND dialog, int id, DWORD ms);

// The dialog's child windows with their places in the dialog's client
// area, in the order of the template (which is the tab order).
struct ChildPlace {
    HWND window;
    int id;
    std::string className;
    RECT rect;
};
std::vector<ChildPlace> ChildPlaces(HWND dialog);
// Pairs of visible controls that overlap, as "id/id" texts; a group box
// overlaps nothing that lies inside it.
std::vector<std::string> Overlaps(const std::vector<ChildPlace> &children);

} // namespace tolvar_test

#endif // TOLVAR_TESTS_SUPPORT_DIALOG_CONTROLS_H
