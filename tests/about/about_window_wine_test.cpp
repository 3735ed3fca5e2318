// The About box and splash window under Wine (or Windows): placement, the
// painted artwork, link clicks (recorded instead of opened), cursors, the
// ways it closes and the splash timer.
//
// The window runs modally on the main thread; a driver thread watches it and
// acts. The shell's open requests are recorded by redirecting this program's
// import of ShellExecuteA, so no browser or mail program starts.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>
#include <algorithm>

#include "options/about/about_window.h"
#include "options/resources/resource_ids.h"
#include "support/import_patch.h"
#include "support/modal_script.h"
#include "support/polling.h"
#include "support/timer_watch.h"

using tolvar::AboutWindow;

namespace {

// Progress reaches the log even when a slow run is cut short.
const int g_unbuffered = [] {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    return 0;
}();

constexpr DWORD kWaitMs = 90000;
// The first window of a process can take minutes to appear on a loaded,
// emulating machine.
constexpr DWORD kFirstWindowWaitMs = 900000;

// ---- recorded shell requests -------------------------------------------------
struct ShellRequest {
    char verb[32];
    char file[256];
    int show;
};
CRITICAL_SECTION g_lock;
ShellRequest g_requests[32];
int g_requestCount = 0;

HINSTANCE WINAPI RecordShellExecute(HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT show)
{
    EnterCriticalSection(&g_lock);
    // The latest 32 are kept (a repeated run makes more).
    ShellRequest &r = g_requests[g_requestCount++ % 32];
    lstrcpynA(r.verb, verb ? verb : "(null)", sizeof r.verb);
    lstrcpynA(r.file, file ? file : "(null)", sizeof r.file);
    r.show = show;
    LeaveCriticalSection(&g_lock);
    return reinterpret_cast<HINSTANCE>(33);
}

int RequestCount()
{
    EnterCriticalSection(&g_lock);
    int n = g_requestCount;
    LeaveCriticalSection(&g_lock);
    return n;
}

ShellRequest RequestAt(int i)
{
    EnterCriticalSection(&g_lock);
    ShellRequest r = g_requests[i % 32];
    LeaveCriticalSection(&g_lock);
    return r;
}

class AboutWindowEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        InitializeCriticalSection(&g_lock);
        void *previous = tolvar_test::PatchImport(GetModuleHandleA(nullptr), "shell32.dll", "ShellExecuteA",
                                                  reinterpret_cast<void *>(&RecordShellExecute));
        ASSERT_NE(nullptr, previous) << "could not redirect ShellExecuteA";
    }
};
testing::Environment *const g_environment = testing::AddGlobalTestEnvironment(new AboutWindowEnvironment);

bool WaitFor(const std::function<bool()> &condition, DWORD ms = kWaitMs)
{
    return tolvar_test::WaitFor(condition, ms);
}

std::string LoadString(UINT id)
{
    char text[256] = {0};
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return text;
}

// ---- running the window ------------------------------------------------------
struct Run {
    AboutWindow *about;
    HWND parent;
    const std::function<void(HWND)> *script;
    DWORD thread; // the window's
    std::atomic<DWORD> openedAt{0};
    std::atomic<bool> done{false};
};

DWORD WINAPI DriverThread(LPVOID p)
{
    auto *run = static_cast<Run *>(p);
    if (WaitFor([&] { return run->about->Window() && IsWindowVisible(run->about->Window()); }, kFirstWindowWaitMs)) {
        run->openedAt = GetTickCount();
        (*run->script)(run->about->Window());
        // A script that expected the window to close fails here, not hangs.
        if (!WaitFor([&] { return run->about->Window() == nullptr; })) {
            ADD_FAILURE() << "the window stayed open after the script";
            tolvar_test::WaitFor([&] {
                tolvar_test::CancelThreadDialogs(run->thread);
                return run->about->Window() == nullptr;
            }, kWaitMs, 100);
        }
    } else {
        ADD_FAILURE() << "the About window never appeared";
    }
    run->done = true;
    return 0;
}

