// main() of the scheme tests under Windows. The resource store lives beside
// the running executable, so the tests must not run from the shared build
// folder: the program copies itself into a fresh temporary folder, runs the
// copy there (which runs the tests), and removes the folder afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char kInCopyFlag[] = "--in-private-copy";

void RemoveTree(const std::string &folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

std::string Quote(const std::string &arg) { return "\"" + arg + "\""; }

int RunInPrivateCopy(int argc, char **argv)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "tolvar-scheme-" + std::to_string(GetCurrentProcessId());
    RemoveTree(folder);
    if (!CreateDirectoryA(folder.c_str(), nullptr)) {
        std::fprintf(stderr, "cannot create %s\n", folder.c_str());
        return 2;
    }
    const char *name = std::strrchr(self, '\\');
    std::string copy = folder + (name ? name : "\\scheme_wine_test.exe");
    if (!CopyFileA(self, copy.c_str(), FALSE)) {
        std::fprintf(stderr, "cannot copy the test program to %s\n", copy.c_str());
        RemoveTree(folder);
        return 2;
    }

    std::string command = Quote(copy) + " " + kInCopyFlag;
    for (int i = 1; i < argc; ++i)
        command += " " + Quote(argv[i]);
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    std::fflush(stdout);
    if (!CreateProcessA(copy.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                        folder.c_str(), &startup, &process)) {
        std::fprintf(stderr, "cannot start %s\n", copy.c_str());
        RemoveTree(folder);
        return 2;
    }
    DWORD exitCode = 3;
    if (WaitForSingleObject(process.hProcess, 1100000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "the test copy did not finish in time\n");
        TerminateProcess(process.hProcess, 3);
        WaitForSingleObject(process.hProcess, 10000);
    }
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    RemoveTree(folder);
    return static_cast<int>(exitCode);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], kInCopyFlag) == 0) {
        argv[1] = argv[0];
        ++argv;
        --argc;
        testing::InitGoogleTest(&argc, argv);
        return RUN_ALL_TESTS();
    }
    return RunInPrivateCopy(argc, argv);
}
