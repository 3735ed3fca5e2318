// The Display window: a dialog box over a draft of the settings.
#include "host/display/display_window.h"

#include <commctrl.h>

#include <string>

#include "host/display/display_choices.h"
#include "resource_ids.h"

namespace tolvar {

namespace {

const int kStaysIds[kLockKeys] = {IDC_DISPLAY_STAYS_CAPS, IDC_DISPLAY_STAYS_NUM, IDC_DISPLAY_STAYS_SCROLL};

// The key list's columns: the key's name, then when it shows on screen,
// when it sounds, and its tray icon. Widths in dialog units.
enum Column { kColumnKey, kColumnDisplay, kColumnSound, kColumnTray };
const struct {
    const char *title;
    int width;
} kColumns[] = {{"Key", 58}, {"Display", 34}, {"Sound", 34}, {"Tray", 30}};

class DisplayDialog {
public:
    explicit DisplayDialog(const DisplayWindowCalls &calls) : calls_(calls) {}

    static INT_PTR CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND window() const { return window_; }

private:
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnInit();
    void OnCommand(int id, int code, HWND control);
    void OnNotify(const NMHDR &header);
    void OnScroll(HWND control);
    void OnActivate();
    void OnPlaceDragged(const DraggedPlace &place);
    void OnDestroy();

    void Fill();
    void FillKeys();
    void FillKeyRow(int row);
    void FillSelectedKey();
    void SetDurationText();
    void SetOpacityText();
    void Changed();
    void Apply();
    void Close(int result);

    int Choice(int id) const;
    void SetChoice(int id, int index);
    bool Checked(int id) const;
    void SetChecked(int id, bool on);
    std::string Text(int id) const;
    void Enable(int id, bool on);

    DisplayWindowCalls calls_;
    HWND window_ = nullptr;
    Settings applied_;  // in effect when opened or last applied
    Settings draft_;
    int key_ = -1;      // the key the controls below the list edit
    bool filling_ = false;  // the window itself is setting its controls
    bool previewing_ = false;
};

DisplayDialog *g_open = nullptr;

void AddTexts(HWND dialog, int id, const char *const *texts, int count)
{
    for (int i = 0; i < count; ++i)
        SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(texts[i]));
}

INT_PTR CALLBACK DisplayDialog::Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        DisplayDialog *self = reinterpret_cast<DisplayDialog *>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        self->window_ = window;
        self->OnInit();
        return TRUE;
    }
    DisplayDialog *self = reinterpret_cast<DisplayDialog *>(GetWindowLongPtrA(window, DWLP_USER));
    if (!self)
        return FALSE;
    const INT_PTR result = self->OnMessage(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        // No later message reaches the object.
        SetWindowLongPtrA(window, DWLP_USER, 0);
        self->window_ = nullptr;
    }
    return result;
}

INT_PTR DisplayDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_NOTIFY:
        if (lParam)
            OnNotify(*reinterpret_cast<const NMHDR *>(lParam));
        return TRUE;
    case WM_HSCROLL:
    case WM_VSCROLL:
        OnScroll(reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE)
            OnActivate();
        return FALSE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    default:
        if (msg == calls_.placeDragged && msg && lParam) {
            OnPlaceDragged(*reinterpret_cast<const DraggedPlace *>(lParam));
            return TRUE;
        }
        return FALSE;
    }
}