HWND MakeParent()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc;
        ZeroMemory(&wc, sizeof wc);
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "AboutTestParent";
        RegisterClassA(&wc);
        registered = true;
    }
    return CreateWindowA("AboutTestParent", "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                         100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

struct RunResult {
    DWORD calledAt = 0; // just before Show: the timer cannot start earlier
    DWORD closedAt = 0;
    DWORD openedAt = 0;
    bool parentEnabledAfter = false;
};

// Shows the window (About role unless splash) over a fresh parent and runs
// script on a driver thread while it is up. Show reports success (1) only
// after its window has been up: it returns when the window has closed.
RunResult RunAbout(AboutWindow &about, bool splash, const std::function<void(HWND)> &script)
{
    HWND parent = MakeParent();
    Run run{&about, parent, &script, GetCurrentThreadId()};
    HANDLE thread = CreateThread(nullptr, 0, DriverThread, &run, 0, nullptr);
    RunResult result;
    result.calledAt = GetTickCount();
    const int shown = about.Show(parent, splash);
    result.closedAt = GetTickCount();
    const bool wasUp = run.openedAt != 0;
    EXPECT_EQ(1, shown) << "Show reports success";
    EXPECT_TRUE(wasUp) << "Show returned before its window had appeared";
    EXPECT_EQ(nullptr, about.Window()) << "the window handle is cleared when it is destroyed";
    if (WaitForSingleObject(thread, kWaitMs) != WAIT_OBJECT_0)
        ADD_FAILURE() << "driver thread did not finish";
    CloseHandle(thread);
    result.openedAt = run.openedAt;
    result.parentEnabledAfter = IsWindowEnabled(parent) != FALSE;
    DestroyWindow(parent);
    return result;
}

// Sends a mouse message as the window would receive it, at a client point.
void Mouse(HWND window, UINT message, WPARAM keys, POINT client)
{
    DWORD_PTR ignored;
    SendMessageTimeoutA(window, message, keys, MAKELPARAM(client.x, client.y), SMTO_NORMAL, kWaitMs,
                        &ignored);
}

POINT CenterOf(HWND window, int id)
{
    RECT r;
    GetWindowRect(GetDlgItem(window, id), &r);
    POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ScreenToClient(window, &p);
    return p;
}

// Where a link belongs, measured here in the link font: its click area in
// quarter- and eighth-character units, and the box its text fills from the
// area's corner (ascent: the text's baseline within that box).
struct LinkPlace {
    RECT area;
    RECT text;
    int ascent;
};

LinkPlace ExpectedLink(HWND window, int id, int l, int t, int r, int b)
{
    HFONT font = CreateFontA(-MulDiv(8, 96, 72), 0, 0, 0, 400, FALSE, TRUE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                             "Tahoma");
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    char text[128] = {0};
    const int length = GetDlgItemTextA(window, id, text, sizeof text);
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text, length, &extent);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    DeleteObject(font);
    LinkPlace place;
    place.area = {MulDiv(l, tm.tmAveCharWidth, 4), MulDiv(t, tm.tmHeight, 8),
                  MulDiv(r, tm.tmAveCharWidth, 4), MulDiv(b, tm.tmHeight, 8)};
    place.text = {place.area.left, place.area.top, place.area.left + extent.cx,
                  place.area.top + tm.tmHeight};
    place.ascent = tm.tmAscent;
    return place;
}

