// The frame's objects as the rest of the system meets them: the KeyCollection
// called by a C host through its operation table, KeyIconPair's icon loading
// with the host's default icons, and CenterWindow's placement.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "collection_host.h"
#include "options/frame/key_collection.h"
#include "options/frame/key_icon_pair.h"
#include "options/frame/library.h"
#include "support/import_patch.h"
#include "support/stack_balance.h"
#include "tolvar_library.h"

namespace {

// The collection's private members, at the offsets a host may rely on.
struct CollectionView {
    const KeyCollectionOps *ops;
    KeyCollectionHeader *block;
    uint32_t appended;
};

CollectionView View(::KeyCollection *collection)
{
    CollectionView view;
    std::memcpy(&view, collection, sizeof view);
    return view;
}

KeyItem MakeItem(int32_t keyCode, const char *name)
{
    KeyItem item;
    std::memset(&item, 0, sizeof item);
    item.active = 1;
    item.keyCode = keyCode;
    item.modifiers = static_cast<ModifierFlags>(keyCode & 0x3F);
    std::strncpy(item.keyName, name, sizeof item.keyName - 1);
    std::strcpy(item.iconOffPath, "C:\\icons\\last-field.ico");
    item.hasIcon = 1;
    item.hasOffState = keyCode & 1;
    return item;
}

KeyCollectionHeader MakeHeader(uint32_t itemCount)
{
    KeyCollectionHeader header;
    header.beepOnly = 1;
    header.silent = 0;
    header.numLockOn = 7; // copied as given, whatever the value
    header.addToStartup = -1;
    header.itemCount = itemCount;
    header.items = reinterpret_cast<KeyItem *>(0x12345678); // never taken over
    return header;
}

// Bytes of busy blocks on the process heap.
SIZE_T BusyHeapBytes()
{
    HANDLE heap = GetProcessHeap();
    SIZE_T busy = 0;
    HeapLock(heap);
    PROCESS_HEAP_ENTRY entry;
    entry.lpData = nullptr;
    while (HeapWalk(heap, &entry))
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
            busy += entry.cbData;
    HeapUnlock(heap);
    return busy;
}

class HostCollection : public ::testing::Test {
protected:
    tolvar::KeyCollection owner;
    ::KeyCollection *c = owner.HostView();
};

TEST_F(HostCollection, NewCollectionHasNoDataAndIgnoresAppends)
{
    EXPECT_EQ(HostGetData(c), nullptr);
    KeyItem item = MakeItem(65, "A");
    HostAppendItem(c, &item);
    EXPECT_EQ(HostGetData(c), nullptr);
    EXPECT_EQ(View(c).appended, 0u);
}

TEST_F(HostCollection, SetHeaderCopiesTheHeaderAndResetsItems)
{
    struct Case {
        const char *label;
        uint32_t itemCount;
    };
    const Case cases[] = {{"no items", 0}, {"one item", 1}, {"several", 5}};
    for (const Case &k : cases) {
        SCOPED_TRACE(k.label);
        KeyCollectionHeader header = MakeHeader(k.itemCount);
        HostSetHeader(c, &header);
        KeyCollectionHeader *block = HostGetData(c);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(std::memcmp(block, &header, 20), 0) << "first 20 bytes copied";
        EXPECT_EQ(block->items, nullptr);
        EXPECT_EQ(View(c).block, block);
        EXPECT_EQ(View(c).appended, 0u);
        EXPECT_EQ(HeapSize(GetProcessHeap(), 0, block), 24u + 1190u * k.itemCount)
            << "exactly the header and the items, on the process heap";
        // The slots are zero-filled.
        const unsigned char *bytes = reinterpret_cast<const unsigned char *>(block) + 24;
        size_t nonzero = 0;
        for (size_t i = 0; i < 1190u * k.itemCount; ++i)
            nonzero += bytes[i] != 0;
        EXPECT_EQ(nonzero, 0u);
    }
}

TEST_F(HostCollection, AppendFillsSlotsInOrderAndStopsWhenFull)
{
    KeyCollectionHeader header = MakeHeader(3);
    HostSetHeader(c, &header);
    std::vector<KeyItem> items = {MakeItem(20, "Caps Lock"), MakeItem(144, "Num Lock"),
                                  MakeItem(145, "Scroll Lock"), MakeItem(65, "A")};
    for (const KeyItem &item : items)
        HostAppendItem(c, &item);

    KeyCollectionHeader *block = HostGetData(c);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->itemCount, 3u);
    ASSERT_EQ(reinterpret_cast<char *>(block->items), reinterpret_cast<char *>(block) + 24);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(std::memcmp(&block->items[i], &items[i], sizeof(KeyItem)), 0);
    }
    EXPECT_EQ(View(c).appended, 3u) << "the fourth append changed nothing";
}

