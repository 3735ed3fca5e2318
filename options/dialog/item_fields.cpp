// item_fields.cpp - the four path fields below the key list: browsing for a
// file, the sound size check, storing a changed field into the focused item
// (with its icon, list cell and play button), the sound preview, and the
// fields' context menu, Delete and Apps keys.
#include "options/dialog/options_dialog.h"

#include <cstdio>
#include <cstring>
#include <mmsystem.h>

#include "options/dialog/control_rules.h"
#include "options/dialog/file_dialogs.h"
#include "options/dialog/text_cuts.h"
#include "options/frame/key_icon_pair.h"
#include "options/frame/library.h"
#include "options/resources/resource_ids.h"

namespace tolvar {

namespace {

// Buffers that hold a path: 260 characters plus the terminator; every read of
// a field asks for at most 260 bytes including the terminator.
enum { kPathBuffer = 264, kPathRead = 260 };

bool IsLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != FALSE;
}

// Puts icon into the image list at *index, or adds it when the pair had no
// image yet; a pair without an icon shows no image.
void StoreImage(HIMAGELIST imageList, HICON icon, int32_t *index)
{
    if (!imageList)
        return;
    if (!icon) {
        *index = -1;
        return;
    }
    int stored = *index >= 0 ? ImageList_ReplaceIcon(imageList, *index, icon) : -1;
    if (stored < 0)
        stored = ImageList_AddIcon(imageList, icon);
    *index = stored;
}

} // namespace

int OptionsDialog::GetBrowseTitle(int buttonId, char *title) const
{
    const PathField *field = PathFieldByButton(buttonId);
    if (!field)
        return -1;
    if (LoadStringA(ModuleInstance(), field->titleStringId, title, kPathRead) <= 0)
        title[0] = '\0';
    return field->fieldId;
}

void OptionsDialog::BrowsePath(int buttonId)
{
    char browseTitle[kPathBuffer] = "";
    const int fieldId = GetBrowseTitle(buttonId, browseTitle);
    if (fieldId < 0)
        return;
    const KeyItem *item = CurrentItem();
    if (!item)
        return;

    char format[kPathBuffer] = "";
    if (LoadStringA(ModuleInstance(), IDS_TITLE_FOR_KEY, format, kPathRead) <= 0)
        std::strcpy(format, "%s for %s");
    char title[kPathBuffer];
    // The format comes from our own string table and takes two strings.
    std::snprintf(title, sizeof title, format, browseTitle, item->keyName);

    char path[kPathBuffer] = "";
    GetDlgItemTextA(window, fieldId, path, kPathRead);
    const bool sound = buttonId == IDC_BROWSE_SOUND_ON || buttonId == IDC_BROWSE_SOUND_OFF;
    if (!PromptMediaFile(path, window, sound, kPathRead, title))
        return;
    if (sound) {
        const SoundCheck check = CheckSoundFile(path);
        if (check != SoundCheck::Accepted) {
            ShowWarning(window, SoundWarningText(check));
            return;
        }
    }
    SetDlgItemTextA(window, fieldId, path);
}

bool OptionsDialog::IsSoundSizeAcceptable(const char *path)
{
    return CheckSoundFile(path) == SoundCheck::Accepted;
}

SoundCheck OptionsDialog::CheckSoundFile(const char *path)
{
    if (!path || !*path)
        return SoundCheck::Unreadable;
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return SoundCheck::Unreadable;
    BY_HANDLE_FILE_INFORMATION info;
    const bool sized = GetFileInformationByHandle(file, &info) != FALSE;
    CloseHandle(file);
    return CheckSoundSize(sized, sized ? info.nFileSizeHigh : 0, sized ? info.nFileSizeLow : 0);
}

