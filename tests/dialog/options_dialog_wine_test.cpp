// The options dialog, driven as a user would drive it, from a stand-in host:
// Tolvar.dll is loaded at run time, the dialog is opened through the entry
// table with plain C load/save callbacks, and a ModalScript clicks controls
// by id from inside the dialog's modal loop. DrawTextA and PlaySoundA of the
// library are recorded (import patch) so that cell texts, their colours and
// previews can be checked without reading pixels of text or making sounds.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <tolvar/tolvar_host.h>
#include "options/dialog/etched_glyph.h"
#include "options/resources/resource_ids.h"
#include "support/import_patch.h"
#include "support/modal_script.h"
#include "tests/dialog/test_host.h"

using tolvar_test::Click;
using tolvar_test::FindThreadDialog;
using tolvar_test::FindThreadMessageBox;
using tolvar_test::ItemText;
using tolvar_test::ModalScript;
using tolvar_test::PostClick;
using tolvar_test::WindowText;

namespace {

const char kCaption[] = "Tolvar Options";
const char kNeedVisibleIcon[] = "At least one icon item must be visible.";
const char kSoundTooBig[] = "This sound file is too big and cannot be loaded into the memory.";
const char kSchemeLoadFailed[] = "Impossible to load scheme.";
const char kHostRefused[] = "The settings were not saved: the program refused them.";
const char kNoSaveCallback[] = "The settings cannot be saved: the program gave no way to save them.";
const char kSoundEmpty[] = "This sound file is empty.";
const char kSchemeWriteFailed[] = "The scheme could not be written to %s.";

HMODULE g_library;
const OptionsEntryTable *g_table;

// ---- recorders patched into the library's imports ----

struct DrawnText {
    std::string text;
    COLORREF colour;
    RECT rect;
    int literalWidth; // of the text drawn character for character
};
std::vector<DrawnText> g_drawn;
bool g_recordDrawing;
int(WINAPI *g_realDrawText)(HDC, LPCSTR, int, LPRECT, UINT);

int WINAPI RecordDrawText(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format)
{
    if (g_recordDrawing) {
        const int n = length < 0 ? static_cast<int>(std::strlen(text)) : length;
        SIZE extent = {};
        GetTextExtentPoint32A(dc, text, n, &extent);
        g_drawn.push_back({std::string(text, n), GetTextColor(dc), *rect, extent.cx});
    }
    return g_realDrawText(dc, text, length, rect, format);
}

struct PlayedSound {
    std::string file;     // for a file
    UINT_PTR resource;    // for a resource
    HMODULE module;
    DWORD flags;
};
std::vector<PlayedSound> g_played;

BOOL WINAPI RecordPlaySound(LPCSTR sound, HMODULE module, DWORD flags)
{
    PlayedSound played = {"", 0, module, flags};
    if (IS_INTRESOURCE(sound))
        played.resource = reinterpret_cast<UINT_PTR>(sound);
    else if (sound)
        played.file = sound;
    g_played.push_back(played);
    return TRUE;
}

// Scheme writes of the library that fail from the g_failWritesFrom-th call
// on (counting from 1), having written half their bytes when
// g_failHalfWay; 0 lets every write through.
int g_failWritesFrom;
bool g_failHalfWay;
int g_writeCalls;
BOOL(WINAPI *g_realWriteFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);

BOOL WINAPI FailingWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                             LPOVERLAPPED overlapped)
{
    if (g_failWritesFrom > 0 && ++g_writeCalls >= g_failWritesFrom) {
        DWORD half = 0;
        if (g_failHalfWay && size > 1)
            g_realWriteFile(file, data, size / 2, &half, overlapped);
        if (written)
            *written = half;
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return g_realWriteFile(file, data, size, written, overlapped);
}

// ---- files the items name ----

std::string ExeDir()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    char *slash = std::strrchr(path, '\\');
    if (slash)
        *slash = '\0';
    return path;
}

std::string TestFile(const char *name)
{
    return ExeDir() + "\\dialog_files\\" + name;
}

void WriteFileOfSize(const std::string &path, DWORD size, char fill)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    std::vector<char> bytes(size, fill);
    DWORD written = 0;
    if (size)
        WriteFile(file, bytes.data(), size, &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(size, written) << path;
}

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The names of the files in a folder.
std::vector<std::string> FilesIn(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

std::string StartupShortcutPath()
{
    char folder[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, folder, CSIDL_STARTUP, TRUE);
    return std::string(folder) + "\\Tolvar.lnk";
}

// ---- key items ----

KeyItem Item(const char *name, int32_t keyCode, uint8_t modifiers, int hasIcon, int hasOffState,
              int active, const std::string &iconOn = "", const std::string &iconOff = "",
              const std::string &soundOn = "", const std::string &soundOff = "")
{
    KeyItem item;
    std::memset(&item, 0, sizeof item);
    item.active = active;
    item.keyCode = keyCode;
    item.modifiers = modifiers;
    std::snprintf(item.keyName, sizeof item.keyName, "%s", name);
    std::snprintf(item.iconOnPath, sizeof item.iconOnPath, "%s", iconOn.c_str());
    std::snprintf(item.iconOffPath, sizeof item.iconOffPath, "%s", iconOff.c_str());
    std::snprintf(item.soundOnPath, sizeof item.soundOnPath, "%s", soundOn.c_str());
    std::snprintf(item.soundOffPath, sizeof item.soundOffPath, "%s", soundOff.c_str());
    item.hasIcon = hasIcon;
    item.hasOffState = hasOffState;
    return item;
}

// Three lock keys and two combinations; row 1 names a file that is no icon.
std::vector<KeyItem> StandardItems()
{
    return {
        Item("Caps Lock", VK_CAPITAL, 0, 1, 1, 1, TestFile("file_star.ico"), "",
             "C:\\Sounds\\caps.on.wav", ""),
        Item("Num Lock", VK_NUMLOCK, 0, 1, 1, 1, TestFile("not_an_icon.ico"), "", "",
             "C:\\Sounds\\num off.wav"),
        Item("Scroll Lock", VK_SCROLL, 0, 1, 1, 1),
        Item("Ctrl + Shift + A", 'A', TV_MOD_CTRL | TV_MOD_SHIFT, 0, 0, 1, "", "",
             "D:\\Media\\my.sound.wav", ""),
        Item("Ctrl + .", VK_OEM_PERIOD, TV_MOD_CTRL, 0, 0, 0),
    };
}

// ---- reading and driving the dialog ----

HWND List(HWND dialog)
{
    return GetDlgItem(dialog, IDC_KEY_LIST);
}

int Rows(HWND dialog)
{
    return ListView_GetItemCount(List(dialog));
}

int FocusedRow(HWND dialog)
{
    return ListView_GetNextItem(List(dialog), -1, LVNI_FOCUSED);
}

void FocusRow(HWND dialog, int row)
{
    ListView_SetItemState(List(dialog), row, LVIS_FOCUSED | LVIS_SELECTED,
                          LVIS_FOCUSED | LVIS_SELECTED);
}

bool Enabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

bool Checked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

// A click on an auto checkbox: the box flips, then the dialog hears of it.
void Toggle(HWND dialog, int id)
{
    CheckDlgButton(dialog, id, Checked(dialog, id) ? BST_UNCHECKED : BST_CHECKED);
    Click(dialog, id);
}

std::string RowText(HWND dialog, int row, int column)
{
    char text[300] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(List(dialog), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

// The enabled state of every control that depends on the focused row.
struct RowControls {
    bool iconOn, iconOff, soundOn, soundOff, browse[4], play[2], active, up, down, remove;
};

RowControls ReadRowControls(HWND d)
{
    RowControls c;
    c.iconOn = Enabled(d, IDC_ICON_ON_PATH);
    c.iconOff = Enabled(d, IDC_ICON_OFF_PATH);
    c.soundOn = Enabled(d, IDC_SOUND_ON_PATH);
    c.soundOff = Enabled(d, IDC_SOUND_OFF_PATH);
    for (int i = 0; i < 4; ++i)
        c.browse[i] = Enabled(d, IDC_BROWSE_ICON_ON + i);
    c.play[0] = Enabled(d, IDC_PLAY_SOUND_ON);
    c.play[1] = Enabled(d, IDC_PLAY_SOUND_OFF);
    c.active = Enabled(d, IDC_ACTIVE);
    c.up = Enabled(d, IDC_MOVE_UP);
    c.down = Enabled(d, IDC_MOVE_DOWN);
    c.remove = Enabled(d, IDC_DELETE);
    return c;
}

void ExpectNothingRowDependentEnabled(HWND d, const char *context)
{
    RowControls c = ReadRowControls(d);
    EXPECT_FALSE(c.iconOn || c.iconOff || c.soundOn || c.soundOff) << context;
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(c.browse[i]) << context << " browse " << i;
    EXPECT_FALSE(c.play[0] || c.play[1]) << context;
    EXPECT_FALSE(c.active || c.up || c.down || c.remove) << context;
    EXPECT_FALSE(Checked(d, IDC_ACTIVE)) << context;
    for (int id = IDC_ICON_ON_PATH; id <= IDC_SOUND_OFF_PATH; ++id)
        EXPECT_EQ("", ItemText(d, id)) << context << " field " << id;
}

// One row painted by the dialog into a bitmap of our own.
struct RowPaint {
    std::vector<DrawnText> cells;
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    int cellLeft[6] = {};
    COLORREF Pixel(int x, int y) const { return pixels[y * width + x]; }
};

RowPaint PaintRow(HWND dialog, int row, UINT state)
{
    RowPaint paint;
    HWND list = List(dialog);
    RECT client, bounds;
    GetClientRect(list, &client);
    bounds.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
    paint.width = client.right;
    paint.height = bounds.bottom - bounds.top;
    HWND header = GetWindow(list, GW_CHILD);
    for (int i = 0; i < 6; ++i) {
        RECT r = {};
        SendMessageA(header, HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
        paint.cellLeft[i] = r.left;
    }

    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, paint.width, paint.height);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);

    LVITEMA query = {};
    query.mask = LVIF_PARAM;
    query.iItem = row;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
    DRAWITEMSTRUCT record = {};
    record.CtlType = ODT_LISTVIEW;
    record.CtlID = IDC_KEY_LIST;
    record.itemID = row;
    record.itemAction = ODA_DRAWENTIRE;
    record.itemState = state;
    record.hwndItem = list;
    record.hDC = dc;
    record.rcItem = {0, 0, paint.width, paint.height};
    record.itemData = query.lParam;

    g_drawn.clear();
    g_recordDrawing = true;
    SendMessageA(dialog, WM_DRAWITEM, IDC_KEY_LIST, reinterpret_cast<LPARAM>(&record));
    g_recordDrawing = false;
    paint.cells = g_drawn;

    paint.pixels.resize(static_cast<size_t>(paint.width) * paint.height);
    for (int y = 0; y < paint.height; ++y)
        for (int x = 0; x < paint.width; ++x)
            paint.pixels[y * paint.width + x] = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return paint;
}

// The colour in the middle of the small icon of a cell (or the background
// where the cell has no icon).
COLORREF IconCentre(const RowPaint &paint, int column)
{
    int x = paint.cellLeft[column] + GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXSMICON) / 2;
    int y = 1 + GetSystemMetrics(SM_CYSMICON) / 2;
    return paint.Pixel(x, y);
}

// The rightmost column of a painted cell that holds anything but the
// background, or -1 when the cell shows nothing.
int InkRight(const RowPaint &paint, const DrawnText &cell, COLORREF background)
{
    for (int x = std::min<int>(cell.rect.right, paint.width) - 1; x >= cell.rect.left; --x)
        for (int y = 0; y < paint.height; ++y)
            if (paint.Pixel(x, y) != background)
                return x;
    return -1;
}

// Where the list says a sub-item of a row lies, in its client coordinates.
RECT SubItemRect(HWND dialog, int row, int column)
{
    RECT r = {};
    r.top = column;
    r.left = LVIR_BOUNDS;
    SendMessageA(List(dialog), LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&r));
    return r;
}