TEST_F(HostCollection, SecondSetHeaderStartsOver)
{
    KeyCollectionHeader first = MakeHeader(2);
    HostSetHeader(c, &first);
    KeyItem a = MakeItem(65, "A"), b = MakeItem(66, "B"), z = MakeItem(90, "Z");
    HostAppendItem(c, &a);
    HostAppendItem(c, &b);

    KeyCollectionHeader second = MakeHeader(1);
    second.silent = 1;
    HostSetHeader(c, &second);
    KeyCollectionHeader *block = HostGetData(c);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->silent, 1);
    EXPECT_EQ(block->items, nullptr) << "no item appended since";
    EXPECT_EQ(View(c).appended, 0u);
    HostAppendItem(c, &z);
    ASSERT_NE(block->items, nullptr);
    EXPECT_EQ(block->items[0].keyCode, 90) << "appends start again at slot 0";
    EXPECT_EQ(View(c).appended, 1u);
}

TEST_F(HostCollection, BlockThatCannotExistLeavesTheCollectionEmpty)
{
    struct Case {
        const char *label;
        uint32_t itemCount;
    };
    const Case cases[] = {
        {"size wraps in 32 bits", 0x80000000u},
        {"first count past 4 GiB", (0xFFFFFFFFu - 24u) / 1190u + 1u},
        {"fits in 32 bits but cannot be allocated", (0xFFFFFFFFu - 24u) / 1190u},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.label);
        KeyCollectionHeader good = MakeHeader(1);
        HostSetHeader(c, &good);
        ASSERT_NE(HostGetData(c), nullptr);

        KeyCollectionHeader header = MakeHeader(k.itemCount);
        HostSetHeader(c, &header);
        EXPECT_EQ(HostGetData(c), nullptr) << "the earlier block is gone too";
        KeyItem item = MakeItem(65, "A");
        HostAppendItem(c, &item);
        EXPECT_EQ(HostGetData(c), nullptr);
        EXPECT_EQ(View(c).appended, 0u);
    }
}

TEST_F(HostCollection, RaisedCountInTheBlockCannotOverrunIt)
{
    KeyCollectionHeader header = MakeHeader(1);
    HostSetHeader(c, &header);
    KeyCollectionHeader *block = HostGetData(c);
    ASSERT_NE(block, nullptr);
    block->itemCount = 1000; // a host scribbling on the block
    KeyItem a = MakeItem(65, "A"), b = MakeItem(66, "B");
    HostAppendItem(c, &a);
    HostAppendItem(c, &b);
    EXPECT_EQ(View(c).appended, 1u);
    EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, block));
}

