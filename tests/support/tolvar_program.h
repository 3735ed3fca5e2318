// tolvar_program.h - Tolvar.exe as its end-to-end tests run it: started with
// its switches, watched through its log file, its message boxes and its
// window, and ended the way a user ends it.
#ifndef TOLVAR_TESTS_SUPPORT_TOLVAR_PROGRAM_H
#define TOLVAR_TESTS_SUPPORT_TOLVAR_PROGRAM_H

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "child_process.h"

namespace tolvar_test {

// The folder of the running test program (where the build puts Tolvar.exe).
std::string TestBinFolder();
// A new, empty folder for one test under the test program's folder.
std::string FreshFolder(const std::string &name);
bool WriteFileBytes(const std::string &path, const std::string &bytes);
std::string ReadFileBytes(const std::string &path);
bool FileExists(const std::string &path);

class TolvarProgram {
public:
    // A program still running is asked to exit, so that its hook goes with
    // it; only one that does not is ended by force.
    ~TolvarProgram();
    // Starts exe with the arguments (quoted as needed), in currentFolder
    // (empty: this process's); what it prints goes to a file beside it.
    bool Start(const std::string &exe, const std::vector<std::string> &args,
               const std::string &currentFolder = "");
    // The next start as from this shortcut (ChildProcess::shortcut).
    void FromShortcut(const std::wstring &shortcut) { shortcut_ = shortcut; }
    // The same for paths in any language, its output going to outputPath.
    bool Start(const std::wstring &exe, const std::vector<std::wstring> &args,
               const std::string &outputPath);
    // Until every message posted to its window before the call has been
    // handled, or is being handled in a modal loop (a message box): two
    // round trips of a sent message, the first of which may come before
    // them. (A handler that sends to another thread's window, such as the
    // tray's, takes sent messages while it waits: not for those.) False
    // when it does not answer.
    bool WaitHandled();
    // Until its keyboard hook is installed over a table of at least one key:
    // it indicates from then on. A channel left by an earlier program may
    // still carry that one's hook handle: the handle must be a new one.
    bool WaitReady();
    // Its hidden window.
    HWND Window() const;
    // Asks it to exit (as Exit in its menu does) and waits; its exit code.
    bool Exit(DWORD *code);
    bool WaitExit(DWORD *code);
    DWORD pid() const { return process_ ? process_->Id() : 0; }
    // What it wrote to its standard output and error so far.
    std::string Output() const { return process_ ? process_->Output() : std::string(); }
    // The thread that runs its window.
    DWORD windowThreadId() const { return process_ ? process_->MainThreadId() : 0; }
    // Ends it at once, as the task manager's "End task" does.
    bool Kill();
    bool running() const;

private:
    std::unique_ptr<ChildProcess> process_;
    uint32_t hookAtStart_ = 0;
    std::wstring shortcut_;
};

// Runs exe with the arguments to its end; false when it did not end in time.
bool RunToEnd(const std::string &exe, const std::vector<std::string> &args, DWORD *code);

// The lines of a --log file without their first field (the milliseconds).
std::vector<std::string> LogLines(const std::string &path);
// Waits until the log holds at least n lines.
bool WaitLogLines(const std::string &path, size_t n);

// A visible message box of that process, or null; its text.
HWND FindMessageBoxOf(DWORD pid);
std::string MessageBoxText(HWND box);
// A visible dialog (#32770) of that process with this caption, or null.
HWND FindDialogOf(DWORD pid, const char *caption);

// Saves the screen's rectangle as a 24-bit BMP file.
bool SaveScreenshot(const RECT &area, const std::string &path);

} // namespace tolvar_test

#endif