void DisplayDialog::OnInit()
{
    applied_ = calls_.current();
    draft_ = applied_;
    AddTexts(window_, IDC_DISPLAY_MONITOR, kMonitorTexts, kMonitorChoices);
    AddTexts(window_, IDC_DISPLAY_POSITION, kAnchorTexts, kAnchors);
    SendDlgItemMessageA(window_, IDC_DISPLAY_POSITION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kDragToPlaceText));
    AddTexts(window_, IDC_DISPLAY_SIZE, kSizeTexts, kDisplaySizes);
    AddTexts(window_, IDC_DISPLAY_THEME, kThemeTexts, kThemeChoices);
    for (int id : kStaysIds)
        AddTexts(window_, id, kStaysTexts, kStaysChoices);
    AddTexts(window_, IDC_DISPLAY_STACK_CORNER, kCornerTexts, kCorners);
    AddTexts(window_, IDC_DISPLAY_KEY_TRAY, kTrayTexts, kTrayShows);
    for (int id : {IDC_DISPLAY_OFFSET_X_SPIN, IDC_DISPLAY_OFFSET_Y_SPIN})
        SendDlgItemMessageA(window_, id, UDM_SETRANGE32, -kMaxOffsetPercent, kMaxOffsetPercent);
    SendDlgItemMessageA(window_, IDC_DISPLAY_DURATION_SPIN, UDM_SETRANGE32, 1, kDurationSteps);
    SendDlgItemMessageA(window_, IDC_DISPLAY_OPACITY, TBM_SETRANGE, FALSE, MAKELPARAM(kMinOpacityPercent, 100));
    SendDlgItemMessageA(window_, IDC_DISPLAY_OPACITY, TBM_SETPAGESIZE, 0, 10);

    HWND list = GetDlgItem(window_, IDC_DISPLAY_KEYS);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < static_cast<int>(sizeof kColumns / sizeof kColumns[0]); ++i) {
        RECT width = {0, 0, kColumns[i].width, 0};
        MapDialogRect(window_, &width);
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<char *>(kColumns[i].title);
        column.cx = width.right;
        column.iSubItem = i;
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    Fill();
    Changed();
}

void DisplayDialog::Fill()
{
    filling_ = true;
    const DisplaySettings &d = draft_.display;
    SetChoice(IDC_DISPLAY_MONITOR, static_cast<int>(d.monitor));
    SetChoice(IDC_DISPLAY_POSITION, PositionIndex(d));
    SendDlgItemMessageA(window_, IDC_DISPLAY_OFFSET_X_SPIN, UDM_SETPOS32, 0, d.offsetXPercent);
    SendDlgItemMessageA(window_, IDC_DISPLAY_OFFSET_Y_SPIN, UDM_SETPOS32, 0, d.offsetYPercent);
    SetDlgItemInt(window_, IDC_DISPLAY_OFFSET_X, d.offsetXPercent, TRUE);
    SetDlgItemInt(window_, IDC_DISPLAY_OFFSET_Y, d.offsetYPercent, TRUE);
    SetChecked(IDC_DISPLAY_SHOW, draft_.showDisplay);
    SetDurationText();
    SetChecked(IDC_DISPLAY_UNTIL_NEXT_KEY, d.untilNextKey);
    SetChoice(IDC_DISPLAY_SIZE, static_cast<int>(d.size));
    SendDlgItemMessageA(window_, IDC_DISPLAY_OPACITY, TBM_SETPOS, TRUE, d.opacityPercent);
    SetOpacityText();
    SetChoice(IDC_DISPLAY_THEME, static_cast<int>(d.theme));
    SetChecked(IDC_DISPLAY_FADE, d.fade);
    SetChecked(IDC_DISPLAY_HIDE_FULL_SCREEN, d.hideInFullScreen);
    for (int i = 0; i < kLockKeys; ++i)
        SetChoice(kStaysIds[i], static_cast<int>(d.stays[i]));
    SetChoice(IDC_DISPLAY_STACK_CORNER, CornerIndex(d.stackCorner));
    SetChecked(IDC_DISPLAY_ANNOUNCE, d.announce);
    SetChecked(IDC_DISPLAY_SPLASH, d.splash);
    filling_ = false;
    FillKeys();
}