TEST(HostCollectionCalls, OperationsRemoveTheirOwnArguments)
{
    tolvar::KeyCollection owner;
    ::KeyCollection *c = owner.HostView();
    KeyCollectionHeader header = MakeHeader(1);
    KeyItem item = MakeItem(65, "A");
    uint32_t self = reinterpret_cast<uint32_t>(c);

    uint32_t headerArg = reinterpret_cast<uint32_t>(&header);
    tolvar_test::StackCall set =
        tolvar_test::CallMeasuringStack(reinterpret_cast<const void *>(c->ops->SetHeader), self,
                                        &headerArg, 1);
    EXPECT_EQ(set.espShift, 0) << "SetHeader";
    ASSERT_NE(HostGetData(c), nullptr) << "the object came in ECX";

    uint32_t itemArg = reinterpret_cast<uint32_t>(&item);
    tolvar_test::StackCall append =
        tolvar_test::CallMeasuringStack(reinterpret_cast<const void *>(c->ops->AppendItem), self,
                                        &itemArg, 1);
    EXPECT_EQ(append.espShift, 0) << "AppendItem";
    EXPECT_EQ(View(c).appended, 1u);

    tolvar_test::StackCall get = tolvar_test::CallMeasuringStack(
        reinterpret_cast<const void *>(c->ops->GetData), self, nullptr, 0);
    EXPECT_EQ(get.espShift, 0) << "GetData";
    EXPECT_EQ(get.result, reinterpret_cast<uint32_t>(HostGetData(c)));
}

TEST(HostCollectionCalls, DeletingDestructorFreesBlockAndObject)
{
    const uint32_t count = 40; // about 47 KB, an ordinary heap block
    KeyCollectionHeader header = MakeHeader(count);
    KeyItem item = MakeItem(65, "A");

    SIZE_T before = BusyHeapBytes();
    tolvar::KeyCollection *object = new tolvar::KeyCollection();
    ::KeyCollection *c = object->HostView();
    HostSetHeader(c, &header);
    for (uint32_t i = 0; i < count; ++i)
        HostAppendItem(c, &item);
    SIZE_T filled = BusyHeapBytes();
    EXPECT_GE(filled - before, 24u + 1190u * count);

    uint32_t flagsArg = 1;
    tolvar_test::StackCall destroyed = tolvar_test::CallMeasuringStack(
        reinterpret_cast<const void *>(c->ops->Destroy), reinterpret_cast<uint32_t>(c), &flagsArg,
        1);
    EXPECT_EQ(destroyed.espShift, 0);
    EXPECT_EQ(destroyed.result, reinterpret_cast<uint32_t>(c));
    SIZE_T after = BusyHeapBytes();
    EXPECT_LT(after, before + 1190u) << "block and object released";
}

TEST(HostCollectionCalls, DestructorWithoutDeleteFlagKeepsTheObject)
{
    alignas(tolvar::KeyCollection) unsigned char storage[sizeof(tolvar::KeyCollection)];
    tolvar::KeyCollection *object = new (storage) tolvar::KeyCollection();
    ::KeyCollection *c = object->HostView();
    KeyCollectionHeader header = MakeHeader(40);
    SIZE_T before = BusyHeapBytes();
    HostSetHeader(c, &header);
    ASSERT_NE(HostGetData(c), nullptr);
    EXPECT_EQ(HostDestroy(c, 0), static_cast<void *>(c));
    // The object's members are dead after its destructor, so the release is
    // observed on the heap rather than through the object.
    EXPECT_LT(BusyHeapBytes(), before + 1190u) << "block released, storage left alone";
    // The storage is ours again: a new collection can live in it.
    object = new (storage) tolvar::KeyCollection();
    EXPECT_EQ(HostGetData(object->HostView()), nullptr);
    object->~KeyCollection();
}

// ---------------------------------------------------------------------------
// KeyIconPair

std::string TempFile(const char *name, const void *bytes, size_t size)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::string path = std::string(folder) + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr);
        CloseHandle(file);
    }
    return path;
}

std::string GoodIconFile()
{
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(500), MAKEINTRESOURCEA(10) /*RCDATA*/);
    const void *bytes = found ? LockResource(LoadResource(nullptr, found)) : nullptr;
    return bytes ? TempFile("tolvar-frame-good.ico", bytes, SizeofResource(nullptr, found)) : "";
}

std::string NotAnIconFile()
{
    const char text[] = "this is plain text, not an icon";
    return TempFile("tolvar-frame-bad.ico", text, sizeof text);
}

HICON HostIcon(int id)
{
    return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
}

