// child_process.h - a program started as a user starts it, its standard
// output and error going to a file that the test reads as it grows.
#ifndef TOLVAR_TESTS_SUPPORT_CHILD_PROCESS_H
#define TOLVAR_TESTS_SUPPORT_CHILD_PROCESS_H

#include <windows.h>

#include <string>

namespace tolvar_test {

class ChildProcess {
public:
    ChildProcess() = default;
    // Ends the process if it still runs (the test failed before it closed it).
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Starts commandLine with its output in outputPath (created anew), in
    // currentFolder (empty: this process's current folder).
    bool Start(const std::string &commandLine, const std::string &outputPath,
               const std::string &currentFolder = "");
    // The same with a command line in any language.
    bool Start(const std::wstring &commandLine, const std::string &outputPath,
               const std::string &currentFolder = "");
    // Started as Windows starts a program from this shortcut (its path in
    // the start-up information), when not empty.
    std::wstring shortcut;
    DWORD Id() const { return info_.dwProcessId; }
    DWORD MainThreadId() const { return info_.dwThreadId; }
    HANDLE Handle() const { return info_.hProcess; }
    // Everything the process wrote so far.
    std::string Output() const;
    // Waits up to ms for the process to end; its exit code, or STILL_ACTIVE.
    DWORD WaitForExit(DWORD ms);

private:
    PROCESS_INFORMATION info_ = {};
    std::string outputPath_;
};

// A visible top-level window of that process with this class and, unless
// null, this caption; or null.
HWND FindProcessWindow(DWORD processId, const char *className, const char *caption);

} // namespace tolvar_test

#endif // TOLVAR_TESTS_SUPPORT_CHILD_PROCESS_H
