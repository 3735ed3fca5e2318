/* windows.h - a stand-in for the Windows SDK's header, for compiling the host
 * header and the minimal host in Microsoft's mode (clang
 * --target=i686-pc-windows-msvc) on a machine without that SDK. MinGW's own
 * headers do not parse in that mode.
 *
 * It declares only what include/tolvar/tolvar_host.h and
 * examples/minimal_host.c use, with the SDK's types and calling conventions
 * for 32-bit x86 (STRICT handles), so that a mismatch in either file fails
 * here as it would against the real header. */
#ifndef TOLVAR_MSVC_STAND_IN_WINDOWS_H
#define TOLVAR_MSVC_STAND_IN_WINDOWS_H

#if !defined(_MSC_VER) || !defined(_M_IX86)
#error "this stand-in is for 32-bit x86 in Microsoft's mode only"
#endif

#include <stdarg.h>
#include <stddef.h>

/* clang takes GCC's attributes in Microsoft's mode too; Microsoft's compiler
 * knows none. Any use after this point is an error here, as it would be
 * there. */
#define __attribute__(x) __attribute___is_unknown_to_microsofts_compiler

#ifdef __cplusplus
extern "C" {
#endif

#define WINAPI   __stdcall
#define CALLBACK __stdcall
#define WINAPIV  __cdecl

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef unsigned long DWORD;
typedef long LONG;
typedef int INT_PTR;
typedef unsigned int UINT;
typedef unsigned int UINT_PTR;
typedef long LONG_PTR;
typedef unsigned long ULONG_PTR;
typedef ULONG_PTR SIZE_T;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef char CHAR;
typedef CHAR *LPSTR;
typedef const CHAR *LPCSTR;
typedef void *LPVOID;
typedef const void *LPCVOID;
typedef DWORD *LPDWORD;
typedef void *HANDLE;

#define DECLARE_HANDLE(name) struct name##__ { int unused; }; typedef struct name##__ *name
DECLARE_HANDLE(HWND);
DECLARE_HANDLE(HINSTANCE);
DECLARE_HANDLE(HMENU);
DECLARE_HANDLE(HBRUSH);
DECLARE_HANDLE(HICON);
DECLARE_HANDLE(HHOOK);
typedef HICON HCURSOR;
typedef HINSTANCE HMODULE;

#ifdef __cplusplus
typedef INT_PTR (WINAPI *FARPROC)(void);
#else
typedef INT_PTR (WINAPI *FARPROC)();
#endif

typedef struct _SECURITY_ATTRIBUTES *LPSECURITY_ATTRIBUTES;
typedef struct _OVERLAPPED *LPOVERLAPPED;
typedef DWORD (WINAPI *LPTHREAD_START_ROUTINE)(LPVOID parameter);
typedef LRESULT (CALLBACK *WNDPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct _MEMORY_BASIC_INFORMATION {
    LPVOID BaseAddress;
    LPVOID AllocationBase;
    DWORD AllocationProtect;
    SIZE_T RegionSize;
    DWORD State;
    DWORD Protect;
    DWORD Type;
} MEMORY_BASIC_INFORMATION, *PMEMORY_BASIC_INFORMATION;

typedef struct _PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
} PROCESS_INFORMATION, *LPPROCESS_INFORMATION;

typedef struct _STARTUPINFOA {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX, dwY, dwXSize, dwYSize, dwXCountChars, dwYCountChars, dwFillAttribute, dwFlags;
    WORD wShowWindow, cbReserved2;
    BYTE *lpReserved2;
    HANDLE hStdInput, hStdOutput, hStdError;
} STARTUPINFOA, *LPSTARTUPINFOA;

typedef struct tagPOINT {
    LONG x, y;
} POINT;

typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
} MSG, *LPMSG;

typedef struct tagWNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
} WNDCLASSA;

#define TRUE  1
#define FALSE 0
#define INFINITE 0xFFFFFFFF
#define WAIT_OBJECT_0 0
#define WAIT_TIMEOUT 258L
#define ERROR_ALREADY_EXISTS 183L
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#define PAGE_READWRITE 0x04
#define FILE_MAP_ALL_ACCESS 0xF001F
#define STD_OUTPUT_HANDLE ((DWORD)-11)

