// Tolvar.dll as an indicator host uses it: loaded at run time, InitDLL's
// table, the entries' calling convention, the single-instance guards, the
// fault guard around a host callback, the help entry, and the library's
// resources (strings, play glyph, dialog templates, images).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include <tolvar/tolvar_host.h>

#include "dialog_template.h"
#include "options/resources/resource_ids.h"
#include "support/import_patch.h"
#include "support/stack_balance.h"
#include "tolvar_library.h"

namespace {

HMODULE g_library = nullptr;
const OptionsEntryTable *g_table = nullptr;

class Library : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_library = TolvarLibrary();
        g_table = TolvarTable();
        ASSERT_NE(g_library, nullptr) << "Tolvar.dll loads, error " << GetLastError();
        ASSERT_NE(g_table, nullptr);
    }
};

// ---------------------------------------------------------------------------
// The binary interface

bool InModule(HMODULE module, const void *address)
{
    auto base = reinterpret_cast<const unsigned char *>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS32 *>(base + dos->e_lfanew);
    auto p = static_cast<const unsigned char *>(address);
    return p >= base && p < base + nt->OptionalHeader.SizeOfImage;
}

TEST_F(Library, InitDLLReturnsTheSameTableEveryTime)
{
    InitDLLProc init = reinterpret_cast<InitDLLProc>(
        reinterpret_cast<void *>(GetProcAddress(g_library, "InitDLL")));
    ASSERT_NE(init, nullptr);
    uint32_t arg = 0xCAFEF00D;
    tolvar_test::StackCall first = tolvar_test::CallMeasuringStack(
        reinterpret_cast<const void *>(init), 0, &arg, 1);
    tolvar_test::StackCall second = tolvar_test::CallMeasuringStack(
        reinterpret_cast<const void *>(init), 0, &arg, 1);
    EXPECT_EQ(first.espShift, 0) << "InitDLL removes its argument";
    EXPECT_EQ(first.result, second.result);
    EXPECT_EQ(first.result, reinterpret_cast<uint32_t>(g_table));

    EXPECT_EQ(g_table->size, 28u);
    const void *entries[] = {
        reinterpret_cast<const void *>(g_table->ShowOptions),
        reinterpret_cast<const void *>(g_table->ReservedEntry),
        reinterpret_cast<const void *>(g_table->ShowAbout),
        reinterpret_cast<const void *>(g_table->CreateStartupShortcut),
        reinterpret_cast<const void *>(g_table->DeleteStartupShortcut),
        reinterpret_cast<const void *>(g_table->ShowHelp),
    };
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_TRUE(InModule(g_library, entries[i]));
    }
    EXPECT_TRUE(InModule(g_library, g_table)) << "a constant of the library";
}

TEST_F(Library, ReservedEntryRemovesItsSixArguments)
{
    const uint32_t argSets[][6] = {
        {0, 0, 0, 0, 0, 0},
        {1, 2, 3, 4, 5, 6},
        {0xFFFFFFFF, 0x80000000, 0x7FFFFFFF, 0xDEADBEEF, 0, 42},
    };
    for (const auto &args : argSets) {
        tolvar_test::StackCall call = tolvar_test::CallMeasuringStack(
            reinterpret_cast<const void *>(g_table->ReservedEntry), 0, args, 6);
        EXPECT_EQ(call.espShift, 0) << args[0];
    }
}

// ---------------------------------------------------------------------------
// Help entry, with WinHelpA recorded instead of reaching the help system.

struct HelpCall {
    HWND owner;
    std::string file;
    UINT command;
    ULONG_PTR data;
};
std::vector<HelpCall> g_helpCalls;

BOOL WINAPI RecordWinHelp(HWND owner, LPCSTR file, UINT command, ULONG_PTR data)
{
    g_helpCalls.push_back({owner, file ? file : "(null)", command, data});
    return TRUE;
}