// The window as the screen shows it, as the rows of a 24-bit bottom-up BMP.
struct WindowShot {
    int width = 0, height = 0;
    std::vector<BYTE> bits;
};

WindowShot CaptureWindow(HWND window)
{
    WindowShot shot;
    RECT r;
    GetWindowRect(window, &r);
    shot.width = r.right - r.left;
    shot.height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, shot.width, shot.height);
    HGDIOBJ old = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, shot.width, shot.height, screen, r.left, r.top, SRCCOPY);
    SelectObject(dc, old);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = shot.width;
    info.biHeight = shot.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    const int stride = (shot.width * 3 + 3) & ~3;
    shot.bits.resize(static_cast<size_t>(stride) * shot.height);
    GetDIBits(dc, bitmap, 0, shot.height, shot.bits.data(), reinterpret_cast<BITMAPINFO *>(&info),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return shot;
}

bool WriteBitmapFile(const WindowShot &shot, const std::string &path)
{
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = shot.width;
    info.biHeight = shot.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(shot.bits.size());
    FILE *out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::fwrite(shot.bits.data(), 1, shot.bits.size(), out);
    return std::fclose(out) == 0;
}

// Adds a step that saves a screenshot of the dialog for a person to look at,
// once the screen shows it settled: the same on two ticks of the script, so
// that the painting the dialog's loop does between ticks has reached it.
template <typename Test>
void AddScreenshot(ModalScript &script, Test *test, const std::string &path)
{
    auto previous = std::make_shared<WindowShot>();
    auto tries = std::make_shared<int>(0);
    script.Add("screenshot", [test, path, previous, tries] {
        WindowShot shot = CaptureWindow(test->Dialog());
        // A caret or another animation may never settle: take it as it is.
        if (shot.bits != previous->bits && ++*tries < 500) {
            *previous = std::move(shot);
            return false;
        }
        EXPECT_TRUE(WriteBitmapFile(shot, path)) << path;
        return true;
    });
}

// ---- menus: what the path fields' context menu offers ----

struct MenuRecord {
    std::vector<std::string> items; // "-" for a separator, "~" prefix for grayed
    RECT popup = {};
    int opened = 0;
};
MenuRecord g_menu;
HHOOK g_menuHook;

LRESULT CALLBACK WatchMenus(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *call = reinterpret_cast<const CWPSTRUCT *>(lParam);
    if (code == HC_ACTION && call->message == WM_INITMENUPOPUP) {
        HMENU menu = reinterpret_cast<HMENU>(call->wParam);
        g_menu.items.clear();
        ++g_menu.opened;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            char text[300] = "";
            MENUITEMINFOA info = {};
            info.cbSize = sizeof info;
            info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_ID;
            info.dwTypeData = text;
            info.cch = sizeof text;
            GetMenuItemInfoA(menu, i, TRUE, &info);
            if (info.fType & MFT_SEPARATOR)
                g_menu.items.push_back("-");
            else
                g_menu.items.push_back(std::string(info.fState & MFS_GRAYED ? "~" : "") + text + "#" +
                                       std::to_string(info.wID));
        }
    }
    if (code == HC_ACTION && call->message == WM_ENTERIDLE && call->wParam == MSGF_MENU) {
        GetWindowRect(reinterpret_cast<HWND>(call->lParam), &g_menu.popup);
        EndMenu();
    }
    return CallNextHookEx(g_menuHook, code, wParam, lParam);
}

BOOL WINAPI Windows98Version(OSVERSIONINFOA *info)
{
    info->dwMajorVersion = 4;
    info->dwMinorVersion = 10;
    info->dwBuildNumber = 2222;
    info->dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    info->szCSDVersion[0] = '\0';
    return TRUE;
}

// ---- the fixture ----

class OptionsDialogTest : public ::testing::Test {
protected:
    // Loads Tolvar.dll afresh (its dialog object is made anew on first use)
    // with the recorders in place; pretend9x makes it see a platform outside
    // the NT family.
    static void LoadTolvar(bool pretend9x)
    {
        if (g_library)
            FreeLibrary(g_library);
        g_table = nullptr;
        g_library = LoadLibraryA("Tolvar.dll");
        if (!g_library)
            return;
        auto init = reinterpret_cast<InitDLLProc>(
            reinterpret_cast<void *>(GetProcAddress(g_library, TV_INIT_DLL_EXPORT)));
        g_table = init ? init(0) : nullptr;
        g_realDrawText = reinterpret_cast<decltype(g_realDrawText)>(tolvar_test::PatchImport(
            g_library, "user32.dll", "DrawTextA", reinterpret_cast<void *>(RecordDrawText)));
        tolvar_test::PatchImport(g_library, "winmm.dll", "PlaySoundA",
                                 reinterpret_cast<void *>(RecordPlaySound));
        g_realWriteFile = reinterpret_cast<decltype(g_realWriteFile)>(tolvar_test::PatchImport(
            g_library, "kernel32.dll", "WriteFile", reinterpret_cast<void *>(FailingWriteFile)));
        if (pretend9x)
            tolvar_test::PatchImport(g_library, "kernel32.dll", "GetVersionExA",
                                     reinterpret_cast<void *>(Windows98Version));
    }

    static void SetUpTestSuite()
    {
        LoadTolvar(false);
        CreateDirectoryA((ExeDir() + "\\dialog_files").c_str(), nullptr);
        WriteFileOfSize(TestFile("not_an_icon.ico"), 64, 'x');
        WriteFileOfSize(TestFile("sound_99999.wav"), 99999, 'w');
        WriteFileOfSize(TestFile("sound_100000.wav"), 100000, 'w');
        WriteFileOfSize(TestFile("sound_empty.wav"), 0, 'w');
        WriteFileOfSize(TestFile("garbage.tvs"), 300, 'g');
    }

    void SetUp() override
    {
        ASSERT_NE(nullptr, g_library) << "Tolvar.dll did not load: " << GetLastError();
        ASSERT_NE(nullptr, g_table);
        ASSERT_NE(nullptr, g_realDrawText) << "DrawTextA import not found";
        ASSERT_NE(nullptr, g_realWriteFile) << "WriteFile import not found";
        g_failWritesFrom = 0;
        g_failHalfWay = false;
        g_writeCalls = 0;
        std::memset(&host, 0, sizeof host);
        host.loadResult = 1;
        host.saveResult = 1;
        saved.assign(TEST_HOST_MAX_ITEMS, KeyItem());
        host.saved = saved.data();
        host.header.beepOnly = 1;
        host.header.numLockOn = 1;
        host.header.addToStartup = 1;
        UseItems(StandardItems());
        g_table->DeleteStartupShortcut();
        g_played.clear();
    }

