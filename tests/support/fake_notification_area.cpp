// fake_notification_area.cpp - a notification area that records.
#include "fake_notification_area.h"

#include <shellapi.h>

#include <string.h>

namespace tolvar_test {

namespace {

const char kClassName[] = "Shell_TrayWnd";
const DWORD kWindowsSignature = 0x34753423;  // Windows' record starts with it

std::string Utf16(const std::string &text)
{
    std::string out;
    for (char ch : text) {
        out += ch;
        out += '\0';
    }
    return out;
}

// The tooltip with its terminator as the data holds it, so that
// "Num Lock: on" is not found in a longer text.
std::string TipInData(const std::string &tip)
{
    return Utf16(tip) + std::string(2, '\0');
}

template <typename T> T Field(const std::string &data, size_t offset)
{
    T value = 0;
    if (data.size() >= offset + sizeof value)
        memcpy(&value, data.data() + offset, sizeof value);
    return value;
}

} // namespace

FakeNotificationArea::~FakeNotificationArea()
{
    Close();
    if (lockReady_)
        DeleteCriticalSection(&lock_);
}

bool FakeNotificationArea::Open()
{
    if (!lockReady_) {
        InitializeCriticalSection(&lock_);
        lockReady_ = true;
    }
    EnterCriticalSection(&lock_);
    held_.clear();  // a new shell holds no icons
    LeaveCriticalSection(&lock_);
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
    if (!thread_ || WaitForSingleObject(ready_, 60000) != WAIT_OBJECT_0 || !window_)
        return false;
    // Programs must find this one, not the shell's own.
    return FindWindowA(kClassName, nullptr) == window_;
}

void FakeNotificationArea::Close()
{
    if (thread_) {
        PostMessageA(window_, WM_CLOSE, 0, 0);
        WaitForSingleObject(thread_, 60000);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    if (ready_)
        CloseHandle(ready_);
    ready_ = nullptr;
    window_ = nullptr;
}

void FakeNotificationArea::SetAccepting(bool accepting)
{
    InterlockedExchange(&accepting_, accepting ? 1 : 0);
}

void FakeNotificationArea::FailNextAnswer()
{
    InterlockedExchange(&failNextAnswer_, 1);
}

bool FakeNotificationArea::ShowAsTaskbar(const RECT &area)
{
    return SetWindowPos(window_, HWND_TOPMOST, area.left, area.top, area.right - area.left,
                        area.bottom - area.top, SWP_NOACTIVATE | SWP_SHOWWINDOW) != 0;
}

bool FakeNotificationArea::Restart()
{
    Close();
    if (!Open())
        return false;
    SendNotifyMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    return true;
}

DWORD WINAPI FakeNotificationArea::ThreadMain(void *param)
{
    FakeNotificationArea *self = static_cast<FakeNotificationArea *>(param);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);
    // Topmost, so that it comes before the shell's own in the search.
    self->window_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0,
                                    0, 0, nullptr, nullptr, wc.hInstance, self);
    SetEvent(self->ready_);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

LRESULT CALLBACK FakeNotificationArea::Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE)
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA *>(lParam)->lpCreateParams));
    FakeNotificationArea *self =
        reinterpret_cast<FakeNotificationArea *>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (msg) {
    case WM_COPYDATA: {
        const COPYDATASTRUCT *copy = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
        Call call;
        call.data.assign(static_cast<const char *>(copy->lpData), copy->cbData);
        if (Field<DWORD>(call.data, 0) == kWindowsSignature) {
            call.operation = Field<DWORD>(call.data, 4);
            call.owner = reinterpret_cast<HWND>(static_cast<uintptr_t>(Field<DWORD>(call.data, 12)));
            call.id = Field<UINT>(call.data, 16);
        } else {
            call.operation = static_cast<DWORD>(copy->dwData);
            call.owner = reinterpret_cast<HWND>(static_cast<uintptr_t>(Field<DWORD>(call.data, 0)));
            call.id = Field<UINT>(call.data, 4);
        }
        if (!self)
            return FALSE;
        EnterCriticalSection(&self->lock_);
        const std::pair<HWND, UINT> icon(call.owner, call.id);
        const bool held = self->held_.count(icon) != 0;
        const bool known = call.operation == NIM_MODIFY || call.operation == NIM_DELETE;
        call.accepted = self->accepting_ != 0 && (call.operation == NIM_ADD ? !held : !known || held);
        if (call.accepted && (call.operation == NIM_ADD || call.operation == NIM_MODIFY))
            self->held_[icon] = call.data;
        else if (call.accepted && call.operation == NIM_DELETE)
            self->held_.erase(icon);
        // Only a call that is applied uses up the failing answer.
        call.answered = call.accepted && InterlockedExchange(&self->failNextAnswer_, 0) == 0;
        self->calls_.push_back(call);
        LeaveCriticalSection(&self->lock_);
        return call.answered ? TRUE : FALSE;
    }
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, msg, wParam, lParam);
    }
}