TEST_F(Library, HelpEntryOpensTheHelpFileAtItsContents)
{
    void *original = tolvar_test::PatchImport(g_library, "user32.dll", "WinHelpA",
                                              reinterpret_cast<void *>(RecordWinHelp));
    ASSERT_NE(original, nullptr) << "the library imports WinHelpA";
    g_helpCalls.clear();
    uint32_t arg = 0x12345678;
    tolvar_test::StackCall call = tolvar_test::CallMeasuringStack(
        reinterpret_cast<const void *>(g_table->ShowHelp), 0, &arg, 1);
    tolvar_test::PatchImport(g_library, "user32.dll", "WinHelpA", original);
    EXPECT_EQ(call.espShift, 0);
    ASSERT_EQ(g_helpCalls.size(), 1u);
    EXPECT_EQ(g_helpCalls[0].owner, nullptr);
    EXPECT_EQ(g_helpCalls[0].file, "Tolvar.hlp");
    EXPECT_EQ(g_helpCalls[0].command, static_cast<UINT>(HELP_CONTENTS));
    EXPECT_EQ(g_helpCalls[0].data, 0u);
}

// ---------------------------------------------------------------------------
// Resources

TEST_F(Library, StringTableHoldsTheExactTexts)
{
    struct Case {
        UINT id;
        const char *text;
    };
    const Case cases[] = {
        {5, "Key"},
        {6, "Icon On"},
        {7, "Icon Off"},
        {8, "Sound On"},
        {9, "Sound Off"},
        {10, "Active"},
        {11, "On"},
        {12, "Off"},
        {13, "N/A"},
        {14, "Default"},
        {15, "https://tolvar.example.org/"},
        {16, "mailto:support@tolvar.example.org"},
        {17, "Tolvar About"},
        {18, "This key already exists within your collection."},
        {19, "At least one icon item must be visible."},
        {20, "Impossible to load scheme."},
        {21, "This sound file is too big and cannot be loaded into the memory."},
        {22, "Select On Icon"},
        {23, "Select Off Icon"},
        {24, "Select On Sound"},
        {25, "Select Off Sound"},
        {26, "%s for %s"},
        {27, "Sound Files (*.%s)"},
        {28, "Icon Files (*.%s)"},
        {29, "All Files (*.*)"},
        {30, "Scheme Files (*.%s)"},
        // Warnings for causes that have no text of their own above.
        {31, "The settings were not saved: the program refused them."},
        {32, "The settings cannot be saved: the program gave no way to save them."},
        {33, "This sound file is empty."},
        {34, "This sound file cannot be opened."},
        {35, "The scheme could not be written to %s."},
    };
    for (const Case &k : cases) {
        char text[256] = "";
        int length = LoadStringA(g_library, k.id, text, sizeof text);
        EXPECT_STREQ(text, k.text) << "string " << k.id;
        EXPECT_EQ(length, static_cast<int>(std::strlen(k.text))) << "string " << k.id;
    }
    char text[16] = "unchanged";
    EXPECT_EQ(LoadStringA(g_library, 4, text, sizeof text), 0) << "nothing below 5";
    EXPECT_EQ(LoadStringA(g_library, 36, text, sizeof text), 0) << "nothing above 35";
}

// The play glyph's rule: grey 192 with black from column 2 to LAST[r-2] in
// rows 2..12.
bool PlayGlyphIsBlack(int row, int column)
{
    static const int last[] = {3, 5, 7, 9, 11, 12, 11, 9, 7, 5, 3};
    return row >= 2 && row <= 12 && column >= 2 && column <= last[row - 2];
}

TEST_F(Library, PlayGlyphIsStoredPixelExactInSixteenColours)
{
    HRSRC found = FindResourceA(g_library, MAKEINTRESOURCEA(IDB_PLAY_GLYPH), RT_BITMAP);
    ASSERT_NE(found, nullptr);
    auto info = static_cast<const BITMAPINFOHEADER *>(LockResource(LoadResource(g_library, found)));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->biWidth, 16);
    EXPECT_EQ(info->biHeight, 16) << "bottom-up";
    EXPECT_EQ(info->biBitCount, 4);
    EXPECT_EQ(info->biCompression, static_cast<DWORD>(BI_RGB));
    static const RGBQUAD standard[16] = {
        {0, 0, 0, 0},     {0, 0, 128, 0},   {0, 128, 0, 0},   {0, 128, 128, 0},
        {128, 0, 0, 0},   {128, 0, 128, 0}, {128, 128, 0, 0}, {192, 192, 192, 0},
        {128, 128, 128, 0}, {0, 0, 255, 0}, {0, 255, 0, 0},   {0, 255, 255, 0},
        {255, 0, 0, 0},   {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0},
    };
    const RGBQUAD *palette = reinterpret_cast<const RGBQUAD *>(
        reinterpret_cast<const unsigned char *>(info) + info->biSize);
    for (int i = 0; i < 16; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(palette[i].rgbRed, standard[i].rgbRed);
        EXPECT_EQ(palette[i].rgbGreen, standard[i].rgbGreen);
        EXPECT_EQ(palette[i].rgbBlue, standard[i].rgbBlue);
    }
}