    void UseItems(const std::vector<KeyItem> &list)
    {
        items = list;
        host.items = items.data();
        host.appendCount = static_cast<int>(items.size());
        host.header.itemCount = static_cast<uint32_t>(items.size());
    }

    // Adds the first step, which waits for the dialog and remembers it.
    void WaitForDialog(ModalScript &script)
    {
        script.Add("dialog appears", [this] {
            dialog = FindThreadDialog(kCaption);
            return dialog != nullptr;
        });
    }

    // Adds a step that waits for a message box with this text and closes it.
    static void AnswerMessageBox(ModalScript &script, const char *label, std::string text)
    {
        script.Add(label, [text] {
            HWND box = FindThreadMessageBox();
            if (!box)
                return false;
            EXPECT_EQ(text, ItemText(box, 0xFFFF));
            PostClick(box, IDOK);
            return true;
        });
    }

    void Run(ModalScript &script, LoadSettingsProc load = TestHostLoad,
             SaveSettingsProc save = TestHostSave)
    {
        script.Start();
        g_table->ShowOptions(nullptr, &host, load, save);
        script.Stop();
        EXPECT_TRUE(script.Finished()) << "script stopped at: " << script.StoppedAt();
        EXPECT_EQ(nullptr, FindThreadDialog(kCaption)) << "the dialog is closed";
    }

public:
    HWND Dialog() const { return dialog; }

protected:
    TestHost host;
    std::vector<KeyItem> items;
    std::vector<KeyItem> saved;
    HWND dialog = nullptr;
};

TEST_F(OptionsDialogTest, OpensWithTheHostsSettingsAndOkWithoutChangesSavesNothing)
{
    ModalScript script;
    WaitForDialog(script);
    script.Add("initial state", [this] {
        HWND d = dialog;
        EXPECT_EQ(1, host.loadCalls);
        EXPECT_EQ(5, Rows(d));
        EXPECT_EQ(0, FocusedRow(d));
        EXPECT_FALSE(Enabled(d, IDC_APPLY));
        EXPECT_TRUE(Checked(d, IDC_BEEP_ONLY));
        EXPECT_FALSE(Checked(d, IDC_SILENT));
        EXPECT_TRUE(Checked(d, IDC_NUM_LOCK_ON));
        EXPECT_TRUE(Enabled(d, IDC_NUM_LOCK_ON)) << "NT platform";
        EXPECT_FALSE(Checked(d, IDC_ADD_TO_STARTUP)) << "follows the shortcut, not the host";
        EXPECT_EQ(items[0].iconOnPath, ItemText(d, IDC_ICON_ON_PATH));
        EXPECT_EQ("", ItemText(d, IDC_ICON_OFF_PATH));
        EXPECT_EQ("C:\\Sounds\\caps.on.wav", ItemText(d, IDC_SOUND_ON_PATH));
        EXPECT_TRUE(Checked(d, IDC_ACTIVE));
        for (int id = IDC_ICON_ON_PATH; id <= IDC_SOUND_OFF_PATH; ++id)
            EXPECT_TRUE(GetWindowLongA(GetDlgItem(d, id), GWL_STYLE) & ES_READONLY) << id;
        for (int row = 0; row < 5; ++row)
            EXPECT_EQ(items[row].keyName, RowText(d, row, 0)) << row;

        // Column widths: 24 % and 4 x 17 %, the rest for "Active".
        RECT client;
        GetClientRect(List(d), &client);
        int sum = 0;
        for (int i = 0; i < 6; ++i)
            sum += ListView_GetColumnWidth(List(d), i);
        EXPECT_EQ(client.right, sum);
        EXPECT_EQ(MulDiv(client.right, 24, 100), ListView_GetColumnWidth(List(d), 0));
        EXPECT_EQ(MulDiv(client.right, 17, 100), ListView_GetColumnWidth(List(d), 3));
        return true;
    });
    script.Add("enable rules per row", [this] {
        HWND d = dialog;
        struct Case {
            int row;
            bool icon, soundOff, up, down, remove, active;
        } cases[] = {
            {0, true, true, false, true, false, true},  // first lock key
            {1, true, true, true, true, false, true},   // middle lock key
            {2, true, true, true, false, false, true},  // next row is no icon item
            {3, false, false, false, false, true, true}, // combination
            {4, false, false, false, false, true, false}, // last row, inactive
        };
        for (const Case &c : cases) {
            FocusRow(d, c.row);
            RowControls s = ReadRowControls(d);
            EXPECT_EQ(c.icon, s.iconOn) << "row " << c.row;
            EXPECT_EQ(c.icon, s.iconOff) << "row " << c.row;
            EXPECT_EQ(c.icon, s.browse[0] && s.browse[1]) << "row " << c.row;
            EXPECT_TRUE(s.soundOn && s.browse[2] && s.play[0]) << "row " << c.row;
            EXPECT_EQ(c.soundOff, s.soundOff) << "row " << c.row;
            EXPECT_EQ(c.soundOff, s.browse[3] && s.play[1]) << "row " << c.row;
            EXPECT_EQ(c.up, s.up) << "row " << c.row;
            EXPECT_EQ(c.down, s.down) << "row " << c.row;
            EXPECT_EQ(c.remove, s.remove) << "row " << c.row;
            EXPECT_TRUE(s.active) << "row " << c.row;
            EXPECT_EQ(c.active, Checked(d, IDC_ACTIVE)) << "row " << c.row;
            EXPECT_EQ(items[c.row].soundOnPath, ItemText(d, IDC_SOUND_ON_PATH)) << "row " << c.row;
        }
        EXPECT_FALSE(Enabled(d, IDC_APPLY)) << "refocusing rows changes nothing";
        Click(d, IDC_OK);
        return true;
    });
    Run(script);
    EXPECT_EQ(0, host.saveCalls);
}

TEST_F(OptionsDialogTest, CellTextsIconsAndRedTextForAMissingIcon)
{
    const COLORREF red = RGB(255, 0, 0);
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF selectedText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    ModalScript script;
    WaitForDialog(script);
    script.Add("paint every row", [&] {
        struct Case {
            int row;
            const char *cells[6];
            bool redOn;
        } cases[] = {
            {0, {"Caps Lock", "file_star", "Default", "caps.on", "Default", "On"}, false},
            {1, {"Num Lock", "not_an_icon", "Default", "Default", "num off", "On"}, true},
            {2, {"Scroll Lock", "Default", "Default", "Default", "Default", "On"}, false},
            {3, {"Ctrl + Shift + A", "N/A", "N/A", "my.sound", "N/A", "On"}, false},
            {4, {"Ctrl + .", "N/A", "N/A", "Default", "N/A", "Off"}, false},
        };
        for (const Case &c : cases) {
            for (UINT state : {0u, static_cast<UINT>(ODS_SELECTED)}) {
                RowPaint paint = PaintRow(dialog, c.row, state);
                EXPECT_EQ(6u, paint.cells.size()) << "row " << c.row;
                if (paint.cells.size() != 6)
                    continue;
                const COLORREF normal = state ? selectedText : text;
                for (int i = 0; i < 6; ++i) {
                    EXPECT_EQ(c.cells[i], paint.cells[i].text) << "row " << c.row << " cell " << i;
                    COLORREF expected = (i == 1 && c.redOn) ? red : normal;
                    EXPECT_EQ(expected, paint.cells[i].colour)
                        << "row " << c.row << " cell " << i << " state " << state;
                }
            }
        }
        // Icons: the file's own, the host's defaults, none for a combination.
        RowPaint caps = PaintRow(dialog, 0, 0);
        EXPECT_EQ(RGB(200, 40, 200), IconCentre(caps, 1)) << "file_star.ico";
        EXPECT_EQ(RGB(150, 170, 150), IconCentre(caps, 2)) << "host icon 2001";
        RowPaint num = PaintRow(dialog, 1, 0);
        EXPECT_EQ(RGB(40, 110, 230), IconCentre(num, 1)) << "host icon 3000 for a missing file";
        RowPaint combo = PaintRow(dialog, 3, 0);
        // Text starts three edges into the cell, after the icon when there is one.
        const int e = GetSystemMetrics(SM_CXEDGE), icon = GetSystemMetrics(SM_CXSMICON);
        if (caps.cells.size() == 6 && combo.cells.size() == 6) {
            EXPECT_EQ(caps.cellLeft[0] + 3 * e, caps.cells[0].rect.left);
            EXPECT_EQ(caps.cellLeft[1] + icon + 3 * e, caps.cells[1].rect.left);
            EXPECT_EQ(caps.cellLeft[2] + icon + 3 * e, caps.cells[2].rect.left);
            EXPECT_EQ(caps.cellLeft[3] + 3 * e, caps.cells[3].rect.left);
            EXPECT_EQ(combo.cellLeft[1] + 3 * e, combo.cells[1].rect.left) << "no image";
            EXPECT_EQ(combo.cellLeft[2] + 3 * e, combo.cells[2].rect.left) << "no image";
            EXPECT_EQ(caps.height, caps.cells[5].rect.bottom);
        }
        EXPECT_EQ(window, combo.Pixel(combo.cellLeft[1] + e + 1, 2)) << "no icon for a combination";
        Click(dialog, IDC_CANCEL);
        return true;
    });
    Run(script);
}

