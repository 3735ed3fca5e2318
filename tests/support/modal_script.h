// modal_script.h - drives a modal dialog from inside its own message loop.
//
// A test opens a modal dialog on its own thread; the call does not return
// until the dialog closes. A ModalScript runs a list of steps from a thread
// timer, which every modal loop of the thread (the dialog's, a message box's,
// a menu's) dispatches. A step returns true when it is done and false to be
// tried again at the next tick (for instance while a window has not appeared
// yet). A step that opens a nested modal loop runs the following steps from
// inside it and finishes when that loop ends.
//
// Every script has a deadline: when it passes, the script records the step it
// was waiting on (or that all steps had run), and from then on every tick
// cancels the thread's dialogs, message boxes and menus until the test's
// modal call returns.
#ifndef TOLVAR_TESTS_SUPPORT_MODAL_SCRIPT_H
#define TOLVAR_TESTS_SUPPORT_MODAL_SCRIPT_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tolvar_test {

class ModalScript {
public:
    using Step = std::function<bool()>;

    explicit ModalScript(DWORD timeoutMs = 120000);
    ~ModalScript();

    void Add(const char *label, Step step);
    void Start();
    void Stop();

    bool Finished() const { return next_ >= steps_.size() && !timedOut_; }
    bool TimedOut() const { return timedOut_; }
    // The label of the step the script stopped at, or "".
    std::string StoppedAt() const;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void RunTick();
    void CancelEverything();

    struct Entry {
        std::string label;
        Step step;
    };
    std::vector<Entry> steps_;
    size_t next_ = 0;
    UINT_PTR timer_ = 0;
    DWORD timeoutMs_;
    DWORD started_ = 0;
    bool timedOut_ = false;
    size_t stoppedAt_ = 0;
};

// A visible dialog (#32770) of the calling thread with this caption, or null.
HWND FindThreadDialog(const char *caption);
// A visible message box of the calling thread (a #32770 with its text in
// static 0xFFFF, an IDOK button, and no other kinds of control).
HWND FindThreadMessageBox();
std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);
// Posts IDCANCEL to every dialog (#32770) of a thread: its dialogs and
// message boxes close as if Escape had been pressed in each.
void CancelThreadDialogs(DWORD threadId);
// Sends WM_COMMAND(id, BN_CLICKED) as a click on the control would.
void Click(HWND dialog, int id);
// The same, posted: for clicks that open a nested modal loop.
void PostClick(HWND dialog, int id);

} // namespace tolvar_test

#endif // TOLVAR_TESTS_SUPPORT_MODAL_SCRIPT_H