TEST_F(Library, PlayGlyphLoadsPixelExact)
{
    HBITMAP bitmap = LoadBitmapA(g_library, MAKEINTRESOURCEA(IDB_PLAY_GLYPH));
    ASSERT_NE(bitmap, nullptr);
    BITMAP shape;
    ASSERT_TRUE(GetObjectA(bitmap, sizeof shape, &shape));
    EXPECT_EQ(shape.bmWidth, 16);
    EXPECT_EQ(shape.bmHeight, 16);

    BITMAPINFO request;
    std::memset(&request, 0, sizeof request);
    request.bmiHeader.biSize = sizeof request.bmiHeader;
    request.bmiHeader.biWidth = 16;
    request.bmiHeader.biHeight = -16; // top-down rows
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    uint32_t pixels[16 * 16];
    HDC screen = GetDC(nullptr);
    int rows = GetDIBits(screen, bitmap, 0, 16, pixels, &request, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    ASSERT_EQ(rows, 16);

    int wrong = 0;
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c) {
            uint32_t expected = PlayGlyphIsBlack(r, c) ? 0x000000u : 0xC0C0C0u;
            if ((pixels[r * 16 + c] & 0xFFFFFFu) != expected) {
                ADD_FAILURE() << "pixel row " << r << " column " << c << " is " << std::hex
                              << pixels[r * 16 + c];
                if (++wrong > 8)
                    return;
            }
        }
    EXPECT_EQ(pixels[0] & 0xFFFFFFu, 0xC0C0C0u) << "top-left grey";
    EXPECT_EQ(pixels[15 * 16] & 0xFFFFFFu, 0xC0C0C0u) << "bottom-left grey";
}

TEST_F(Library, IconBackgroundAndCursorLoad)
{
    HICON icon = static_cast<HICON>(LoadImageA(g_library, MAKEINTRESOURCEA(IDI_TOLVAR), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXICON),
                                               GetSystemMetrics(SM_CYICON), 0));
    EXPECT_NE(icon, nullptr);
    if (icon)
        DestroyIcon(icon);
    HICON small = static_cast<HICON>(
        LoadImageA(g_library, MAKEINTRESOURCEA(IDI_TOLVAR), IMAGE_ICON, 16, 16, 0));
    EXPECT_NE(small, nullptr);
    if (small)
        DestroyIcon(small);

    HBITMAP background = LoadBitmapA(g_library, MAKEINTRESOURCEA(IDB_ABOUT_BACKGROUND));
    ASSERT_NE(background, nullptr);
    BITMAP shape;
    GetObjectA(background, sizeof shape, &shape);
    EXPECT_EQ(shape.bmWidth, 380);
    EXPECT_EQ(shape.bmHeight, 210);
    DeleteObject(background);

    HCURSOR cursor = LoadCursorA(g_library, MAKEINTRESOURCEA(IDC_LINK_CURSOR));
    ASSERT_NE(cursor, nullptr);
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon) << "a cursor";
    EXPECT_GT(info.yHotspot + info.xHotspot, 0u) << "hot spot at the fingertip, not the corner";
    DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
}

// ---------------------------------------------------------------------------
// Dialog templates

