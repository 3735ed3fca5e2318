// Scheme save/load throughput against a plain copy, on the Win32 file layer
// (run it under Wine). Works in a new folder under %TEMP%, removed at the end.
//   wine scheme_bench_win.exe [rounds]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/scheme/scheme_bench_core.h"
#include "options/scheme/win32_scheme_files.h"

namespace {

void RemoveTree(const std::string &folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace

int main(int argc, char **argv)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string host = std::string(temp) + "tolvar-scheme-bench-" +
                             std::to_string(GetCurrentProcessId());
    if (!CreateDirectoryA(host.c_str(), nullptr)) {
        std::fprintf(stderr, "cannot create %s\n", host.c_str());
        return 1;
    }
    tolvar::Win32SchemeFiles files;
    tolvar::bench::SchemeBenchConfig config;
    if (argc > 1)
        config.rounds = std::atoi(argv[1]);
    const bool ok = tolvar::bench::RunSchemeBench(files, host, config);
    RemoveTree(host);
    return ok ? 0 : 1;
}