std::vector<FakeNotificationArea::Call> FakeNotificationArea::Calls()
{
    EnterCriticalSection(&lock_);
    std::vector<Call> copy = calls_;
    LeaveCriticalSection(&lock_);
    return copy;
}

void FakeNotificationArea::ClearCalls()
{
    EnterCriticalSection(&lock_);
    calls_.clear();
    LeaveCriticalSection(&lock_);
}

int FakeNotificationArea::Count(DWORD operation, HWND owner, const std::string &tip, bool accepted)
{
    const std::string wide = TipInData(tip);
    int n = 0;
    for (const Call &call : Calls())
        if (call.accepted == accepted && call.operation == operation && call.owner == owner &&
            call.data.find(wide) != std::string::npos)
            ++n;
    return n;
}

UINT FakeNotificationArea::IdOf(HWND owner, const std::string &tip)
{
    const std::string wide = TipInData(tip);
    UINT id = 0;
    EnterCriticalSection(&lock_);
    for (const auto &icon : held_)
        if (icon.first.first == owner && icon.second.find(wide) != std::string::npos)
            id = icon.first.second;
    LeaveCriticalSection(&lock_);
    return id;
}

std::string FakeNotificationArea::HeldData(HWND owner, const std::string &tip)
{
    const std::string wide = TipInData(tip);
    std::string data;
    EnterCriticalSection(&lock_);
    for (const auto &icon : held_)
        if (icon.first.first == owner && icon.second.find(wide) != std::string::npos)
            data = icon.second;
    LeaveCriticalSection(&lock_);
    return data;
}

std::string IconColourBits(HICON icon)
{
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return std::string();
    std::string bits;
    BITMAP colour = {};
    if (info.hbmColor && GetObjectA(info.hbmColor, sizeof colour, &colour)) {
        bits.resize(static_cast<size_t>(colour.bmWidthBytes) * colour.bmHeight);
        bits.resize(GetBitmapBits(info.hbmColor, static_cast<LONG>(bits.size()), &bits[0]));
    }
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bits;
}

std::string FakeNotificationArea::Describe()
{
    std::string text;
    for (const Call &call : Calls()) {
        // The printable UTF-16 runs of the data: the tooltip among them.
        std::string runs;
        for (size_t i = 0; i + 1 < call.data.size(); i += 2) {
            const char ch = call.data[i];
            if (ch >= 32 && ch < 127 && call.data[i + 1] == 0)
                runs += ch;
            else if (!runs.empty() && runs.back() != '|')
                runs += '|';
        }
        text += "op " + std::to_string(call.operation) + " id " + std::to_string(call.id) +
                (call.accepted ? " applied" : " refused") + (call.answered ? " " : ", answered FALSE ") +
                runs.substr(0, 60) + "\n";
    }
    return text;
}

} // namespace tolvar_test