// The pixels of an icon's colour bitmap and its mask.
std::string IconBits(HICON icon)
{
    ICONINFO info;
    if (!icon || !GetIconInfo(icon, &info))
        return "";
    std::string bits;
    for (HBITMAP bitmap : {info.hbmColor, info.hbmMask}) {
        BITMAP b = {};
        if (bitmap && GetObjectA(bitmap, sizeof b, &b)) {
            std::string part(static_cast<size_t>(b.bmWidthBytes) * b.bmHeight, '\0');
            GetBitmapBits(bitmap, static_cast<LONG>(part.size()), &part[0]);
            bits += std::to_string(b.bmWidth) + "x" + std::to_string(b.bmHeight) + ":" + part;
        }
        DeleteObject(bitmap);
    }
    return bits;
}

// The icons this program destroys while a recorder is installed.
std::vector<HICON> g_destroyed;
BOOL(WINAPI *g_destroyIcon)(HICON) = nullptr;
BOOL WINAPI RecordDestroyIcon(HICON icon)
{
    g_destroyed.push_back(icon);
    return g_destroyIcon(icon);
}

TEST(KeyIconPairLoad, FileFirstThenHostDefaultsByKeyCode)
{
    const std::string good = GoodIconFile();
    const std::string bad = NotAnIconFile();
    ASSERT_FALSE(good.empty());
    const std::string absent = "C:\\no-such-folder\\none.ico";
    enum Expect { kFromFile, kDefault, kNone };
    struct Case {
        const char *label;
        int32_t keyCode;
        const std::string *path; // null: empty path
        bool on;
        Expect expect;
        int defaultId;
        bool missing;
    };
    const Case cases[] = {
        {"caps, empty path, on", 20, nullptr, true, kDefault, 2000, false},
        {"caps, empty path, off", 20, nullptr, false, kDefault, 2001, false},
        {"caps, not an icon", 20, &bad, true, kDefault, 2000, true},
        {"caps, file missing, off", 20, &absent, false, kDefault, 2001, true},
        {"num, empty, on", 144, nullptr, true, kDefault, 3000, false},
        {"num, not an icon, off", 144, &bad, false, kDefault, 3001, true},
        {"scroll, empty, on", 145, nullptr, true, kDefault, 4000, false},
        {"scroll, empty, off", 145, nullptr, false, kDefault, 4001, false},
        {"other key, empty", 65, nullptr, true, kNone, 0, false},
        {"other key, not an icon", 65, &bad, false, kNone, 0, true},
        {"caps, icon file", 20, &good, true, kFromFile, 0, false},
        {"other key, icon file", 65, &good, false, kFromFile, 0, false},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.label);
        tolvar::KeyIconPair pair;
        pair.keyCode = k.keyCode;
        pair.onIconMissing = pair.offIconMissing = !k.missing; // must be overwritten
        pair.LoadStateIcon(k.path ? k.path->c_str() : "", k.on);
        HICON icon = k.on ? pair.onIcon : pair.offIcon;
        bool missing = k.on ? pair.onIconMissing : pair.offIconMissing;
        HICON other = k.on ? pair.offIcon : pair.onIcon;
        EXPECT_EQ(other, nullptr) << "the other state is untouched";
        EXPECT_EQ(missing, k.missing);
        switch (k.expect) {
        case kDefault:
            // The host's icon, in a copy of the pair's own.
            EXPECT_NE(icon, HostIcon(k.defaultId));
            EXPECT_EQ(IconBits(icon), IconBits(HostIcon(k.defaultId)));
            EXPECT_NE(IconBits(icon), "");
            break;
        case kNone:
            EXPECT_EQ(icon, nullptr);
            break;
        case kFromFile:
            EXPECT_NE(icon, nullptr);
            for (int id : {2000, 2001, 3000, 3001, 4000, 4001})
                EXPECT_NE(icon, HostIcon(id));
            break;
        }
    }
    DeleteFileA(good.c_str());
    DeleteFileA(bad.c_str());
}