RECT ClientRectOfControl(HWND window, int id)
{
    RECT r;
    GetWindowRect(GetDlgItem(window, id), &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

// The pixels of a bitmap, or of a window's client area as the screen shows
// it, read in one go.
struct Pixels {
    int width = 0, height = 0;
    std::vector<DWORD> bits; // 0x00RRGGBB, top row first
    COLORREF At(int x, int y) const
    {
        const DWORD p = bits[static_cast<size_t>(y) * width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
};

Pixels BitmapPixels(HBITMAP bitmap, int width, int height)
{
    Pixels pixels;
    pixels.width = width;
    pixels.height = height;
    pixels.bits.resize(static_cast<size_t>(width) * height);
    BITMAPINFO info;
    ZeroMemory(&info, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, height, pixels.bits.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return pixels;
}

Pixels ScreenPixels(HWND window, int width, int height)
{
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP copy = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, copy);
    BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    Pixels pixels = BitmapPixels(copy, width, height);
    DeleteObject(copy);
    return pixels;
}

// Writes the window's pixels, as the screen shows them, to a .bmp file.
void SaveScreenshot(HWND window, const char *path)
{
    RECT r;
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info;
    ZeroMemory(&info, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void *bits = nullptr;
    HBITMAP shot = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, shot);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    const DWORD stride = ((w * 3 + 3) & ~3), size = stride * h;
    BITMAPFILEHEADER file;
    ZeroMemory(&file, sizeof file);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + size;
    if (FILE *f = std::fopen(path, "wb")) {
        std::fwrite(&file, sizeof file, 1, f);
        std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f);
        std::fwrite(bits, size, 1, f);
        std::fclose(f);
    }
    DeleteObject(shot);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

} // namespace

TEST(AboutWindow, ShowsTheArtworkAtItsSizeWithLinksInPlace)
{
    HBITMAP artwork = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_ABOUT_BACKGROUND), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(nullptr, artwork);
    BITMAP bm;
    GetObjectA(artwork, sizeof bm, &bm);

    AboutWindow about;
    RunResult r = RunAbout(about, false, [&](HWND w) {
        char title[64] = {0};
        GetWindowTextA(w, title, sizeof title);
        EXPECT_STREQ("Tolvar About", title);

        RECT rect, client;
        GetWindowRect(w, &rect);
        GetClientRect(w, &client);
        EXPECT_EQ(bm.bmWidth, client.right);
        EXPECT_EQ(bm.bmHeight, client.bottom);
        const int width = rect.right - rect.left, height = rect.bottom - rect.top;
        EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - width) / 2, rect.left) << "centred across";
        EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - height) / 3, rect.top) << "a third down";

        const Pixels art = BitmapPixels(artwork, bm.bmWidth, bm.bmHeight);
        Pixels shown;
        auto onScreen = [&](int x, int y) { return shown.At(x, y); };
        auto artworkAt = [&](int x, int y) { return art.At(x, y); };

        const struct {
            const char *label;
            int id;
            int l, t, r, b;
            RECT stored;
        } links[] = {
            {"web link", IDC_WEB_LINK, 126, 107, 236, 113, about.WebLinkRect()},
            {"mail link", IDC_MAIL_LINK, 126, 114, 236, 120, about.MailLinkRect()},
        };
        std::vector<LinkPlace> places;
        for (const auto &link : links) {
            SCOPED_TRACE(link.label);
            LinkPlace place = ExpectedLink(w, link.id, link.l, link.t, link.r, link.b);
            places.push_back(place);
            RECT stored = link.stored;
            MapWindowPoints(nullptr, w, reinterpret_cast<POINT *>(&stored), 2);
            EXPECT_TRUE(EqualRect(&place.area, &stored)) << "the click area is in character units";
            RECT actual = ClientRectOfControl(w, link.id);
            EXPECT_TRUE(EqualRect(&place.text, &actual)) << "the control is as large as its text";
            EXPECT_LE(actual.bottom, bm.bmHeight) << "the link lies on the artwork";
        }

        // The artwork is painted at (0, 0), the links straight onto it: away
        // from the links every pixel is the artwork's; above each link's
        // text (the font's internal leading) too, where a box would show;
        // and the underline below the baseline shows. The screen is read
        // until it shows all that.
        RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        int compared = 0, equal = 0;
        std::string linkFault;
        const bool painted = WaitFor([&] {
            shown = ScreenPixels(w, bm.bmWidth, bm.bmHeight);
            compared = equal = 0;
            for (int y = 4; y < bm.bmHeight / 2; y += 17)
                for (int x = 3; x < bm.bmWidth; x += 23) {
                    ++compared;
                    equal += onScreen(x, y) == artworkAt(x, y);
                }
            linkFault.clear();
            for (size_t i = 0; i < places.size() && linkFault.empty(); ++i) {
                const RECT &t = places[i].text;
                // The other link's text may reach into this row.
                const RECT &other = places[1 - i].text;
                for (int x = t.left; x < t.right; ++x) {
                    const POINT p = {x, t.top};
                    if (!PtInRect(&other, p) && onScreen(x, t.top) != artworkAt(x, t.top)) {
                        linkFault = std::string(links[i].label) + ": a box above the text";
                        break;
                    }
                }
                int underline = 0;
                for (int y = t.top + places[i].ascent; y < t.bottom; ++y) {
                    int inked = 0;
                    for (int x = t.left; x < t.right; ++x)
                        inked += onScreen(x, y) != artworkAt(x, y);
                    underline = std::max(underline, inked);
                }
                if (linkFault.empty() && underline < (t.right - t.left) * 3 / 4)
                    linkFault = std::string(links[i].label) + ": no underline below the baseline";
            }
            return compared == equal && linkFault.empty();
        });
        EXPECT_TRUE(painted) << compared - equal << " of " << compared
                             << " sample pixels differ from the artwork; " << linkFault;

        SaveScreenshot(w, "about_box.bmp");
        PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); // Enter
    });
    EXPECT_TRUE(r.parentEnabledAfter);
    DeleteObject(artwork);
}