// Cell texts are drawn character for character: an ampersand is no mnemonic.
TEST_F(OptionsDialogTest, CellTextsAreDrawnAsTheyAre)
{
    UseItems({Item("&", VK_OEM_7, TV_MOD_SHIFT, 0, 0, 1, "", "", "C:\\Music\\Drum & Bass.wav"),
              Item("Caps Lock", VK_CAPITAL, 0, 1, 1, 1)});
    ModalScript script;
    WaitForDialog(script);
    script.Add("paint", [this] {
        const COLORREF window = GetSysColor(COLOR_WINDOW);
        RowPaint paint = PaintRow(dialog, 0, 0);
        if (paint.cells.size() == 6) {
            struct Cell {
                int column;
                const char *text;
            } cells[] = {{0, "&"}, {3, "Drum & Bass"}};
            for (const Cell &c : cells) {
                const DrawnText &drawn = paint.cells[c.column];
                EXPECT_EQ(c.text, drawn.text);
                const int right = InkRight(paint, drawn, window);
                EXPECT_GE(right, drawn.rect.left) << c.text << ": nothing shows";
                EXPECT_NEAR(drawn.literalWidth, right - drawn.rect.left + 1, 2)
                    << c.text << ": not every character shows";
            }
        } else {
            ADD_FAILURE() << paint.cells.size() << " cells drawn";
        }
        Click(dialog, IDC_CANCEL);
        return true;
    });
    Run(script);
}

TEST_F(OptionsDialogTest, WarnsWhenNoActiveIconItemRemains)
{
    ModalScript script;
    WaitForDialog(script);
    script.Add("switch off every icon item", [this] {
        for (int row = 0; row < 3; ++row) {
            FocusRow(dialog, row);
            Toggle(dialog, IDC_ACTIVE);
            EXPECT_EQ("Off", RowText(dialog, row, 5)) << row;
        }
        EXPECT_TRUE(Enabled(dialog, IDC_APPLY));
        PostClick(dialog, IDC_APPLY);
        return true;
    });
    AnswerMessageBox(script, "warning after Apply", kNeedVisibleIcon);
    script.Add("Apply stays enabled", [this] {
        if (FindThreadMessageBox())
            return false;
        EXPECT_EQ(0, host.saveCalls);
        EXPECT_TRUE(Enabled(dialog, IDC_APPLY));
        PostClick(dialog, IDC_OK);
        return true;
    });
    AnswerMessageBox(script, "warning after OK", kNeedVisibleIcon);
    script.Add("still open; cancel", [this] {
        if (FindThreadMessageBox())
            return false;
        EXPECT_TRUE(IsWindowVisible(dialog));
        Click(dialog, IDC_CANCEL);
        return true;
    });
    Run(script);
    EXPECT_EQ(0, host.saveCalls);
}

TEST_F(OptionsDialogTest, SaveFailuresOfTheHostWarnAndKeepTheDialogDirty)
{
    struct Case {
        const char *label;
        bool withSaveCallback;
        int saveResult;
        const char *warning;
    } cases[] = {{"host refuses", true, 0, kHostRefused},
                 {"no save callback", false, 1, kNoSaveCallback}};
    for (const Case &c : cases) {
        SetUp();
        host.saveResult = c.saveResult;
        ModalScript script;
        WaitForDialog(script);
        script.Add("change and apply", [this] {
            Toggle(dialog, IDC_SILENT);
            PostClick(dialog, IDC_APPLY);
            return true;
        });
        AnswerMessageBox(script, c.label, c.warning);
        script.Add("dirty; cancel", [this] {
            if (FindThreadMessageBox())
                return false;
            EXPECT_TRUE(Enabled(dialog, IDC_APPLY));
            Click(dialog, IDC_CANCEL);
            return true;
        });
        Run(script, TestHostLoad, c.withSaveCallback ? TestHostSave : nullptr);
        EXPECT_EQ(c.withSaveCallback ? 1 : 0, host.saveCalls) << c.label;
    }
}

TEST_F(OptionsDialogTest, MoveAndDeleteFollowTheirRules)
{
    ModalScript script;
    WaitForDialog(script);
    script.Add("moves", [this] {
        HWND d = dialog;
        FocusRow(d, 2);
        Click(d, IDC_MOVE_DOWN); // disabled: the next row is no icon item
        EXPECT_EQ("Scroll Lock", RowText(d, 2, 0));
        EXPECT_FALSE(Enabled(d, IDC_APPLY));
        Click(d, IDC_MOVE_UP);
        EXPECT_EQ("Caps Lock", RowText(d, 0, 0));
        EXPECT_EQ("Scroll Lock", RowText(d, 1, 0));
        EXPECT_EQ("Num Lock", RowText(d, 2, 0));
        EXPECT_EQ(1, FocusedRow(d)) << "the moved row stays focused";
        EXPECT_TRUE(ListView_GetItemState(List(d), 1, LVIS_SELECTED));
        EXPECT_TRUE(Enabled(d, IDC_APPLY));
        FocusRow(d, 0);
        Click(d, IDC_MOVE_UP); // first row
        EXPECT_EQ("Caps Lock", RowText(d, 0, 0));
        return true;
    });
    script.Add("deletes", [this] {
        HWND d = dialog;
        FocusRow(d, 0);
        Click(d, IDC_DELETE); // a toggle key cannot be deleted
        EXPECT_EQ(5, Rows(d));
        FocusRow(d, 4);
        Click(d, IDC_DELETE);
        EXPECT_EQ(4, Rows(d));
        EXPECT_EQ(3, FocusedRow(d)) << "the row above becomes current";
        EXPECT_EQ("Ctrl + Shift + A", ItemText(d, IDC_SOUND_ON_PATH) == "D:\\Media\\my.sound.wav"
                                          ? RowText(d, 3, 0)
                                          : std::string("fields not refreshed"));
        Click(d, IDC_APPLY);
        EXPECT_FALSE(Enabled(d, IDC_APPLY));
        Click(d, IDC_CANCEL);
        return true;
    });
    Run(script);
    ASSERT_EQ(1, host.saveCalls);
    ASSERT_EQ(4u, host.savedCount);
    const char *order[] = {"Caps Lock", "Scroll Lock", "Num Lock", "Ctrl + Shift + A"};
    for (int i = 0; i < 4; ++i)
        EXPECT_STREQ(order[i], saved[i].keyName) << i;
    EXPECT_EQ(4u, host.savedHeader.itemCount);
    EXPECT_EQ(1, host.savedHeader.beepOnly);
    EXPECT_EQ(0, host.savedHeader.silent);
    EXPECT_EQ(1, host.savedHeader.numLockOn);
    EXPECT_EQ(0, host.savedHeader.addToStartup);
}

TEST_F(OptionsDialogTest, DeletingTheFirstRowLeavesNoRowAndMoveUpPastAPlainRowDoesNothing)
{
    UseItems({Item("Pause", VK_PAUSE, 0, 0, 0, 1, "", "", "C:\\p.wav"),
              Item("Caps Lock", VK_CAPITAL, 0, 1, 1, 1)});
    ModalScript script;
    WaitForDialog(script);
    script.Add("move up past a plain row", [this] {
        HWND d = dialog;
        FocusRow(d, 1);
        EXPECT_TRUE(Enabled(d, IDC_MOVE_UP)) << "the row above is not examined";
        Click(d, IDC_MOVE_UP);
        EXPECT_EQ("Pause", RowText(d, 0, 0));
        EXPECT_EQ(1, FocusedRow(d));
        EXPECT_FALSE(Enabled(d, IDC_APPLY)) << "nothing changed";
        return true;
    });
    script.Add("delete the first row", [this] {
        HWND d = dialog;
        FocusRow(d, 0);
        Click(d, IDC_DELETE);
        EXPECT_EQ(1, Rows(d));
        EXPECT_EQ(-1, FocusedRow(d));
        ExpectNothingRowDependentEnabled(d, "after deleting row 0");
        EXPECT_TRUE(Enabled(d, IDC_APPLY));
        Click(d, IDC_OK);
        return true;
    });
    Run(script);
    ASSERT_EQ(1, host.saveCalls);
    ASSERT_EQ(1u, host.savedCount);
    EXPECT_STREQ("Caps Lock", saved[0].keyName);
}