#define WM_DESTROY 0x0002
#define WM_QUIT    0x0012
#define WM_COMMAND 0x0111
#define WM_APP     0x8000
#define PM_NOREMOVE 0x0000
#define LOWORD(l) ((WORD)(((UINT_PTR)(l)) & 0xffff))

#define VK_CAPITAL 0x14
#define VK_NUMLOCK 0x90
#define VK_SCROLL  0x91

#define IDC_ARROW ((LPSTR)32512)
#define COLOR_BTNFACE 15
#define CW_USEDEFAULT ((int)0x80000000)
#define WS_OVERLAPPED  0x00000000L
#define WS_CAPTION     0x00C00000L
#define WS_SYSMENU     0x00080000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_CHILD       0x40000000L
#define WS_VISIBLE     0x10000000L
#define WS_TABSTOP     0x00010000L
#define BS_PUSHBUTTON  0x00000000L
#define SW_SHOWNORMAL  1
#define MB_OK          0x00000000L
#define MB_ICONERROR   0x00000010L

void *__cdecl memset(void *destination, int value, size_t count);
#define ZeroMemory(destination, length) memset((destination), 0, (length))

/* kernel32 */
DWORD WINAPI GetLastError(void);
BOOL WINAPI CloseHandle(HANDLE object);
HANDLE WINAPI GetStdHandle(DWORD which);
BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written,
                      LPOVERLAPPED overlapped);
int WINAPI lstrlenA(LPCSTR text);
LPSTR WINAPI lstrcpynA(LPSTR target, LPCSTR source, int max);
HANDLE WINAPI CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES attributes, DWORD protect,
                                 DWORD sizeHigh, DWORD sizeLow, LPCSTR name);
LPVOID WINAPI MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow,
                            SIZE_T bytes);
BOOL WINAPI UnmapViewOfFile(LPCVOID base);
SIZE_T WINAPI VirtualQuery(LPCVOID address, PMEMORY_BASIC_INFORMATION info, SIZE_T length);
HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES attributes, BOOL owned, LPCSTR name);
BOOL WINAPI ReleaseMutex(HANDLE mutex);
HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState,
                           LPCSTR name);
BOOL WINAPI SetEvent(HANDLE event);
DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD milliseconds);
DWORD WINAPI WaitForMultipleObjects(DWORD count, const HANDLE *objects, BOOL all,
                                    DWORD milliseconds);
HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize,
                           LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                           LPDWORD threadId);
HMODULE WINAPI LoadLibraryA(LPCSTR name);
BOOL WINAPI FreeLibrary(HMODULE module);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
HMODULE WINAPI GetModuleHandleA(LPCSTR name);
HANDLE WINAPI GetCurrentProcess(void);
DWORD WINAPI GetCurrentProcessId(void);
BOOL WINAPI CreateProcessA(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES process,
                           LPSECURITY_ATTRIBUTES thread, BOOL inherit, DWORD flags, LPVOID environment,
                           LPCSTR directory, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION info);

/* user32 */
int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...);
int WINAPI wvsprintfA(LPSTR buffer, LPCSTR format, va_list args);
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
WORD WINAPI RegisterClassA(const WNDCLASSA *windowClass);
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name);
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID parameter);
BOOL WINAPI ShowWindow(HWND window, int command);
BOOL WINAPI EnableWindow(HWND window, BOOL enable);
HWND WINAPI GetDlgItem(HWND dialog, int id);
BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text);
LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void WINAPI PostQuitMessage(int exitCode);
BOOL WINAPI GetMessageA(LPMSG message, HWND window, UINT first, UINT last);
BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT first, UINT last, UINT remove);
BOOL WINAPI PostThreadMessageA(DWORD thread, UINT message, WPARAM wParam, LPARAM lParam);
DWORD WINAPI WaitForInputIdle(HANDLE process, DWORD milliseconds);
BOOL WINAPI TranslateMessage(const MSG *message);
LRESULT WINAPI DispatchMessageA(const MSG *message);

#ifdef __cplusplus
}
#endif

#endif /* TOLVAR_MSVC_STAND_IN_WINDOWS_H */
