// key_list.cpp - the owner-drawn key list (control 1019). The list is only a
// view of keyItems: row i shows keyItems[i], each row's parameter is its
// KeyItem, and every cell is drawn from the item when the row is painted.
#include "options/dialog/options_dialog.h"

#include <cstring>

#include "options/dialog/list_layout.h"
#include "options/frame/key_icon_pair.h"
#include "options/frame/library.h"
#include "options/resources/resource_ids.h"

namespace tolvar {

namespace {

bool IsLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != FALSE;
}

} // namespace

void OptionsDialog::SetupColumns()
{
    ListView_SetExtendedListViewStyleEx(listView, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    RECT client;
    GetClientRect(listView, &client);
    int widths[kKeyListColumnCount];
    ComputeColumnWidths(client.right, widths);
    columnRoomWidth = client.right;
    for (int i = 0; i < kKeyListColumnCount; ++i) {
        char title[129] = "";
        LoadStringA(ModuleInstance(), IDS_COLUMN_KEY + i, title, sizeof title);
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
        column.fmt = LVCFMT_LEFT;
        column.cx = widths[i];
        column.pszText = title;
        SendMessageA(listView, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
}

KeyIconPair *OptionsDialog::FindIconPair(int32_t keyCode) const
{
    for (size_t i = 0; i < iconPairs.Count(); ++i) {
        KeyIconPair *pair = iconPairs.At(i);
        if (pair && pair->keyCode == keyCode)
            return pair;
    }
    return nullptr;
}

void OptionsDialog::FillRows()
{
    // The images are added afresh for the rows being filled, so the image list
    // never holds more than two images per row however often rows are rebuilt.
    if (imageList)
        ImageList_RemoveAll(imageList);
    // Room for every row at once, and no redrawing or scroll-bar updates per
    // inserted row: a long list fills in one pass and is painted once.
    SendMessageA(listView, WM_SETREDRAW, FALSE, 0);
    ListView_SetItemCount(listView, static_cast<int>(keyItems.Count()));
    for (size_t i = 0; i < keyItems.Count(); ++i) {
        KeyItem *item = keyItems[i];
        LVITEMA row = {};
        row.mask = LVIF_TEXT | LVIF_PARAM;
        row.iItem = static_cast<int>(i);
        row.pszText = item->keyName;
        row.lParam = reinterpret_cast<LPARAM>(item);
        SendMessageA(listView, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row));

        KeyIconPair *pair = FindIconPair(item->keyCode);
        if (pair && imageList) {
            pair->onImageIndex = pair->onIcon ? ImageList_AddIcon(imageList, pair->onIcon) : -1;
            pair->offImageIndex = pair->offIcon ? ImageList_AddIcon(imageList, pair->offIcon) : -1;
        }
    }
    FitColumnsToRows();
    SendMessageA(listView, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(listView, nullptr, TRUE);
}

void OptionsDialog::FitColumnsToRows()
{
    // The client area as it is without scroll bars: the list shows or hides
    // them only when it redraws again.
    RECT client;
    if (!GetClientRect(listView, &client))
        return;
    const LONG style = GetWindowLongA(listView, GWL_STYLE);
    const int bareWidth = client.right + (style & WS_VSCROLL ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    const int bareHeight = client.bottom + (style & WS_HSCROLL ? GetSystemMetrics(SM_CYHSCROLL) : 0);
    RECT header = {};
    GetWindowRect(GetWindow(listView, GW_CHILD), &header);
    RECT row = {};
    row.left = LVIR_BOUNDS;
    const int rows = ListView_GetItemCount(listView);
    if (rows > 0 && !SendMessageA(listView, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row)))
        return;
    const int room = ColumnRoomWidth(bareWidth, bareHeight, header.bottom - header.top,
                                     row.bottom - row.top, rows, GetSystemMetrics(SM_CXVSCROLL));
    // Widths are set anew only when the room changes, so that a column the
    // user has widened keeps its width while rows come and go.
    if (room == columnRoomWidth)
        return;
    columnRoomWidth = room;
    int widths[kKeyListColumnCount];
    ComputeColumnWidths(room, widths);
    for (int i = 0; i < kKeyListColumnCount; ++i)
        ListView_SetColumnWidth(listView, i, widths[i]);
}

void OptionsDialog::RefillAndSelect(int index)
{
    ListView_DeleteAllItems(listView);
    FillRows();
    if (index >= 0) {
        ListView_SetItemState(listView, index, LVIS_FOCUSED | LVIS_SELECTED,
                              LVIS_FOCUSED | LVIS_SELECTED);
        ListView_EnsureVisible(listView, index, FALSE);
    }
    // Without a selected row no change notification arrives, and the fields
    // would go on showing the rows that were just rebuilt.
    RefreshControls();
}

KeyItem *OptionsDialog::CurrentItem(int *index)
{
    if (index)
        *index = -1;
    if (!listView)
        return nullptr;
    int row = ListView_GetNextItem(listView, -1, LVNI_FOCUSED);
    if (row < 0)
        return nullptr;
    LVITEMA query = {};
    query.mask = LVIF_PARAM;
    query.iItem = row;
    if (!SendMessageA(listView, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query)))
        return nullptr;
    KeyItem *item = reinterpret_cast<KeyItem *>(query.lParam);
    // A row always shows the item at its own index.
    if (!item || keyItems.At(static_cast<size_t>(row)) != item)
        return nullptr;
    if (index)
        *index = row;
    return item;
}

const char *OptionsDialog::CellText(const KeyItem *item, bool on, bool sound) const
{
    CellTexts texts = {textNotApplicable, textDefault};
    return CellTextFor(*item, on, sound, texts, IsLeadByte);
}

void OptionsDialog::DrawRow(const DRAWITEMSTRUCT *record)
{
    const bool selected = (record->itemState & ODS_SELECTED) != 0;
    HBRUSH background = GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    const COLORREF textColour = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    HDC dc = record->hDC;

    FillRect(dc, &record->rcItem, background);
    const COLORREF oldText = SetTextColor(dc, textColour);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    if (record->itemState & ODS_FOCUS)
        DrawFocusRect(dc, &record->rcItem);

    const KeyItem *item = reinterpret_cast<const KeyItem *>(record->itemData);
    if (item && keyItems.IndexOf(item) >= 0) {
        const KeyIconPair *pair = FindIconPair(item->keyCode);
        const int onImage = pair ? pair->onImageIndex : -1;
        const int offImage = pair ? pair->offImageIndex : -1;
        const COLORREF missing = RGB(255, 0, 0);

        // Only the file columns lose their extension: a key name may end in
        // a full stop of its own.
        DrawCell(record, 0, item->keyName, false, -1, background);
        SetTextColor(dc, pair && pair->onIconMissing ? missing : textColour);
        DrawCell(record, 1, CellText(item, true, false), true, onImage, background);
        SetTextColor(dc, pair && pair->offIconMissing ? missing : textColour);
        DrawCell(record, 2, CellText(item, false, false), true, offImage, background);
        SetTextColor(dc, textColour);
        DrawCell(record, 3, CellText(item, true, true), true, -1, background);
        DrawCell(record, 4, CellText(item, false, true), true, -1, background);
        DrawCell(record, 5, item->active ? textOn : textOff, false, -1, background);
    }
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldText);
}

void OptionsDialog::DrawCell(const DRAWITEMSTRUCT *record, int column, const char *text,
                             bool cutExtension, int imageIndex, HBRUSH background)
{
    const int length = static_cast<int>(cutExtension ? LengthBeforeLastDot(text, IsLeadByte)
                                                     : std::strlen(text));
    // The cell lies where the list has the row's sub-item, which follows
    // any scrolling (the header's own item rectangles do not).
    RECT cell = {};
    cell.top = column;
    cell.left = LVIR_BOUNDS;
    if (!SendMessageA(listView, LVM_GETSUBITEMRECT, record->itemID,
                      reinterpret_cast<LPARAM>(&cell)))
        return;
    // Sub-item 0's bounds are the whole row's: keep its own column's width.
    cell.right = cell.left + ListView_GetColumnWidth(listView, column);
    cell.top = record->rcItem.top;
    cell.bottom = record->rcItem.bottom;
    FillRect(record->hDC, &cell, background);
    const int edge = GetSystemMetrics(SM_CXEDGE);
    int x = cell.left;
    if (imageIndex >= 0) {
        ImageList_Draw(imageList, imageIndex, record->hDC, cell.left + edge, cell.top + 1,
                       ILD_TRANSPARENT);
        x = cell.left + smallIconWidth;
    }
    cell.left = x + 3 * edge;
    // Drawn as it is: an ampersand in a name is no mnemonic.
    DrawTextA(record->hDC, text, length, &cell, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void OptionsDialog::ToggleActive(int commandId)
{
    if (refilling || commandId != IDC_ACTIVE)
        return;
    refilling = true;
    int index = -1;
    KeyItem *item = CurrentItem(&index);
    if (item) {
        const bool active = IsDlgButtonChecked(window, IDC_ACTIVE) == BST_CHECKED;
        item->active = active ? 1 : 0;
        LVITEMA cell = {};
        cell.iSubItem = 5;
        cell.pszText = active ? textOn : textOff;
        SendMessageA(listView, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&cell));
        // The list does not repaint a cell set to the text it already has.
        ListView_RedrawItems(listView, index, index);
    }
    refilling = false;
    SetDirty(true);
}

} // namespace tolvar