TEST_F(OptionsDialogTest, ToggleActiveReachesTheHostAndRefocusingDoesNotMarkDirty)
{
    ModalScript script;
    WaitForDialog(script);
    script.Add("toggle and apply", [this] {
        HWND d = dialog;
        FocusRow(d, 3);
        Toggle(d, IDC_ACTIVE);
        EXPECT_FALSE(Checked(d, IDC_ACTIVE));
        EXPECT_EQ("Off", RowText(d, 3, 5));
        FocusRow(d, 4);
        Toggle(d, IDC_ACTIVE);
        EXPECT_EQ("On", RowText(d, 4, 5));
        Click(d, IDC_APPLY);
        EXPECT_EQ(1, host.saveCalls);
        EXPECT_FALSE(Enabled(d, IDC_APPLY));
        for (int row : {0, 1, 2, 3})
            FocusRow(d, row);
        EXPECT_FALSE(Enabled(d, IDC_APPLY)) << "filling the fields is no edit";
        Click(d, IDC_OK);
        return true;
    });
    Run(script);
    EXPECT_EQ(1, host.saveCalls) << "OK after Apply without changes saves nothing";
    ASSERT_EQ(5u, host.savedCount);
    const int expected[] = {1, 1, 1, 0, 1};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(expected[i], +saved[i].active) << i;
}

TEST_F(OptionsDialogTest, AddToStartupFollowsTheShortcutAndOnlyAppliesOnce)
{
    const std::string link = StartupShortcutPath();
    g_table->CreateStartupShortcut();
    ASSERT_TRUE(FileExists(link)) << link;
    host.header.addToStartup = 0;

    // Saving a shell link starts the platform's menu builder and waits for
    // it, which takes minutes under emulation.
    ModalScript first(900000);
    WaitForDialog(first);
    first.Add("untick and apply", [&] {
        EXPECT_TRUE(Checked(dialog, IDC_ADD_TO_STARTUP)) << "the shortcut exists";
        Toggle(dialog, IDC_ADD_TO_STARTUP);
        Click(dialog, IDC_APPLY);
        EXPECT_FALSE(FileExists(link)) << "deleted on Apply";
        Toggle(dialog, IDC_ADD_TO_STARTUP);
        Click(dialog, IDC_CANCEL);
        return true;
    });
    Run(first);
    EXPECT_FALSE(FileExists(link)) << "Cancel leaves the shortcut alone";
    EXPECT_EQ(0, host.savedHeader.addToStartup);

    host.header.addToStartup = 1;
    ModalScript second(900000);
    WaitForDialog(second);
    second.Add("tick and apply, then apply something else", [&] {
        EXPECT_FALSE(Checked(dialog, IDC_ADD_TO_STARTUP)) << "no shortcut, whatever the host says";
        Toggle(dialog, IDC_ADD_TO_STARTUP);
        Click(dialog, IDC_APPLY);
        EXPECT_TRUE(FileExists(link)) << "created on Apply";
        g_table->DeleteStartupShortcut();
        Toggle(dialog, IDC_SILENT);
        Click(dialog, IDC_OK);
        return true;
    });
    Run(second);
    EXPECT_FALSE(FileExists(link)) << "a later Apply does not touch the shortcut";
    EXPECT_EQ(3, host.saveCalls);
    EXPECT_EQ(1, host.savedHeader.addToStartup);
    EXPECT_EQ(1, host.savedHeader.silent);
}

TEST_F(OptionsDialogTest, CancelDiscardsEditsAndTheNextOpeningShowsTheHostsSettings)
{
    ModalScript first;
    WaitForDialog(first);
    first.Add("edit and cancel", [this] {
        FocusRow(dialog, 4);
        Click(dialog, IDC_DELETE);
        Toggle(dialog, IDC_SILENT);
        Click(dialog, IDC_CANCEL);
        return true;
    });
    Run(first);
    ModalScript second;
    WaitForDialog(second);
    second.Add("as the host has it", [this] {
        EXPECT_EQ(5, Rows(dialog));
        EXPECT_FALSE(Checked(dialog, IDC_SILENT));
        EXPECT_FALSE(Enabled(dialog, IDC_APPLY));
        Click(dialog, IDC_OK);
        return true;
    });
    Run(second);
    EXPECT_EQ(2, host.loadCalls);
    EXPECT_EQ(0, host.saveCalls);
}

// Whatever an earlier opening left unapplied, and whatever the load returns,
// an opening starts with nothing to apply.
TEST_F(OptionsDialogTest, EveryOpeningStartsClean)
{
    const std::string link = StartupShortcutPath();
    struct Case {
        const char *label;
        bool shortcutBefore;
        int earlierChange;          // the switch the earlier opening changed before Cancel
        int loadResult;             // of the opening under test
        std::function<void(HWND)> act; // ends the opening under test
        bool saved, shortcutAfter;
    } cases[] = {
        {"after Cancel, a failed load: OK closes at once", false, IDC_SILENT, 0,
         [](HWND d) {
             EXPECT_FALSE(Enabled(d, IDC_APPLY));
             Click(d, IDC_OK);
         },
         false, false},
        {"after Cancel, a failed load: a change enables Apply", false, IDC_SILENT, 0,
         [](HWND d) {
             Toggle(d, IDC_BEEP_ONLY);
             EXPECT_TRUE(Enabled(d, IDC_APPLY));
             Click(d, IDC_CANCEL);
         },
         false, false},
        {"after a cancelled Startup switch, OK leaves the shortcut alone", true,
         IDC_ADD_TO_STARTUP, 1,
         [&](HWND d) {
             g_table->DeleteStartupShortcut(); // behind the dialog's back
             Toggle(d, IDC_SILENT);
             Click(d, IDC_OK);
         },
         true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        SetUp();
        if (c.shortcutBefore)
            g_table->CreateStartupShortcut();
        // Saving a shell link can take minutes under emulation.
        const DWORD deadline = c.shortcutBefore ? 900000 : 120000;
        ModalScript earlier(deadline);
        WaitForDialog(earlier);
        earlier.Add("change and cancel", [&] {
            Toggle(dialog, c.earlierChange);
            Click(dialog, IDC_CANCEL);
            return true;
        });
        Run(earlier);

        host.loadResult = c.loadResult;
        ModalScript later(deadline);
        WaitForDialog(later);
        later.Add(c.label, [&] {
            c.act(dialog);
            return true;
        });
        Run(later);
        EXPECT_EQ(c.saved ? 1 : 0, host.saveCalls);
        EXPECT_EQ(c.shortcutAfter, FileExists(link));
    }
}

TEST_F(OptionsDialogTest, AFailedLoadOpensAnEmptyDialog)
{
    struct Case {
        const char *label;
        bool withLoadCallback;
        int loadResult;
        int appendCount; // items appended of the header's count
        int headerCount;
    } cases[] = {
        {"load callback fails", true, 0, 5, 5},
        {"no load callback", false, 1, 5, 5},
        {"items counted but none appended", true, 1, 0, 2},
    };
    for (const Case &c : cases) {
        SetUp();
        host.loadResult = c.loadResult;
        host.appendCount = c.appendCount;
        host.header.itemCount = c.headerCount;
        ModalScript script;
        WaitForDialog(script);
        script.Add("empty", [&] {
            EXPECT_EQ(0, Rows(dialog)) << c.label;
            ExpectNothingRowDependentEnabled(dialog, c.label);
            EXPECT_FALSE(Enabled(dialog, IDC_APPLY)) << c.label;
            EXPECT_TRUE(Enabled(dialog, IDC_ADD_NEW)) << c.label;
            Click(dialog, IDC_OK);
            return true;
        });
        Run(script, c.withLoadCallback ? TestHostLoad : nullptr, TestHostSave);
        EXPECT_EQ(0, host.saveCalls) << c.label;
    }
}

// A host may write into the block it fills; the import reads only the items
// the block has room for, and only from the block itself.
TEST_F(OptionsDialogTest, TheImportReadsNoMoreThanTheBlockHolds)
{
    struct Case {
        const char *label;
        unsigned raiseCount;
        int pointItemsHere;
        int rows;
    } cases[] = {
        {"item count raised past the block", 40, 0, 5},
        {"items pointed outside the block", 0, 1, 0},
    };
    for (const Case &c : cases) {
        SetUp();
        host.raiseCount = c.raiseCount;
        host.pointItemsHere = c.pointItemsHere;
        ModalScript script;
        WaitForDialog(script);
        script.Add(c.label, [&] {
            EXPECT_EQ(c.rows, Rows(dialog)) << c.label;
            for (int row = 0; row < Rows(dialog) && row < 5; ++row)
                EXPECT_EQ(items[row].keyName, RowText(dialog, row, 0)) << c.label;
            Click(dialog, IDC_CANCEL);
            return true;
        });
        Run(script);
    }
}

TEST_F(OptionsDialogTest, UnterminatedTextsFromTheHostStayInsideTheirFields)
{
    KeyItem item = Item("", VK_CAPITAL, 0, 1, 1, 1);
    std::memset(item.keyName, 'K', sizeof item.keyName);
    std::memset(item.soundOnPath, 'S', sizeof item.soundOnPath);
    std::memset(item.iconOffPath, 'I', sizeof item.iconOffPath);
    UseItems({item});
    ModalScript script;
    WaitForDialog(script);
    script.Add("texts are cut at their field", [this] {
        EXPECT_EQ(std::string(128, 'K'), RowText(dialog, 0, 0));
        EXPECT_EQ(std::string(260, 'S'), ItemText(dialog, IDC_SOUND_ON_PATH));
        EXPECT_EQ(std::string(260, 'I'), ItemText(dialog, IDC_ICON_OFF_PATH));
        Click(dialog, IDC_CANCEL);
        return true;
    });
    Run(script);
}

TEST_F(OptionsDialogTest, PathFieldEditsReachTheFocusedItem)
{
    ModalScript script;
    WaitForDialog(script);
    script.Add("typing is refused, Delete and Clear empty a field", [this] {
        HWND d = dialog;
        HWND soundOn = GetDlgItem(d, IDC_SOUND_ON_PATH);
        SendMessageA(soundOn, WM_CHAR, 'x', 0);
        EXPECT_EQ("C:\\Sounds\\caps.on.wav", ItemText(d, IDC_SOUND_ON_PATH)) << "read-only";
        EXPECT_FALSE(Enabled(d, IDC_APPLY));

        SendMessageA(soundOn, WM_KEYDOWN, VK_DELETE, 0);
        EXPECT_EQ("", ItemText(d, IDC_SOUND_ON_PATH));
        EXPECT_FALSE(Enabled(d, IDC_PLAY_SOUND_ON)) << "nothing to play";
        EXPECT_TRUE(Enabled(d, IDC_APPLY));

        SendMessageA(GetDlgItem(d, IDC_ICON_ON_PATH), WM_COMMAND, IDM_PATH_CLEAR, 0);
        EXPECT_EQ("", ItemText(d, IDC_ICON_ON_PATH));
        RowPaint caps = PaintRow(d, 0, 0);
        EXPECT_EQ("Default", caps.cells[1].text);
        EXPECT_EQ("Default", caps.cells[3].text);
        EXPECT_EQ(RGB(40, 200, 60), IconCentre(caps, 1)) << "host icon 2000 now";

        FocusRow(d, 1);
        RowPaint before = PaintRow(d, 1, 0);
        EXPECT_EQ(RGB(255, 0, 0), before.cells[1].colour);
        SendMessageA(GetDlgItem(d, IDC_ICON_ON_PATH), WM_KEYDOWN, VK_DELETE, 0);
        RowPaint after = PaintRow(d, 1, 0);
        EXPECT_EQ("Default", after.cells[1].text);
        EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), after.cells[1].colour) << "no longer missing";

        // An icon field set to a file that loads.
        SetDlgItemTextA(d, IDC_ICON_OFF_PATH, TestFile("file_moon.ico").c_str());
        RowPaint moon = PaintRow(d, 1, 0);
        EXPECT_EQ("file_moon", moon.cells[2].text);
        EXPECT_EQ(RGB(230, 220, 40), IconCentre(moon, 2));

        // Other keys are not handled by the field.
        SendMessageA(GetDlgItem(d, IDC_SOUND_OFF_PATH), WM_KEYDOWN, VK_BACK, 0);
        EXPECT_EQ("C:\\Sounds\\num off.wav", ItemText(d, IDC_SOUND_OFF_PATH));
        return true;
    });
    script.Add("copy puts the selection on the clipboard", [this] {
        HWND d = dialog;
        FocusRow(d, 3);
        HWND field = GetDlgItem(d, IDC_SOUND_ON_PATH);
        SendMessageA(field, EM_SETSEL, 3, 8);
        SendMessageA(field, WM_COMMAND, IDM_PATH_COPY, 0);
        std::string copied;
        if (OpenClipboard(nullptr)) {
            HANDLE data = GetClipboardData(CF_TEXT);
            if (const char *text = static_cast<const char *>(GlobalLock(data))) {
                copied = text;
                GlobalUnlock(data);
            }
            CloseClipboard();
        }
        EXPECT_EQ("Media", copied);
        Click(d, IDC_OK);
        return true;
    });
    Run(script);
    ASSERT_EQ(1, host.saveCalls);
    EXPECT_STREQ("", saved[0].soundOnPath);
    EXPECT_STREQ("", saved[0].iconOnPath);
    EXPECT_STREQ("", saved[1].iconOnPath);
    EXPECT_EQ(TestFile("file_moon.ico"), saved[1].iconOffPath);
    EXPECT_STREQ("D:\\Media\\my.sound.wav", saved[3].soundOnPath);
}