void OptionsDialog::OnPathFieldChanged(int fieldId)
{
    if (refilling)
        return;
    refilling = true;

    int index = -1;
    KeyItem *item = CurrentItem(&index);
    const PathField *field = PathFieldById(fieldId);
    if (item && field) {
        char text[kPathBuffer] = "";
        GetDlgItemTextA(window, fieldId, text, kPathRead);

        char *target = field->sound ? (field->on ? item->soundOnPath : item->soundOffPath)
                                    : (field->on ? item->iconOnPath : item->iconOffPath);
        std::memcpy(target, text, TV_PATH_SIZE - 1);
        target[TV_PATH_SIZE - 1] = '\0';

        if (field->sound) {
            EnableWindow(GetDlgItem(window, field->playButtonId), text[0] != '\0');
        } else if (KeyIconPair *pair = FindIconPair(item->keyCode)) {
            if (field->on) {
                ReleaseIcon(&pair->onIcon);
                pair->LoadStateIcon(item->iconOnPath, true);
                StoreImage(imageList, pair->onIcon, &pair->onImageIndex);
            } else {
                ReleaseIcon(&pair->offIcon);
                pair->LoadStateIcon(item->iconOffPath, false);
                StoreImage(imageList, pair->offIcon, &pair->offImageIndex);
            }
        }

        // The list draws every cell from the item; setting the cell's text
        // makes it repaint the row.
        const char *cellText = CellText(item, field->on, field->sound);
        char cell[kPathBuffer];
        const size_t length = LengthBeforeLastDot(cellText, IsLeadByte);
        std::memcpy(cell, cellText, length < kPathRead ? length : kPathRead - 1);
        cell[length < kPathRead ? length : kPathRead - 1] = '\0';
        LVITEMA subItem = {};
        subItem.iSubItem = field->column;
        subItem.pszText = cell;
        SendMessageA(listView, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&subItem));
        ListView_RedrawItems(listView, index, index);
    }

    refilling = false;
    SetDirty(true);
}

void OptionsDialog::PlayPreview(bool on)
{
    char path[kPathBuffer];
    std::memset(path, 0, sizeof path);
    GetDlgItemTextA(window, on ? IDC_SOUND_ON_PATH : IDC_SOUND_OFF_PATH, path, kPathRead);
    if (path[0])
        PlaySoundA(path, nullptr, SND_FILENAME | SND_ASYNC);
    else
        PlaySoundA(MAKEINTRESOURCEA(on ? 106 : 107), GetModuleHandleA(nullptr),
                   SND_RESOURCE | SND_ASYNC);
}

void OptionsDialog::ReleaseIcon(HICON *slot)
{
    if (*slot)
        DestroyIcon(*slot);
    *slot = nullptr;
}

void OptionsDialog::OnEditRButtonDown(PathEdit *edit, WPARAM wParam, LPARAM lParam, bool &handled)
{
    HWND field = edit->editWindow;
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(field, &point);

    HMENU menu = CreatePopupMenu();
    if (!menu) {
        handled = true;
        return;
    }
    DWORD start = 0, end = 0;
    SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const bool hasSelection = start != end;
    const bool hasText = GetWindowTextLengthA(field) > 0;
    char browseTitle[TV_PATH_SIZE];
    std::memset(browseTitle, 0, sizeof browseTitle);
    GetBrowseTitle(edit->browseButtonId, browseTitle);

    // Each item goes in at the top, so they are inserted bottom to top.
    struct Entry {
        UINT id;
        const char *text; // null: separator
        bool enabled;
    } entries[] = {
        {IDM_PATH_COPY, "Copy", hasSelection},
        {0, nullptr, false},
        {IDM_PATH_CLEAR, "Clear", hasText},
        {0, nullptr, false},
        {IDM_PATH_BROWSE, browseTitle, true},
    };
    for (const Entry &e : entries) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        if (e.text) {
            info.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE;
            info.fType = MFT_STRING;
            info.fState = e.enabled ? 0 : MFS_GRAYED;
            info.wID = e.id;
            info.dwTypeData = const_cast<char *>(e.text);
        } else {
            info.fMask = MIIM_TYPE;
            info.fType = MFT_SEPARATOR;
        }
        InsertMenuItemA(menu, 0, TRUE, &info);
    }
    TrackPopupMenuEx(menu, 0, point.x, point.y, field, nullptr);
    DestroyMenu(menu);
    handled = true;
}

void OptionsDialog::OnEditKeyDown(PathEdit *edit, WPARAM wParam, LPARAM lParam, bool &handled)
{
    switch (wParam) {
    case VK_DELETE:
        SetWindowTextA(edit->editWindow, "");
        break;
    case VK_APPS:
        SendMessageA(edit->editWindow, WM_RBUTTONDOWN, MK_RBUTTON, 0);
        break;
    default:
        handled = false;
        break;
    }
}

void OptionsDialog::OnEditCommand(PathEdit *edit, WPARAM wParam, LPARAM lParam, bool &handled)
{
    switch (LOWORD(wParam)) {
    case IDM_PATH_BROWSE:
        BrowsePath(edit->browseButtonId);
        break;
    case IDM_PATH_CLEAR:
        SetWindowTextA(edit->editWindow, "");
        break;
    case IDM_PATH_COPY:
        SendMessageA(edit->editWindow, WM_COPY, 0, 0);
        break;
    default:
        handled = false;
        break;
    }
}

} // namespace tolvar