struct ExpectedControl {
    int id; // -1: a label without id
    const char *windowClass;
    const char *caption;
    int16_t x, y, cx, cy;
    DWORD kind;     // the style bits under kindMask
    DWORD kindMask; // 0: kind not checked
    DWORD flags;    // further style bits that must be set
    bool tabStop;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kButtonType = BS_TYPEMASK;

void CheckControls(const DialogTemplate &dialog, const ExpectedControl *expected, size_t count)
{
    ASSERT_EQ(dialog.controls.size(), count);
    for (size_t i = 0; i < count; ++i) {
        const ExpectedControl &e = expected[i];
        const TemplateControl &c = dialog.controls[i];
        SCOPED_TRACE("control " + std::to_string(i) + " (" + e.caption + ", id " +
                     std::to_string(e.id) + ")");
        EXPECT_EQ(static_cast<int16_t>(c.id), e.id);
        EXPECT_EQ(lstrcmpiA(c.windowClass.c_str(), e.windowClass), 0)
            << c.windowClass << " vs " << e.windowClass;
        EXPECT_EQ(c.caption, e.caption);
        EXPECT_EQ(c.x, e.x);
        EXPECT_EQ(c.y, e.y);
        EXPECT_EQ(c.cx, e.cx);
        EXPECT_EQ(c.cy, e.cy);
        if (e.kindMask) {
            EXPECT_EQ(c.style & e.kindMask, e.kind);
        }
        EXPECT_EQ(c.style & (kChild | e.flags), kChild | e.flags);
        EXPECT_EQ((c.style & WS_TABSTOP) != 0, e.tabStop);
    }
}

TEST_F(Library, OptionsDialogTemplate)
{
    DialogTemplate dialog;
    ASSERT_TRUE(ReadDialogTemplate(g_library, IDD_OPTIONS, &dialog));
    EXPECT_EQ(dialog.caption, "Tolvar Options");
    EXPECT_EQ(dialog.cx, 428);
    EXPECT_EQ(dialog.cy, 250);
    EXPECT_EQ(dialog.fontPoints, 8);
    EXPECT_EQ(dialog.fontFace, "Tahoma");
    const DWORD frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK;
    EXPECT_EQ(dialog.style & frame, frame);

    const DWORD list = LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS |
                       LVS_OWNERDRAWFIXED | LVS_NOSORTHEADER | WS_BORDER;
    const DWORD edit = WS_BORDER | ES_AUTOHSCROLL;
    const ExpectedControl expected[] = {
        {1006, "Button", "No Sound (Silent Mode)", 16, 7, 91, 10, BS_AUTOCHECKBOX, kButtonType, 0, true},
        {1007, "Button", "Use Beep Only", 16, 20, 91, 10, BS_AUTOCHECKBOX, kButtonType, 0, true},
        {1008, "Button", "Add To Startup Menu", 275, 7, 91, 10, BS_AUTOCHECKBOX, kButtonType, 0, true},
        {1009, "Button", "Num Lock On (only for Windows NT/2K)", 275, 20, 144, 10, BS_AUTOCHECKBOX,
         kButtonType, 0, true},
        {1019, "SysListView32", "", 7, 38, 414, 100, 0, 0, list, true},
        {1038, "Button", "Add New...", 16, 141, 46, 12, BS_PUSHBUTTON, kButtonType, 0, true},
        {1036, "Button", "Delete", 66, 141, 46, 12, BS_PUSHBUTTON, kButtonType, 0, true},
        {1031, "Button", "Move Up", 316, 141, 46, 12, BS_PUSHBUTTON, kButtonType, 0, true},
        {1032, "Button", "Move Down", 366, 141, 46, 12, BS_PUSHBUTTON, kButtonType, 0, true},
        {1020, "Edit", "", 53, 161, 322, 12, 0, 0, edit, true},
        {1024, "Button", "...", 380, 161, 14, 12, BS_PUSHBUTTON, kButtonType, 0, true},
        {1021, "Edit", "", 53, 174, 322, 12, 0, 0, edit, true},
        {1025, "Button", "...", 380, 174, 14, 12, BS_PUSHBUTTON, kButtonType, 0, true},
        {1022, "Edit", "", 53, 187, 322, 12, 0, 0, edit, true},
        {1026, "Button", "...", 380, 187, 14, 12, BS_PUSHBUTTON, kButtonType, 0, true},
        {1028, "Button", ">", 398, 187, 14, 12, BS_OWNERDRAW, kButtonType, 0, true},
        {1023, "Edit", "", 53, 200, 322, 12, 0, 0, edit, true},
        {1027, "Button", "...", 380, 200, 14, 12, BS_PUSHBUTTON, kButtonType, 0, true},
        {1029, "Button", ">", 398, 200, 14, 12, BS_OWNERDRAW, kButtonType, 0, true},
        {1030, "Button", "Active", 16, 214, 46, 10, BS_AUTOCHECKBOX, kButtonType, BS_LEFTTEXT, true},
        {1033, "Button", "OK", 226, 233, 46, 12, BS_DEFPUSHBUTTON, kButtonType, 0, true},
        {1034, "Button", "Cancel", 296, 233, 46, 12, BS_PUSHBUTTON, kButtonType, 0, true},
        {1035, "Button", "Apply", 366, 233, 46, 12, BS_PUSHBUTTON, kButtonType, 0, true},
        {1037, "Button", "Help", 16, 233, 46, 12, BS_PUSHBUTTON, kButtonType, 0, true},
        {103, "Button", "Load...", 86, 233, 46, 12, BS_PUSHBUTTON, kButtonType, BS_CENTER, true},
        {104, "Button", "Save...", 156, 233, 46, 12, BS_PUSHBUTTON, kButtonType, BS_CENTER, true},
        {-1, "Static", "Icon On", 16, 162, 26, 8, SS_LEFT, SS_TYPEMASK, WS_GROUP, false},
        {-1, "Static", "Icon Off", 16, 175, 32, 8, SS_LEFT, SS_TYPEMASK, WS_GROUP, false},
        {-1, "Static", "Sound On", 16, 189, 33, 8, SS_LEFT, SS_TYPEMASK, WS_GROUP, false},
        {-1, "Static", "Sound Off", 16, 202, 33, 8, SS_LEFT, SS_TYPEMASK, WS_GROUP, false},
        {101, "Static", "", 7, 33, 414, 2, SS_ETCHEDHORZ, SS_TYPEMASK, 0, false},
        {102, "Static", "", 7, 156, 414, 2, SS_ETCHEDHORZ, SS_TYPEMASK, 0, false},
        {105, "Static", "", 7, 227, 414, 2, SS_ETCHEDHORZ, SS_TYPEMASK, 0, false},
    };
    CheckControls(dialog, expected, sizeof expected / sizeof expected[0]);
}

TEST_F(Library, AddKeyAndAboutTemplates)
{
    DialogTemplate add;
    ASSERT_TRUE(ReadDialogTemplate(g_library, IDD_ADD_KEY, &add));
    EXPECT_EQ(add.caption, "Add New Key");
    EXPECT_EQ(add.cx, 224);
    EXPECT_EQ(add.cy, 47);
    EXPECT_EQ(add.fontPoints, 8);
    EXPECT_EQ(add.fontFace, "Tahoma");
    const DWORD frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    EXPECT_EQ(add.style & frame, frame);
    const ExpectedControl addControls[] = {
        {-1, "Static", "Type Here", 7, 8, 34, 8, SS_LEFT, SS_TYPEMASK, 0, false},
        {1041, "Edit", "", 47, 7, 113, 14, 0, 0, ES_READONLY | WS_BORDER | ES_AUTOHSCROLL, true},
        {1042, "Button", "OK", 167, 7, 50, 14, BS_DEFPUSHBUTTON, kButtonType, 0, true},
        {1043, "Button", "Cancel", 167, 24, 50, 14, BS_PUSHBUTTON, kButtonType, 0, true},
    };
    CheckControls(add, addControls, sizeof addControls / sizeof addControls[0]);

    DialogTemplate about;
    ASSERT_TRUE(ReadDialogTemplate(g_library, IDD_ABOUT, &about));
    EXPECT_EQ(about.cx, 200);
    EXPECT_EQ(about.cy, 122);
    EXPECT_EQ(about.fontFace, "Tahoma");
    EXPECT_EQ(about.fontPoints, 8);
    EXPECT_TRUE(about.style & WS_POPUP);
    EXPECT_EQ(about.style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME | DS_MODALFRAME), 0u)
        << "borderless";
    ASSERT_EQ(about.controls.size(), 2u);
    EXPECT_EQ(about.controls[0].id, static_cast<uint32_t>(IDC_WEB_LINK));
    EXPECT_EQ(about.controls[0].caption, "tolvar.example.org");
    EXPECT_EQ(about.controls[1].id, static_cast<uint32_t>(IDC_MAIL_LINK));
    EXPECT_EQ(about.controls[1].caption, "support@tolvar.example.org");
}

} // namespace