TEST_F(OptionsDialogTest, PlayButtonsPreviewTheFieldOrTheHostsSound)
{
    ModalScript script;
    WaitForDialog(script);
    script.Add("play", [this] {
        HWND d = dialog;
        FocusRow(d, 0);
        Click(d, IDC_PLAY_SOUND_ON);  // a file
        Click(d, IDC_PLAY_SOUND_OFF); // empty: host resource 107
        FocusRow(d, 1);
        Click(d, IDC_PLAY_SOUND_ON); // empty: host resource 106
        Click(d, IDC_CANCEL);
        return true;
    });
    Run(script);
    ASSERT_EQ(3u, g_played.size());
    EXPECT_EQ("C:\\Sounds\\caps.on.wav", g_played[0].file);
    EXPECT_EQ(static_cast<DWORD>(SND_FILENAME | SND_ASYNC), g_played[0].flags);
    EXPECT_EQ(nullptr, g_played[0].module);
    const UINT_PTR resources[] = {107, 106};
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(resources[i - 1], g_played[i].resource) << i;
        EXPECT_EQ(GetModuleHandleA(nullptr), g_played[i].module) << i;
        EXPECT_EQ(static_cast<DWORD>(SND_RESOURCE | SND_ASYNC), g_played[i].flags) << i;
    }
}

TEST_F(OptionsDialogTest, ContextMenuOfThePathFields)
{
    g_menu = MenuRecord();
    g_menuHook = SetWindowsHookExA(WH_CALLWNDPROC, WatchMenus, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, g_menuHook);
    ModalScript script;
    WaitForDialog(script);
    script.Add("menus", [this] {
        HWND d = dialog;
        HWND iconOff = GetDlgItem(d, IDC_ICON_OFF_PATH);
        HWND soundOn = GetDlgItem(d, IDC_SOUND_ON_PATH);
        struct Case {
            const char *label;
            HWND field;
            int selStart, selEnd;
            std::vector<std::string> expected;
        } cases[] = {
            {"empty field", iconOff, 0, 0,
             {"Select Off Icon#10", "-", "~Clear#11", "-", "~Copy#12"}},
            {"text, no selection", soundOn, 0, 0,
             {"Select On Sound#10", "-", "Clear#11", "-", "~Copy#12"}},
            {"text with a selection", soundOn, 0, 4,
             {"Select On Sound#10", "-", "Clear#11", "-", "Copy#12"}},
        };
        for (const Case &c : cases) {
            SendMessageA(c.field, EM_SETSEL, c.selStart, c.selEnd);
            int opened = g_menu.opened;
            SendMessageA(c.field, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 4));
            EXPECT_EQ(opened + 1, g_menu.opened) << c.label;
            EXPECT_EQ(c.expected, g_menu.items) << c.label;
        }
        // The Apps key opens the menu at the field's top-left corner.
        SendMessageA(soundOn, WM_KEYDOWN, VK_APPS, 0);
        POINT corner = {0, 0};
        ClientToScreen(soundOn, &corner);
        EXPECT_EQ(corner.x, g_menu.popup.left);
        EXPECT_EQ(corner.y, g_menu.popup.top);
        EXPECT_EQ("C:\\Sounds\\caps.on.wav", ItemText(d, IDC_SOUND_ON_PATH)) << "nothing chosen";
        EXPECT_FALSE(Enabled(d, IDC_APPLY));
        Click(d, IDC_CANCEL);
        return true;
    });
    Run(script);
    UnhookWindowsHookEx(g_menuHook);
}

TEST_F(OptionsDialogTest, BrowsingChecksTheSizeOfSounds)
{
    struct Pick {
        const char *label;
        int field;         // the field whose browse is used
        bool throughMenu;  // the context menu's first item instead of "..."
        const char *title;
        std::string file;
        const char *warning; // null: accepted
    } picks[] = {
        {"99999 bytes via the menu", IDC_SOUND_OFF_PATH, true, "Select Off Sound for Caps Lock",
         TestFile("sound_99999.wav"), nullptr},
        {"100000 bytes", IDC_SOUND_ON_PATH, false, "Select On Sound for Caps Lock",
         TestFile("sound_100000.wav"), kSoundTooBig},
        {"empty file", IDC_SOUND_ON_PATH, false, "Select On Sound for Caps Lock",
         TestFile("sound_empty.wav"), kSoundEmpty},
        {"an icon", IDC_ICON_OFF_PATH, false, "Select Off Icon for Caps Lock",
         TestFile("file_moon.ico"), nullptr},
    };
    ModalScript script(300000);
    WaitForDialog(script);
    for (const Pick &p : picks) {
        auto before = std::make_shared<std::string>();
        script.Add(p.label, [this, &p, before] {
            *before = ItemText(dialog, p.field);
            if (p.throughMenu)
                PostMessageA(GetDlgItem(dialog, p.field), WM_COMMAND, IDM_PATH_BROWSE, 0);
            else
                PostClick(dialog, p.field + 4);
            return true;
        });
        script.Add("file dialog", [&p] {
            HWND files = FindThreadDialog(p.title);
            if (!files)
                return false;
            SetDlgItemTextA(files, 0x47C, p.file.c_str());
            PostClick(files, IDOK);
            return true;
        });
        if (p.warning)
            AnswerMessageBox(script, p.label, p.warning);
        script.Add("result", [this, &p, before] {
            if (FindThreadDialog(p.title) || FindThreadMessageBox())
                return false;
            EXPECT_EQ(p.warning ? *before : p.file, ItemText(dialog, p.field)) << p.label;
            return true;
        });
    }
    script.Add("ok", [this] {
        Click(dialog, IDC_OK);
        return true;
    });
    Run(script);
    ASSERT_EQ(1, host.saveCalls);
    EXPECT_EQ(TestFile("sound_99999.wav"), saved[0].soundOffPath);
    EXPECT_STREQ("C:\\Sounds\\caps.on.wav", saved[0].soundOnPath);
    EXPECT_EQ(TestFile("file_moon.ico"), saved[0].iconOffPath);
}

