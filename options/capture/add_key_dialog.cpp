// add_key_dialog.cpp - the Win32 side of the Add New Key dialog: it gathers
// the key event, the focus and the keyboard state, lets capture_rules decide,
// and shows and commits the result.
#include "options/capture/add_key_dialog.h"

#include <new>

#include "options/capture/capture_rules.h"
#include "options/frame/library.h"
#include "options/resources/resource_ids.h"

namespace tolvar {

AddKeyDialog *currentCapture = nullptr;

namespace {

// Reads the capture field: at most kMaxKeyNameChars characters.
int ReadCaptureText(HWND dialog, char (&text)[kMaxKeyNameChars + 1])
{
    text[0] = '\0';
    return GetDlgItemTextA(dialog, IDC_CAPTURE_EDIT, text, sizeof text);
}

} // namespace

AddKeyDialog::AddKeyDialog() { currentCapture = this; }

AddKeyDialog::~AddKeyDialog()
{
    if (currentCapture == this)
        currentCapture = nullptr;
}

bool AddKeyDialog::Show(HINSTANCE module, HWND parent, PointerArray<KeyItem> *targetList)
{
    targetList_ = targetList;
    capturedKeyCode_ = 0;
    capturedModifiers_ = 0;
    INT_PTR result = DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_ADD_KEY), parent, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    return result == IDC_ADD_KEY_OK;
}

INT_PTR CALLBACK AddKeyDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
    auto *self = reinterpret_cast<AddKeyDialog *>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self)
        return FALSE;

    switch (message) {
    case WM_INITDIALOG:
        return self->OnInitDialog(window);
    case WM_DESTROY:
        if (self->captureHook_) {
            UnhookWindowsHookEx(self->captureHook_);
            self->captureHook_ = nullptr;
        }
        // No later message may reach the object through this window.
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        return TRUE;
    case WM_COMMAND:
        self->OnCommand(LOWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR AddKeyDialog::OnInitDialog(HWND window)
{
    HICON icon = static_cast<HICON>(LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(IDI_TOLVAR),
                                               IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                               GetSystemMetrics(SM_CYICON), LR_SHARED));
    if (icon)
        SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    CenterWindow(window);
    window_ = window;
    captureHook_ = SetWindowsHookExA(WH_KEYBOARD, CaptureHookProc, nullptr, GetCurrentThreadId());
    SetFocus(GetDlgItem(window, IDC_CAPTURE_EDIT));
    ApplyOkRule();
    return FALSE; // the focus has been set
}

void AddKeyDialog::OnCommand(WORD id)
{
    switch (id) {
    case IDCANCEL:
    case IDC_ADD_KEY_CANCEL:
        EndDialog(window_, IDC_ADD_KEY_CANCEL);
        break;
    case IDC_CAPTURE_EDIT:
        ApplyOkRule();
        break;
    case IDC_ADD_KEY_OK:
        switch (Commit()) {
        case CommitResult::Added:
            EndDialog(window_, IDC_ADD_KEY_OK);
            break;
        case CommitResult::Duplicate:
            ShowWarning(window_, IDS_KEY_EXISTS);
            break;
        case CommitResult::Empty:
        case CommitResult::NoMemory:
            break;
        }
        break;
    default:
        break;
    }
}

void AddKeyDialog::ApplyOkRule()
{
    char text[kMaxKeyNameChars + 1];
    ReadCaptureText(window_, text);
    EnableWindow(GetDlgItem(window_, IDC_ADD_KEY_OK), text[0] != '\0');
}

LRESULT CALLBACK AddKeyDialog::CaptureHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    AddKeyDialog *self = currentCapture;
    if (!self)
        return CallNextHookEx(nullptr, code, wParam, lParam);
    // Only key messages that are being taken off the queue are captured;
    // peeks without removal (HC_NOREMOVE) would capture twice.
    if (code == HC_ACTION && self->window_) {
        const int vk = static_cast<int>(wParam);
        CaptureEvent event;
        event.vk = vk;
        event.released = (static_cast<DWORD>(lParam) & 0x80000000u) != 0;
        event.lockOn = (GetKeyState(vk) & 1) != 0;
        if (IsCapturingEvent(event) && GetFocus() == GetDlgItem(self->window_, IDC_CAPTURE_EDIT))
            self->Capture(vk, lParam);
    }
    return CallNextHookEx(self->captureHook_, code, wParam, lParam);
}

void AddKeyDialog::Capture(int vk, LPARAM lParam)
{
    capturedModifiers_ = 0;
    capturedKeyCode_ = vk;
    BYTE keyState[256] = {0};
    GetKeyboardState(keyState);
    const bool extended = (static_cast<DWORD>(lParam) & 0x01000000u) != 0;

    char keyName[kMaxKeyNameChars + 1] = {0};
    GetKeyNameTextA(static_cast<LONG>(lParam), keyName, sizeof keyName);

    CaptureResult result = ComposeCapture(vk, extended, HeldModifiersFromKeyboardState(keyState),
                                          IsNtPlatform(), keyName);
    capturedModifiers_ = result.modifiers;
    // The edit's change notification applies the OK rule.
    SetDlgItemTextA(window_, IDC_CAPTURE_EDIT, result.text);
}

AddKeyDialog::CommitResult AddKeyDialog::Commit()
{
    char text[kMaxKeyNameChars + 1];
    if (ReadCaptureText(window_, text) <= 0 || text[0] == '\0')
        return CommitResult::Empty;
    if (!targetList_)
        return CommitResult::NoMemory;
    for (size_t i = 0; i < targetList_->Count(); ++i) {
        const KeyItem *item = targetList_->At(i);
        if (item && item->keyCode == capturedKeyCode_ && item->modifiers == capturedModifiers_)
            return CommitResult::Duplicate;
    }
    KeyItem *item = new (std::nothrow) KeyItem();
    if (!item)
        return CommitResult::NoMemory;
    item->active = 1;
    item->keyCode = capturedKeyCode_;
    item->modifiers = capturedModifiers_;
    lstrcpynA(item->keyName, text, sizeof item->keyName);
    if (!targetList_->Append(item)) {
        delete item;
        return CommitResult::NoMemory;
    }
    return CommitResult::Added;
}

} // namespace tolvar