// Left clicks on the links open them and keep the window; other buttons and
// Shift-clicks do nothing; a plain click on the background closes it.
TEST(AboutWindow, ClicksOpenLinksOrClose)
{
    const std::string web = LoadString(IDS_WEB_ADDRESS), mail = LoadString(IDS_MAIL_ADDRESS);
    ASSERT_EQ(0u, web.find("http")) << web;
    ASSERT_EQ(0u, mail.find("mailto:")) << mail;

    AboutWindow about;
    RunResult r = RunAbout(about, false, [&](HWND w) {
        const POINT webPoint = CenterOf(w, IDC_WEB_LINK), mailPoint = CenterOf(w, IDC_MAIL_LINK);
        const POINT background = {10, 10};
        const struct {
            const char *label;
            UINT message;
            WPARAM keys;
            POINT at;
            const char *opens; // null: nothing is opened
        } clicks[] = {
            {"left click on the web link", WM_LBUTTONDOWN, MK_LBUTTON, webPoint, web.c_str()},
            {"left click on the mail link", WM_LBUTTONDOWN, MK_LBUTTON, mailPoint, mail.c_str()},
            {"right click on the web link", WM_RBUTTONDOWN, MK_RBUTTON, webPoint, nullptr},
            {"shift-click on the mail link", WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, mailPoint, nullptr},
            {"shift-click on the background", WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, background, nullptr},
            {"left click with the right button held", WM_LBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, background, nullptr},
            {"right click on the background", WM_RBUTTONDOWN, MK_RBUTTON, background, nullptr},
        };
        for (const auto &c : clicks) {
            SCOPED_TRACE(c.label);
            const int before = RequestCount();
            Mouse(w, c.message, c.keys, c.at);
            ASSERT_TRUE(IsWindow(w)) << "the window closed";
            if (c.opens) {
                ASSERT_EQ(before + 1, RequestCount());
                ShellRequest req = RequestAt(before);
                EXPECT_STREQ("open", req.verb);
                EXPECT_STREQ(c.opens, req.file);
                EXPECT_EQ(SW_RESTORE, req.show);
            } else {
                EXPECT_EQ(before, RequestCount());
            }
        }
        Mouse(w, WM_LBUTTONDOWN, MK_LBUTTON, background);
        EXPECT_TRUE(WaitFor([&] { return about.Window() == nullptr; })) << "background click closes";
    });
    EXPECT_TRUE(r.parentEnabledAfter) << "the owner is usable again after a click closed the box";
}