TEST_F(OptionsDialogTest, SchemesSaveAndLoadTheWorkingCopy)
{
    const std::string scheme = TestFile("round_trip.tvs");
    DeleteFileA(scheme.c_str());
    ModalScript script(300000);
    WaitForDialog(script);
    auto answerFileDialog = [&](const char *title, const std::string &file) {
        script.Add(title, [title, file] {
            HWND files = FindThreadDialog(title);
            if (!files)
                return false;
            SetDlgItemTextA(files, 0x47C, file.c_str());
            PostClick(files, IDOK);
            return true;
        });
    };
    script.Add("save", [this] {
        PostClick(dialog, IDC_SAVE_SCHEME);
        return true;
    });
    answerFileDialog("Save Scheme As", scheme);
    script.Add("saved; change the working copy", [&] {
        if (FindThreadDialog("Save Scheme As"))
            return false;
        EXPECT_TRUE(FileExists(scheme));
        FocusRow(dialog, 4);
        Click(dialog, IDC_DELETE);
        Toggle(dialog, IDC_BEEP_ONLY);
        Toggle(dialog, IDC_ADD_TO_STARTUP);
        EXPECT_EQ(4, Rows(dialog));
        PostClick(dialog, IDC_LOAD_SCHEME);
        return true;
    });
    answerFileDialog("Open Scheme", TestFile("garbage.tvs"));
    AnswerMessageBox(script, "not a scheme", kSchemeLoadFailed);
    script.Add("unchanged; load the real one", [this] {
        if (FindThreadMessageBox() || FindThreadDialog("Open Scheme"))
            return false;
        EXPECT_EQ(4, Rows(dialog));
        PostClick(dialog, IDC_LOAD_SCHEME);
        return true;
    });
    answerFileDialog("Open Scheme", scheme);
    script.Add("loaded", [this] {
        if (FindThreadDialog("Open Scheme"))
            return false;
        EXPECT_EQ(5, Rows(dialog));
        EXPECT_EQ(0, FocusedRow(dialog));
        EXPECT_TRUE(Checked(dialog, IDC_BEEP_ONLY)) << "from the scheme";
        EXPECT_TRUE(Checked(dialog, IDC_ADD_TO_STARTUP)) << "never from a scheme";
        EXPECT_TRUE(Enabled(dialog, IDC_APPLY));
        EXPECT_EQ("Ctrl + .", RowText(dialog, 4, 0));
        Click(dialog, IDC_CANCEL);
        return true;
    });
    Run(script);
    EXPECT_EQ(0, host.saveCalls);
}

// Save... that cannot write says why, and leaves no file under the chosen name.
TEST_F(OptionsDialogTest, SaveSchemeSaysWhyNothingWasWritten)
{
    const std::string scheme = TestFile("not_written.tvs");
    char expectedFailure[600];
    std::snprintf(expectedFailure, sizeof expectedFailure, kSchemeWriteFailed, scheme.c_str());
    struct Case {
        const char *label;
        bool anyVisibleIcon;
        int failWritesFrom;
        bool halfWay;
        const char *warning;
    } cases[] = {
        {"no visible icon item", false, 0, false, kNeedVisibleIcon},
        {"the first write fails half-way", true, 1, true, expectedFailure},
        {"the first write fails", true, 1, false, expectedFailure},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        SetUp();
        DeleteFileA(scheme.c_str());
        if (!c.anyVisibleIcon) {
            std::vector<KeyItem> list = StandardItems();
            for (KeyItem &item : list)
                item.active = item.hasIcon ? 0 : item.active;
            UseItems(list);
        }
        const std::vector<std::string> filesBefore = FilesIn(ExeDir() + "\\dialog_files");
        g_failWritesFrom = c.failWritesFrom;
        g_failHalfWay = c.halfWay;
        ModalScript script(300000);
        WaitForDialog(script);
        script.Add("save", [this] {
            PostClick(dialog, IDC_SAVE_SCHEME);
            return true;
        });
        script.Add("file dialog", [&] {
            HWND files = FindThreadDialog("Save Scheme As");
            if (!files)
                return false;
            SetDlgItemTextA(files, 0x47C, scheme.c_str());
            PostClick(files, IDOK);
            return true;
        });
        AnswerMessageBox(script, c.label, c.warning);
        script.Add("nothing written", [&] {
            if (FindThreadMessageBox() || FindThreadDialog("Save Scheme As"))
                return false;
            EXPECT_FALSE(FileExists(scheme));
            EXPECT_EQ(filesBefore, FilesIn(ExeDir() + "\\dialog_files")) << "no file left behind";
            Click(dialog, IDC_CANCEL);
            return true;
        });
        Run(script);
        if (c.failWritesFrom) {
            EXPECT_GE(g_writeCalls, c.failWritesFrom) << "the failing write was reached";
        }
        g_failWritesFrom = 0;
        g_failHalfWay = false;
    }
}

TEST_F(OptionsDialogTest, PlayButtonGlyphsAndDisabledEtching)
{
    // The glyph as the library has it.
    HBITMAP glyph = LoadBitmapA(g_library, MAKEINTRESOURCEA(IDB_PLAY_GLYPH));
    ASSERT_NE(nullptr, glyph);
    BITMAP info;
    GetObjectA(glyph, sizeof info, &info);
    const int bw = info.bmWidth, bh = info.bmHeight;
    HDC glyphDc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldGlyph = SelectObject(glyphDc, glyph);
    const COLORREF corner = GetPixel(glyphDc, 0, 0);
    std::unique_ptr<bool[]> ink(new bool[bw * bh]);
    for (int y = 0; y < bh; ++y)
        for (int x = 0; x < bw; ++x)
            ink[y * bw + x] = GetPixel(glyphDc, x, y) != corner;
    SelectObject(glyphDc, oldGlyph);
    DeleteDC(glyphDc);
    DeleteObject(glyph);
    std::vector<tolvar::EtchColour> etched(bw * bh);
    tolvar::ComputeEtchedGlyph(bw, bh, ink.get(), etched.data());

    ModalScript script;
    WaitForDialog(script);
    script.Add("draw the button in each state", [&] {
        const int w = 30, h = 24;
        struct Case {
            const char *label;
            UINT state;
            int dx, dy; // glyph offset from the centred position
        } cases[] = {
            {"enabled", 0, 0, 0},
            {"pushed", ODS_SELECTED, 1, 1},
            {"disabled", ODS_DISABLED, 1, 1},
        };
        HDC screen = GetDC(nullptr);
        for (const Case &c : cases) {
            HDC dc = CreateCompatibleDC(screen);
            HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
            HGDIOBJ old = SelectObject(dc, bitmap);
            DRAWITEMSTRUCT record = {};
            record.CtlType = ODT_BUTTON;
            record.CtlID = IDC_PLAY_SOUND_OFF;
            record.itemAction = ODA_DRAWENTIRE;
            record.itemState = c.state;
            record.hwndItem = GetDlgItem(dialog, IDC_PLAY_SOUND_OFF);
            record.hDC = dc;
            record.rcItem = {0, 0, w, h};
            SendMessageA(dialog, WM_DRAWITEM, IDC_PLAY_SOUND_OFF, reinterpret_cast<LPARAM>(&record));
            const int x0 = (w - bw) / 2 + c.dx, y0 = (h - bh) / 2 + c.dy;
            int wrong = 0;
            for (int y = 0; y < bh; ++y) {
                for (int x = 0; x < bw; ++x) {
                    COLORREF expected;
                    if (c.state & ODS_DISABLED) {
                        tolvar::EtchColour e = etched[y * bw + x];
                        expected = GetSysColor(e == tolvar::EtchColour::Highlight ? COLOR_BTNHIGHLIGHT
                                               : e == tolvar::EtchColour::Shadow  ? COLOR_BTNSHADOW
                                                                                  : COLOR_BTNFACE);
                    } else {
                        expected = ink[y * bw + x] ? RGB(0, 0, 0) : GetSysColor(COLOR_BTNFACE);
                    }
                    if (GetPixel(dc, x0 + x, y0 + y) != expected && ++wrong <= 3)
                        ADD_FAILURE() << c.label << ": pixel " << x << "," << y << " is "
                                      << std::hex << GetPixel(dc, x0 + x, y0 + y) << " not "
                                      << expected;
                }
            }
            EXPECT_EQ(0, wrong) << c.label;
            SelectObject(dc, old);
            DeleteObject(bitmap);
            DeleteDC(dc);
        }
        ReleaseDC(nullptr, screen);

        // Field colours: enabled path fields are grey on white.
        HWND field = GetDlgItem(dialog, IDC_SOUND_ON_PATH);
        HDC fieldDc = GetDC(field);
        LRESULT brush = SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(fieldDc),
                                     reinterpret_cast<LPARAM>(field));
        EXPECT_EQ(reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW)), brush);
        EXPECT_EQ(GetSysColor(COLOR_GRAYTEXT), GetTextColor(fieldDc));
        EXPECT_EQ(GetSysColor(COLOR_WINDOW), GetBkColor(fieldDc));
        ReleaseDC(field, fieldDc);
        Click(dialog, IDC_CANCEL);
        return true;
    });
    Run(script);
}