TEST(KeyIconPairLoad, DestructorDestroysLoadedIcons)
{
    const std::string good = GoodIconFile();
    HICON on, off;
    {
        tolvar::KeyIconPair pair;
        pair.keyCode = 65;
        pair.LoadStateIcon(good.c_str(), true);
        pair.LoadStateIcon(good.c_str(), false);
        on = pair.onIcon;
        off = pair.offIcon;
        ASSERT_NE(on, nullptr);
        ASSERT_NE(off, nullptr);
        ICONINFO info;
        ASSERT_TRUE(GetIconInfo(on, &info));
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    ICONINFO info;
    EXPECT_FALSE(GetIconInfo(on, &info));
    EXPECT_FALSE(GetIconInfo(off, &info));
    DeleteFileA(good.c_str());
}

TEST(KeyIconPairLoad, DestroyingAPairLeavesTheHostsIconsAlive)
{
    // The system's shared icons must never reach DestroyIcon (Wine ignores
    // such a call, so only the call itself shows the fault).
    g_destroyed.clear();
    g_destroyIcon = reinterpret_cast<BOOL(WINAPI *)(HICON)>(tolvar_test::PatchImport(
        GetModuleHandleA(nullptr), "user32.dll", "DestroyIcon", reinterpret_cast<void *>(&RecordDestroyIcon)));
    ASSERT_NE(g_destroyIcon, nullptr);
    HICON on = nullptr, off = nullptr;
    {
        tolvar::KeyIconPair pair;
        pair.keyCode = 144;
        pair.LoadStateIcon("", true);
        pair.LoadStateIcon("", false);
        on = pair.onIcon;
        off = pair.offIcon;
    }
    tolvar_test::PatchImport(GetModuleHandleA(nullptr), "user32.dll", "DestroyIcon",
                             reinterpret_cast<void *>(g_destroyIcon));
    EXPECT_EQ((std::vector<HICON>{on, off}), g_destroyed);
    for (int id : {3000, 3001}) {
        EXPECT_NE(on, HostIcon(id));
        EXPECT_NE(off, HostIcon(id));
        EXPECT_NE(IconBits(HostIcon(id)), "") << id;
    }
}

// ---------------------------------------------------------------------------
// CenterWindow

HWND MakeWindow(DWORD style, HWND parent, int width, int height)
{
    return CreateWindowExA(0, "STATIC", "", style, 7, 9, width, height, parent, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

TEST(CenterWindowPlacement, TopLevelWindowsAgainstTheScreen)
{
    const int screenW = GetSystemMetrics(SM_CXSCREEN);
    const int screenH = GetSystemMetrics(SM_CYSCREEN);
    struct Case {
        int width, height;
    };
    const Case cases[] = {{300, 200}, {301, 199}, {screenW, screenH}, {screenW + 101, screenH + 50}};
    for (const Case &k : cases) {
        SCOPED_TRACE(std::to_string(k.width) + "x" + std::to_string(k.height));
        HWND window = MakeWindow(WS_POPUP | WS_VISIBLE, nullptr, k.width, k.height);
        ASSERT_NE(window, nullptr);
        tolvar::CenterWindow(window);
        RECT rect;
        GetWindowRect(window, &rect);
        EXPECT_EQ(rect.left, (screenW - k.width) / 2);
        EXPECT_EQ(rect.top, (screenH - k.height) / 3);
        EXPECT_EQ(rect.right - rect.left, k.width) << "size unchanged";
        EXPECT_EQ(rect.bottom - rect.top, k.height);
        EXPECT_EQ(GetForegroundWindow(), window);
        DestroyWindow(window);
    }
}

TEST(CenterWindowPlacement, ChildWindowAgainstItsParent)
{
    HWND parent = MakeWindow(WS_POPUP | WS_VISIBLE, nullptr, 500, 400);
    ASSERT_NE(parent, nullptr);
    HWND child = MakeWindow(WS_CHILD | WS_VISIBLE, parent, 100, 50);
    ASSERT_NE(child, nullptr);
    HWND sibling = MakeWindow(WS_CHILD | WS_VISIBLE, parent, 10, 10);
    tolvar::CenterWindow(child);
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT *>(&rect), 2);
    EXPECT_EQ(rect.left, (500 - 100) / 2);
    EXPECT_EQ(rect.top, (400 - 50) / 3);
    EXPECT_EQ(GetWindow(parent, GW_CHILD), child) << "moved to the top of the z-order";
    DestroyWindow(sibling);
    DestroyWindow(parent);
}

// ---------------------------------------------------------------------------
// ShowWarning and IsNtPlatform

struct MessageBoxSeen {
    bool seen = false;
    std::string caption, text;
    HWND owner = nullptr;
    bool exclamationIcon = false;
    int buttons = 0;
};
MessageBoxSeen g_messageBox;
HHOOK g_cbtHook = nullptr;

BOOL CALLBACK InspectChild(HWND child, LPARAM context)
{
    MessageBoxSeen *seen = reinterpret_cast<MessageBoxSeen *>(context);
    char className[32] = "";
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Button") == 0)
        ++seen->buttons;
    if (lstrcmpiA(className, "Static") == 0 &&
        (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
        reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0)) ==
            LoadIconA(nullptr, IDI_EXCLAMATION))
        seen->exclamationIcon = true;
    return TRUE;
}

LRESULT CALLBACK AnswerMessageBox(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && wParam) {
        HWND box = reinterpret_cast<HWND>(wParam);
        char className[32] = "", caption[128] = "", text[512] = "";
        GetClassNameA(box, className, sizeof className);
        if (std::string(className) == "#32770" && !g_messageBox.seen) {
            g_messageBox.seen = true;
            GetWindowTextA(box, caption, sizeof caption);
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            g_messageBox.caption = caption;
            g_messageBox.text = text;
            g_messageBox.owner = GetWindow(box, GW_OWNER);
            EnumChildWindows(box, InspectChild, reinterpret_cast<LPARAM>(&g_messageBox));
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(g_cbtHook, code, wParam, lParam);
}

TEST(LibraryHelpers, ShowWarningShowsTheLibrarysStringWithAnExclamation)
{
    HMODULE library = TolvarLibrary();
    ASSERT_NE(library, nullptr);
    tolvar::RememberModuleInstance(library); // strings come from the library
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 100, 50,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    struct Case {
        UINT id;
        const char *subject; // null: ShowWarning, else ShowWarningAbout
        const char *text;
    };
    const Case cases[] = {
        {18, nullptr, "This key already exists within your collection."},
        {19, nullptr, "At least one icon item must be visible."},
        {21, nullptr, "This sound file is too big and cannot be loaded into the memory."},
        {35, "C:\\Schemes\\my.tvs", "The scheme could not be written to C:\\Schemes\\my.tvs."},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.id);
        g_messageBox = MessageBoxSeen();
        g_cbtHook = SetWindowsHookExA(WH_CBT, AnswerMessageBox, nullptr, GetCurrentThreadId());
        ASSERT_NE(g_cbtHook, nullptr);
        int result = k.subject ? tolvar::ShowWarningAbout(owner, k.id, k.subject)
                               : tolvar::ShowWarning(owner, k.id);
        UnhookWindowsHookEx(g_cbtHook);
        EXPECT_EQ(result, IDOK);
        ASSERT_TRUE(g_messageBox.seen);
        EXPECT_EQ(g_messageBox.text, k.text);
        EXPECT_EQ(g_messageBox.caption, "Error") << "the system's default caption";
        EXPECT_EQ(g_messageBox.owner, owner);
        EXPECT_TRUE(g_messageBox.exclamationIcon);
        EXPECT_EQ(g_messageBox.buttons, 1) << "OK only";
    }
    tolvar::RememberModuleInstance(nullptr);
    DestroyWindow(owner);
}

TEST(LibraryHelpers, NtPlatformFollowsTheVersionQuery)
{
    OSVERSIONINFOA info;
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(sizeof info, 148u);
    EXPECT_EQ(tolvar::IsNtPlatform(), info.dwPlatformId == VER_PLATFORM_WIN32_NT);
}

} // namespace
