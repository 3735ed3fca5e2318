// modal_script.cpp - see modal_script.h.
#include "support/modal_script.h"

namespace tolvar_test {

namespace {

ModalScript *g_running = nullptr;

BOOL CALLBACK CheckChild(HWND child, LPARAM param)
{
    char cls[64] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") != 0 && lstrcmpiA(cls, "Button") != 0) {
        *reinterpret_cast<bool *>(param) = false;
        return FALSE;
    }
    return TRUE;
}

// A message box holds nothing but its text, its icon and its buttons.
bool OnlyStaticsAndButtons(HWND window)
{
    bool only = true;
    EnumChildWindows(window, CheckChild, reinterpret_cast<LPARAM>(&only));
    return only;
}

struct Search {
    const char *caption; // null: any message box
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param)
{
    Search *search = reinterpret_cast<Search *>(param);
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    if (search->caption) {
        if (WindowText(window) == search->caption) {
            search->found = window;
            return FALSE;
        }
    } else if (GetDlgItem(window, 0xFFFF) && GetDlgItem(window, IDOK) && OnlyStaticsAndButtons(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CancelWindow(HWND window, LPARAM)
{
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") == 0)
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return TRUE;
}

} // namespace

ModalScript::ModalScript(DWORD timeoutMs) : timeoutMs_(timeoutMs) {}

ModalScript::~ModalScript()
{
    Stop();
}

void ModalScript::Add(const char *label, Step step)
{
    steps_.push_back(Entry{label, std::move(step)});
}

void ModalScript::Start()
{
    g_running = this;
    started_ = GetTickCount();
    timer_ = SetTimer(nullptr, 0, 10, Tick);
}

void ModalScript::Stop()
{
    if (timer_)
        KillTimer(nullptr, timer_);
    timer_ = 0;
    if (g_running == this)
        g_running = nullptr;
}

std::string ModalScript::StoppedAt() const
{
    if (timedOut_)
        return stoppedAt_ < steps_.size() ? steps_[stoppedAt_].label : "(after the last step)";
    return next_ < steps_.size() ? steps_[next_].label : "";
}

void CALLBACK ModalScript::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_running)
        g_running->RunTick();
}

void ModalScript::RunTick()
{
    // The deadline holds after the last step too: a dialog that the script
    // expected to close and that stays open fails the test instead of
    // hanging it.
    if (!timedOut_ && GetTickCount() - started_ > timeoutMs_) {
        timedOut_ = true;
        stoppedAt_ = next_;
    }
    if (timedOut_) {
        CancelEverything();
        return;
    }
    if (next_ >= steps_.size())
        return;
    // Claim the step first: if it opens a nested modal loop, the ticks inside
    // that loop run the steps after it.
    size_t current = next_++;
    bool done = steps_[current].step();
    if (!done && next_ == current + 1)
        next_ = current;
}

void ModalScript::CancelEverything()
{
    EndMenu();
    CancelThreadDialogs(GetCurrentThreadId());
}

void CancelThreadDialogs(DWORD threadId)
{
    EnumThreadWindows(threadId, CancelWindow, 0);
}

HWND FindThreadDialog(const char *caption)
{
    Search search = {caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindThreadMessageBox()
{
    Search search = {nullptr, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WindowText(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ItemText(HWND dialog, int id)
{
    return WindowText(GetDlgItem(dialog, id));
}

void Click(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void PostClick(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

} // namespace tolvar_test