void PressKey(WORD vk)
{
    INPUT input[2] = {};
    for (int i = 0; i < 2; ++i) {
        input[i].type = INPUT_KEYBOARD;
        input[i].ki.wVk = vk;
        input[i].ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, 0));
        input[i].ki.dwFlags = i ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(2, input, sizeof(INPUT));
}

TEST_F(OptionsDialogTest, AddNewKeyAppendsALastRowWithoutIcons)
{
    ModalScript script;
    WaitForDialog(script);
    script.Add("open Add New Key", [this] {
        PostClick(dialog, IDC_ADD_NEW);
        return true;
    });
    script.Add("press Q", [] {
        HWND add = FindThreadDialog("Add New Key");
        if (!add)
            return false;
        SetForegroundWindow(add);
        SetFocus(GetDlgItem(add, IDC_CAPTURE_EDIT));
        PressKey('Q');
        return true;
    });
    script.Add("OK once captured", [] {
        HWND add = FindThreadDialog("Add New Key");
        if (!add || ItemText(add, IDC_CAPTURE_EDIT).empty())
            return false;
        PostClick(add, IDC_ADD_KEY_OK);
        return true;
    });
    script.Add("new last row", [this] {
        if (FindThreadDialog("Add New Key"))
            return false;
        EXPECT_EQ(6, Rows(dialog));
        EXPECT_EQ(5, FocusedRow(dialog));
        EXPECT_TRUE(ListView_GetItemState(List(dialog), 5, LVIS_SELECTED));
        EXPECT_TRUE(Enabled(dialog, IDC_APPLY));
        EXPECT_TRUE(Enabled(dialog, IDC_DELETE));
        EXPECT_FALSE(Enabled(dialog, IDC_ICON_ON_PATH));
        EXPECT_TRUE(Checked(dialog, IDC_ACTIVE));
        RowPaint row = PaintRow(dialog, 5, 0);
        if (row.cells.size() == 6) {
            EXPECT_FALSE(row.cells[0].text.empty());
            EXPECT_EQ("N/A", row.cells[1].text);
            EXPECT_EQ("N/A", row.cells[2].text);
            EXPECT_EQ("Default", row.cells[3].text);
            EXPECT_EQ("N/A", row.cells[4].text);
            EXPECT_EQ("On", row.cells[5].text);
        }
        Click(dialog, IDC_OK);
        return true;
    });
    Run(script);
    ASSERT_EQ(1, host.saveCalls);
    ASSERT_EQ(6u, host.savedCount);
    EXPECT_EQ('Q', saved[5].keyCode);
    EXPECT_EQ(0, +saved[5].hasIcon);
    EXPECT_EQ(1, +saved[5].active);
}

TEST_F(OptionsDialogTest, NumLockSwitchIsDisabledOutsideNtButStillSaved)
{
    LoadTolvar(true);
    ASSERT_NE(nullptr, g_table);
    host.header.numLockOn = 0;
    ModalScript script;
    WaitForDialog(script);
    script.Add("1009 disabled", [this] {
        EXPECT_FALSE(Enabled(dialog, IDC_NUM_LOCK_ON));
        CheckDlgButton(dialog, IDC_NUM_LOCK_ON, BST_CHECKED); // as the program could
        Click(dialog, IDC_NUM_LOCK_ON);
        FocusRow(dialog, 2);
        EXPECT_FALSE(Enabled(dialog, IDC_NUM_LOCK_ON)) << "after a refresh too";
        Click(dialog, IDC_OK);
        return true;
    });
    Run(script);
    LoadTolvar(false);
    EXPECT_EQ(1, host.saveCalls);
    EXPECT_EQ(1, host.savedHeader.numLockOn);
}

// More keys than the list shows at once: the columns leave room for the
// vertical scroll bar, so no horizontal one appears, and every cell is drawn
// where the list has its sub-item, however the list is scrolled. The
// screenshots (top, bottom, scrolled sideways) are for a person to look at.
TEST_F(OptionsDialogTest, ALongListScrollsWithItsCells)
{
    std::vector<KeyItem> list = {
        Item("Caps Lock", VK_CAPITAL, 0, 1, 1, 1, "", "", "C:\\Sounds\\caps.on.wav",
             "C:\\Sounds\\caps.off.wav"),
        Item("Num Lock", VK_NUMLOCK, 0, 1, 1, 1, TestFile("file_star.ico"), "", "", ""),
        Item("Scroll Lock", VK_SCROLL, 0, 1, 1, 0, "", TestFile("not_an_icon.ico")),
        Item("Ctrl + Shift + A", 'A', TV_MOD_CTRL | TV_MOD_SHIFT, 0, 0, 1, "", "",
             "D:\\Media\\my.sound.wav"),
        Item("Ctrl + .", VK_OEM_PERIOD, TV_MOD_CTRL, 0, 0, 0),
        Item("Shift + &", VK_OEM_7, TV_MOD_SHIFT, 0, 0, 1, "", "", "C:\\Music\\Drum & Bass.wav"),
    };
    for (int f = 1; list.size() < 16; ++f)
        list.push_back(Item(("Alt + F" + std::to_string(f)).c_str(), VK_F1 + f - 1, TV_MOD_ALT, 0, 0,
                            f % 3 != 0));
    UseItems(list);
    const std::string shots = ExeDir() + "\\..\\options_dialog_";
    const int e = GetSystemMetrics(SM_CXEDGE);

    // Paints the list as the screen shows it and checks that the cells of
    // the columns without images start where the list has them.
    auto checkPaintedCells = [this, e](const char *context) {
        HWND l = List(dialog);
        g_drawn.clear();
        g_recordDrawing = true;
        RedrawWindow(l, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        g_recordDrawing = false;
        const std::vector<DrawnText> cells = g_drawn;
        EXPECT_FALSE(cells.empty()) << context;
        EXPECT_EQ(0u, cells.size() % 6) << context;
        const int top = ListView_GetTopIndex(l);
        for (size_t i = 0; i + 6 <= cells.size(); i += 6) {
            const int row = top + static_cast<int>(i / 6);
            for (int column : {0, 3, 4, 5}) {
                RECT expected = SubItemRect(dialog, row, column);
                EXPECT_EQ(expected.left + 3 * e, cells[i + column].rect.left)
                    << context << ": row " << row << " column " << column;
            }
        }
    };

    ModalScript script;
    WaitForDialog(script);
    script.Add("top", [&] {
        HWND l = List(dialog);
        RECT client;
        GetClientRect(l, &client);
        int sum = 0;
        for (int i = 0; i < 6; ++i)
            sum += ListView_GetColumnWidth(l, i);
        const LONG style = GetWindowLongA(l, GWL_STYLE);
        EXPECT_TRUE(style & WS_VSCROLL) << "16 rows need the vertical scroll bar";
        EXPECT_FALSE(style & WS_HSCROLL) << "the columns fit beside it";
        EXPECT_EQ(client.right, sum) << "the columns fill the room left";
        checkPaintedCells("top");
        return true;
    });
    AddScreenshot(script, this, shots + "top.bmp");
    script.Add("bottom", [&] {
        HWND l = List(dialog);
        FocusRow(dialog, 15);
        ListView_EnsureVisible(l, 15, FALSE);
        EXPECT_GT(ListView_GetTopIndex(l), 0);
        checkPaintedCells("bottom");
        return true;
    });
    AddScreenshot(script, this, shots + "bottom.bmp");
    script.Add("sideways", [&] {
        HWND l = List(dialog);
        // A user widens the key column; the list can then scroll sideways.
        ListView_SetColumnWidth(l, 0, ListView_GetColumnWidth(l, 0) + 200);
        const int before = SubItemRect(dialog, 0, 3).left;
        ListView_Scroll(l, 150, 0);
        EXPECT_LT(SubItemRect(dialog, 0, 3).left, before) << "the list scrolled";
        checkPaintedCells("scrolled sideways");
        return true;
    });
    AddScreenshot(script, this, shots + "sideways.bmp");
    script.Add("close", [this] {
        Click(dialog, IDC_CANCEL);
        return true;
    });
    Run(script);
}

} // namespace