void DisplayDialog::FillKeys()
{
    filling_ = true;
    HWND list = GetDlgItem(window_, IDC_DISPLAY_KEYS);
    const int rows = static_cast<int>(draft_.keys.size());
    if (ListView_GetItemCount(list) != rows) {
        ListView_DeleteAllItems(list);
        for (int row = 0; row < rows; ++row) {
            LVITEMA item = {};
            item.mask = LVIF_TEXT;
            item.iItem = row;
            item.pszText = const_cast<char *>("");
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
    }
    for (int row = 0; row < rows; ++row)
        FillKeyRow(row);
    if (key_ >= rows || (key_ < 0 && rows > 0))
        key_ = rows > 0 ? 0 : -1;
    if (key_ >= 0)
        ListView_SetItemState(list, key_, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    filling_ = false;
    FillSelectedKey();
}

void DisplayDialog::FillKeyRow(int row)
{
    const KeySetting &key = draft_.keys[row];
    const bool toggles = HasToggleState(key);
    const std::string texts[] = {
        key.name,
        StatesText(key.shown.displayOn, key.shown.displayOff, toggles),
        StatesText(key.shown.soundOn, key.shown.soundOff, toggles),
        kTrayTexts[static_cast<int>(key.shown.tray) % kTrayShows],
    };
    HWND list = GetDlgItem(window_, IDC_DISPLAY_KEYS);
    for (int column = 0; column < static_cast<int>(sizeof texts / sizeof texts[0]); ++column) {
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = const_cast<char *>(texts[column].c_str());
        SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    }
}

void DisplayDialog::FillSelectedKey()
{
    filling_ = true;
    const bool any = key_ >= 0 && key_ < static_cast<int>(draft_.keys.size());
    const KeyDisplay shown = any ? draft_.keys[key_].shown : KeyDisplay();
    // A key without a state that stays is indicated when pressed only.
    const bool toggles = any && HasToggleState(draft_.keys[key_]);
    SetChecked(IDC_DISPLAY_KEY_DISPLAY_ON, any && shown.displayOn);
    SetChecked(IDC_DISPLAY_KEY_DISPLAY_OFF, toggles && shown.displayOff);
    SetChecked(IDC_DISPLAY_KEY_SOUND_ON, any && shown.soundOn);
    SetChecked(IDC_DISPLAY_KEY_SOUND_OFF, toggles && shown.soundOff);
    SetChoice(IDC_DISPLAY_KEY_TRAY, any ? static_cast<int>(shown.tray) : -1);
    for (int id : {IDC_DISPLAY_KEY_DISPLAY_ON, IDC_DISPLAY_KEY_SOUND_ON, IDC_DISPLAY_KEY_TRAY})
        Enable(id, any);
    Enable(IDC_DISPLAY_KEY_DISPLAY_OFF, toggles);
    Enable(IDC_DISPLAY_KEY_SOUND_OFF, toggles);
    filling_ = false;
}

void DisplayDialog::SetDurationText()
{
    const bool was = filling_;
    filling_ = true;
    SetDlgItemTextA(window_, IDC_DISPLAY_DURATION, DurationText(draft_.displayMs).c_str());
    SendDlgItemMessageA(window_, IDC_DISPLAY_DURATION_SPIN, UDM_SETPOS32, 0, DurationStep(draft_.displayMs));
    filling_ = was;
}

void DisplayDialog::SetOpacityText()
{
    SetDlgItemTextA(window_, IDC_DISPLAY_OPACITY_TEXT, (std::to_string(draft_.display.opacityPercent) + " %").c_str());
}

void DisplayDialog::OnCommand(int id, int code, HWND)
{
    if (id == IDOK || id == IDCANCEL) {
        if (id == IDOK)
            Apply();
        Close(id);
        return;
    }
    if (id == IDC_DISPLAY_APPLY) {
        Apply();
        return;
    }
    if (filling_)
        return;
    DisplaySettings &d = draft_.display;
    KeyDisplay *shown = key_ >= 0 && key_ < static_cast<int>(draft_.keys.size()) ? &draft_.keys[key_].shown : nullptr;
    if (code == CBN_SELCHANGE) {
        const int index = Choice(id);
        if (index < 0)
            return;
        switch (id) {
        case IDC_DISPLAY_MONITOR:
            if (index < kMonitorChoices)
                d.monitor = static_cast<MonitorChoice>(index);
            break;
        case IDC_DISPLAY_POSITION:
            SetPosition(index, &d);
            break;
        case IDC_DISPLAY_SIZE:
            if (index < kDisplaySizes)
                d.size = static_cast<DisplaySize>(index);
            break;
        case IDC_DISPLAY_THEME:
            if (index < kThemeChoices)
                d.theme = static_cast<ThemeChoice>(index);
            break;
        case IDC_DISPLAY_STACK_CORNER:
            CornerAt(index, &d.stackCorner);
            break;
        case IDC_DISPLAY_KEY_TRAY:
            if (shown && index < kTrayShows)
                shown->tray = static_cast<TrayShow>(index);
            break;
        default:
            for (int i = 0; i < kLockKeys; ++i)
                if (id == kStaysIds[i] && index < kStaysChoices)
                    d.stays[i] = static_cast<Stays>(index);
            break;
        }
    } else if (code == EN_CHANGE) {
        int value = 0;
        if (id == IDC_DISPLAY_DURATION && ParseDuration(Text(id), &value)) {
            draft_.displayMs = value;
            SendDlgItemMessageA(window_, IDC_DISPLAY_DURATION_SPIN, UDM_SETPOS32, 0, DurationStep(value));
        } else if (id == IDC_DISPLAY_OFFSET_X && ParseOffset(Text(id), &value)) {
            d.offsetXPercent = value;
        } else if (id == IDC_DISPLAY_OFFSET_Y && ParseOffset(Text(id), &value)) {
            d.offsetYPercent = value;
        } else {
            return;  // not a value (yet): the draft keeps the last one
        }
    } else if (code == EN_KILLFOCUS) {
        // What was typed, as the draft took it.
        filling_ = true;
        if (id == IDC_DISPLAY_DURATION)
            SetDurationText();
        else if (id == IDC_DISPLAY_OFFSET_X)
            SetDlgItemInt(window_, id, d.offsetXPercent, TRUE);
        else if (id == IDC_DISPLAY_OFFSET_Y)
            SetDlgItemInt(window_, id, d.offsetYPercent, TRUE);
        filling_ = false;
        return;
    } else if (code == BN_CLICKED) {
        const bool on = Checked(id);
        switch (id) {
        case IDC_DISPLAY_SHOW: draft_.showDisplay = on; break;
        case IDC_DISPLAY_UNTIL_NEXT_KEY: d.untilNextKey = on; break;
        case IDC_DISPLAY_FADE: d.fade = on; break;
        case IDC_DISPLAY_HIDE_FULL_SCREEN: d.hideInFullScreen = on; break;
        case IDC_DISPLAY_ANNOUNCE: d.announce = on; break;
        case IDC_DISPLAY_SPLASH: d.splash = on; break;
        case IDC_DISPLAY_KEY_DISPLAY_ON: if (shown) shown->displayOn = on; break;
        case IDC_DISPLAY_KEY_DISPLAY_OFF: if (shown) shown->displayOff = on; break;
        case IDC_DISPLAY_KEY_SOUND_ON: if (shown) shown->soundOn = on; break;
        case IDC_DISPLAY_KEY_SOUND_OFF: if (shown) shown->soundOff = on; break;
        default: return;
        }
    } else {
        return;
    }
    if (shown && id >= IDC_DISPLAY_KEY_DISPLAY_ON && id <= IDC_DISPLAY_KEY_TRAY)
        FillKeyRow(key_);
    Changed();
}

void DisplayDialog::OnNotify(const NMHDR &header)
{
    if (header.idFrom != IDC_DISPLAY_KEYS || header.code != LVN_ITEMCHANGED || filling_)
        return;
    const NMLISTVIEW &change = reinterpret_cast<const NMLISTVIEW &>(header);
    if ((change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED)) {
        key_ = change.iItem;
        FillSelectedKey();
    }
}

void DisplayDialog::OnScroll(HWND control)
{
    if (filling_ || !control)
        return;
    const int id = GetDlgCtrlID(control);
    if (id == IDC_DISPLAY_OPACITY) {
        const int percent = static_cast<int>(SendMessageA(control, TBM_GETPOS, 0, 0));
        if (percent < kMinOpacityPercent || percent > 100 || percent == draft_.display.opacityPercent)
            return;
        draft_.display.opacityPercent = percent;
        SetOpacityText();
    } else if (id == IDC_DISPLAY_DURATION_SPIN) {
        BOOL failed = FALSE;
        const int step = static_cast<int>(SendMessageA(control, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
        if (failed || step < 1 || step > kDurationSteps)
            return;
        draft_.displayMs = step * kDurationStepMs;
        SetDurationText();
    } else {
        return;  // the offsets' arrows change their edits, which tell
    }
    Changed();
}

void DisplayDialog::OnActivate()
{
    // The settings may have changed while another window was in front: the
    // options, or the tray menu's switches. An untouched draft takes them
    // all; one being edited takes the keys and keeps its own choices.
    const Settings &current = calls_.current();
    if (current == applied_)
        return;
    const bool untouched = draft_ == applied_;
    applied_ = current;
    draft_ = untouched ? current : WithDisplayChoices(current, draft_);
    Fill();
    Changed();
}

void DisplayDialog::OnPlaceDragged(const DraggedPlace &place)
{
    KeepPlace(&draft_.display, place);
    draft_.display.dragged = true;
    filling_ = true;
    SetChoice(IDC_DISPLAY_POSITION, PositionIndex(draft_.display));
    filling_ = false;
    Changed();
}

void DisplayDialog::Changed()
{
    const DisplaySettings &d = draft_.display;
    Enable(IDC_DISPLAY_OFFSET_X, !d.dragged);
    Enable(IDC_DISPLAY_OFFSET_X_SPIN, !d.dragged);
    Enable(IDC_DISPLAY_OFFSET_Y, !d.dragged);
    Enable(IDC_DISPLAY_OFFSET_Y_SPIN, !d.dragged);
    Enable(IDC_DISPLAY_UNTIL_NEXT_KEY, draft_.showDisplay);
    Enable(IDC_DISPLAY_DURATION, draft_.showDisplay && !d.untilNextKey);
    Enable(IDC_DISPLAY_DURATION_SPIN, draft_.showDisplay && !d.untilNextKey);
    Enable(IDC_DISPLAY_APPLY, !(draft_ == applied_));
    if (calls_.preview) {
        previewing_ = true;
        calls_.preview(draft_, window_);
    }
}

void DisplayDialog::Apply()
{
    // Changes made elsewhere since the window last looked are kept.
    OnActivate();
    if (draft_ == applied_)
        return;
    calls_.apply(draft_);
    applied_ = calls_.current();
    draft_ = WithDisplayChoices(applied_, draft_);
    Enable(IDC_DISPLAY_APPLY, !(draft_ == applied_));
}

void DisplayDialog::Close(int result)
{
    EndDialog(window_, result);
}

void DisplayDialog::OnDestroy()
{
    // However the window ends (its buttons, Escape, the end of the
    // program), the display shows the settings in effect again.
    if (previewing_ && calls_.endPreview)
        calls_.endPreview();
    previewing_ = false;
}

int DisplayDialog::Choice(int id) const
{
    return static_cast<int>(SendDlgItemMessageA(window_, id, CB_GETCURSEL, 0, 0));
}

void DisplayDialog::SetChoice(int id, int index)
{
    SendDlgItemMessageA(window_, id, CB_SETCURSEL, index, 0);
}

bool DisplayDialog::Checked(int id) const
{
    return IsDlgButtonChecked(window_, id) == BST_CHECKED;
}

void DisplayDialog::SetChecked(int id, bool on)
{
    CheckDlgButton(window_, id, on ? BST_CHECKED : BST_UNCHECKED);
}

std::string DisplayDialog::Text(int id) const
{
    char text[32] = "";
    GetDlgItemTextA(window_, id, text, sizeof text);
    return text;
}

void DisplayDialog::Enable(int id, bool on)
{
    HWND control = GetDlgItem(window_, id);
    // Focus leaves a control before it is disabled, as the dialog manager
    // would move it on.
    if (!on && GetFocus() == control)
        SendMessageA(window_, WM_NEXTDLGCTL, 0, FALSE);
    EnableWindow(control, on);
}

}  // namespace

void RunDisplayWindow(HINSTANCE instance, HWND owner, const DisplayWindowCalls &calls)
{
    if (g_open) {
        HWND open = g_open->window();
        if (IsIconic(open))
            ShowWindow(open, SW_RESTORE);
        SetForegroundWindow(open);
        return;
    }
    DisplayDialog dialog(calls);
    g_open = &dialog;
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_DISPLAY), owner, DisplayDialog::Proc,
                    reinterpret_cast<LPARAM>(&dialog));
    g_open = nullptr;
}

HWND FindDisplayWindow()
{
    return g_open ? g_open->window() : nullptr;
}

}  // namespace tolvar