// Real mouse input: the links are not hidden behind their controls, the
// cursor changes over them, and a real click opens the link.
TEST(AboutWindow, RealMouseOverAndOnALink)
{
    AboutWindow about;
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    RunAbout(about, false, [&](HWND w) {
        // Absolute positions, with the button too: Wine moves the X pointer
        // after each injected move, and X may still report an older position
        // after that, so a click without its own position could land there.
        auto mouse = [](POINT screen, DWORD buttons) {
            INPUT in;
            ZeroMemory(&in, sizeof in);
            in.type = INPUT_MOUSE;
            in.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
            in.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
            in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
            SendInput(1, &in, sizeof in);
        };
        auto moveTo = [&](POINT screen) { mouse(screen, 0); };
        auto cursor = [] {
            CURSORINFO info;
            ZeroMemory(&info, sizeof info);
            info.cbSize = sizeof info;
            GetCursorInfo(&info);
            return info.hCursor;
        };
        POINT link = CenterOf(w, IDC_WEB_LINK), background = {10, 10};
        ClientToScreen(w, &link);
        ClientToScreen(w, &background);

        // Until the cursor is there with the shape the window gave it. The
        // move is made again while it is not: a pointer event from X that
        // was still on its way may have put Wine's cursor back.
        auto pointAt = [&](POINT screen, bool overLink) {
            return WaitFor([&] {
                POINT at = {-1, -1};
                GetCursorPos(&at);
                const HCURSOR shape = cursor();
                if (abs(at.x - screen.x) <= 1 && abs(at.y - screen.y) <= 1 && shape && (shape != arrow) == overLink)
                    return true;
                moveTo(screen);
                return false;
            }, 20000);
        };
        EXPECT_TRUE(pointAt(link, true)) << "the link cursor shows over a link";
        EXPECT_TRUE(pointAt(background, false)) << "the arrow shows elsewhere";
        ASSERT_TRUE(pointAt(link, true));

        const int before = RequestCount();
        mouse(link, MOUSEEVENTF_LEFTDOWN);
        mouse(link, MOUSEEVENTF_LEFTUP);
        EXPECT_TRUE(WaitFor([&] { return RequestCount() == before + 1; })) << "a real click opens the link";
        EXPECT_TRUE(IsWindow(w));
        PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); // Escape
    });
}

// The About role ignores its timer; the splash closes itself after 7 s.
TEST(AboutWindow, SplashClosesItselfAboutStays)
{
    {
        AboutWindow about;
        tolvar_test::TimerWatch timer(ABOUT_SPLASH_TIMER_ID);
        ASSERT_TRUE(timer.Installed());
        RunAbout(about, false, [&](HWND w) {
            // Once its 7-second timer has fired and been handled (a message
            // sent to the window waits for that), the About box is still open.
            EXPECT_TRUE(WaitFor([&] { return timer.Count() > 0; }, 120000)) << "the timer never fired";
            DWORD_PTR ignored;
            SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, kWaitMs, &ignored);
            EXPECT_TRUE(IsWindow(w)) << "the About box stays open past its timer";
            // Escape, typed.
            INPUT key[2];
            ZeroMemory(key, sizeof key);
            key[0].type = key[1].type = INPUT_KEYBOARD;
            key[0].ki.wVk = key[1].ki.wVk = VK_ESCAPE;
            key[0].ki.wScan = key[1].ki.wScan = static_cast<WORD>(MapVirtualKeyA(VK_ESCAPE, 0));
            key[1].ki.dwFlags = KEYEVENTF_KEYUP;
            // Typed keys reach the window once it is in front.
            SetForegroundWindow(w);
            EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == w; }));
            SendInput(2, key, sizeof key[0]);
            EXPECT_TRUE(WaitFor([&] { return !IsWindow(w); })) << "Escape closes";
        });
    }
    {
        AboutWindow about;
        RunResult r = RunAbout(about, true, [&](HWND w) {
            EXPECT_TRUE(WaitFor([&] { return !IsWindow(w); })) << "the splash never closed";
        });
        const DWORD lifetime = r.closedAt - r.calledAt;
        EXPECT_GE(lifetime, 6950u) << "closed before its 7 s";
        EXPECT_LT(lifetime, 60000u);
        EXPECT_TRUE(r.parentEnabledAfter) << "the owner is usable again after the splash";
        std::printf("splash lifetime: %lu ms\n", static_cast<unsigned long>(lifetime));
    }
}
