// options_dialog.cpp - the options dialog controller: lifetime, message and
// command dispatch, the enable rules, dirty/Apply, the list-editing commands
// and the exchange of the working copy with the host and with scheme files.
#include "options/dialog/options_dialog.h"

#include <cstring>
#include <new>

#include "options/capture/add_key_dialog.h"
#include "options/dialog/control_rules.h"
#include "options/dialog/file_dialogs.h"
#include "options/dialog/item_import.h"
#include "options/frame/dialog_objects.h"
#include "options/frame/key_collection.h"
#include "options/frame/key_icon_pair.h"
#include "options/frame/library.h"
#include "options/resources/resource_ids.h"
#include "options/scheme/scheme_io.h"
#include "options/shell/startup_shortcut.h"

namespace tolvar {

namespace {

void LoadText(UINT id, char *buffer)
{
    if (LoadStringA(ModuleInstance(), id, buffer, 129) <= 0)
        buffer[0] = '\0';
}

bool IsChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void Check(HWND dialog, int id, bool checked)
{
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void Enable(HWND dialog, int id, bool enabled)
{
    EnableWindow(GetDlgItem(dialog, id), enabled ? TRUE : FALSE);
}

} // namespace

OptionsDialog::OptionsDialog()
    : window(nullptr), loadSettings(nullptr), saveSettings(nullptr), hostContext(nullptr),
      module(nullptr), imageList(nullptr), playBitmap(nullptr), playMask(nullptr),
      playDisabledBitmap(nullptr), playDisabledMask(nullptr), listView(nullptr), dirty(false),
      refilling(false), startupChanged(false), smallIconWidth(0), smallIconHeight(0),
      columnRoomWidth(0),
      iconOnEdit(nullptr), iconOffEdit(nullptr), soundOnEdit(nullptr), soundOffEdit(nullptr),
      isNtPlatform(IsNtPlatform())
{
    LoadText(IDS_ON, textOn);
    LoadText(IDS_OFF, textOff);
    LoadText(IDS_NOT_APPLICABLE, textNotApplicable);
    LoadText(IDS_DEFAULT, textDefault);
    smallIconWidth = GetSystemMetrics(SM_CXSMICON);
    smallIconHeight = GetSystemMetrics(SM_CYSMICON);
    imageList = ImageList_Create(smallIconWidth, smallIconHeight, ILC_COLOR32 | ILC_MASK, 0, 0);
    playBitmap = LoadBitmapA(ModuleInstance(), MAKEINTRESOURCEA(IDB_PLAY_GLYPH));
}

OptionsDialog::~OptionsDialog()
{
    ReleaseDerivedBitmaps();
    if (playBitmap)
        DeleteObject(playBitmap);
    ClearItems();
    if (imageList)
        ImageList_Destroy(imageList);
    ReleasePathEdits();
}

void OptionsDialog::ReleaseDerivedBitmaps()
{
    if (playDisabledBitmap)
        DeleteObject(playDisabledBitmap);
    if (playDisabledMask)
        DeleteObject(playDisabledMask);
    if (playMask)
        DeleteObject(playMask);
    playDisabledBitmap = playDisabledMask = playMask = nullptr;
}

void OptionsDialog::ReleasePathEdits()
{
    PathEdit **edits[] = {&iconOnEdit, &iconOffEdit, &soundOnEdit, &soundOffEdit};
    for (PathEdit **edit : edits) {
        delete *edit;
        *edit = nullptr;
    }
}

PathEdit *OptionsDialog::EditForField(int fieldId) const
{
    switch (fieldId) {
    case IDC_ICON_ON_PATH: return iconOnEdit;
    case IDC_ICON_OFF_PATH: return iconOffEdit;
    case IDC_SOUND_ON_PATH: return soundOnEdit;
    case IDC_SOUND_OFF_PATH: return soundOffEdit;
    default: return nullptr;
    }
}

int OptionsDialog::Show(HINSTANCE moduleInstance, HWND parent, void *context,
                        LoadSettingsProc load, SaveSettingsProc save)
{
    InitCommonControls();
    module = moduleInstance;
    hostContext = context;
    loadSettings = load;
    saveSettings = save;
    DialogBoxParamA(moduleInstance, MAKEINTRESOURCEA(IDD_OPTIONS), parent, DialogProc, 0);
    // The window is gone; forget it so that nothing reaches a reused handle.
    window = nullptr;
    return 1;
}

INT_PTR CALLBACK OptionsDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    OptionsDialog *self = GetOptionsDialog();
    return self ? self->HandleMessage(dialog, message, wParam, lParam) : 0;
}

INT_PTR OptionsDialog::HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        OnInitDialog(dialog);
        return TRUE;
    }
    // Messages sent while the dialog is being created, or to a dialog this
    // object no longer runs, are not ours to handle.
    if (dialog != window)
        return 0;
    switch (message) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        const NMHDR *header = reinterpret_cast<const NMHDR *>(lParam);
        if (header && header->code == LVN_ITEMCHANGED)
            RefreshControls();
        return 0;
    }
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT *record = reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
        if (!record)
            return 0;
        if (record->CtlID == IDC_KEY_LIST) {
            DrawRow(record);
            return TRUE;
        }
        if (record->CtlID == IDC_PLAY_SOUND_ON || record->CtlID == IDC_PLAY_SOUND_OFF) {
            DrawPlayButton(record);
            return TRUE;
        }
        return 0;
    }
    case WM_CTLCOLORSTATIC:
        return static_cast<INT_PTR>(
            OnCtlColorStatic(dialog, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    default:
        return 0;
    }
}

void OptionsDialog::OnInitDialog(HWND dialog)
{
    window = dialog;
    // The object outlives each opening: nothing an earlier opening left
    // unapplied (a change then Cancel) carries over, whatever the load below
    // returns.
    dirty = false;
    startupChanged = false;
    CenterWindow(dialog);

    // Shared: the window does not own its icon, and a private copy loaded at
    // every opening would never be destroyed.
    HICON bigIcon = static_cast<HICON>(LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(IDI_TOLVAR),
                                                  IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                  GetSystemMetrics(SM_CYICON), LR_SHARED));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));

    ReleasePathEdits();
    PathEdit **edits[] = {&iconOnEdit, &iconOffEdit, &soundOnEdit, &soundOffEdit};
    const int fieldIds[] = {IDC_ICON_ON_PATH, IDC_ICON_OFF_PATH, IDC_SOUND_ON_PATH,
                            IDC_SOUND_OFF_PATH};
    for (int i = 0; i < 4; ++i) {
        PathEdit *edit = new (std::nothrow) PathEdit();
        *edits[i] = edit;
        if (!edit)
            continue;
        edit->owner = this;
        edit->Attach(GetDlgItem(dialog, fieldIds[i]));
        if (edit->editWindow)
            SendMessageA(edit->editWindow, EM_SETREADONLY, 1, 0);
        edit->browseButtonId = fieldIds[i] + 4;
    }

    listView = GetDlgItem(dialog, IDC_KEY_LIST);
    SetupColumns();
    ListView_SetImageList(listView, imageList, LVSIL_SMALL);

    LoadFromHost();
    RefreshControls();
    ListView_SetItemState(listView, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    Enable(dialog, IDC_APPLY, false);

    ReleaseDerivedBitmaps();
    if (playBitmap) {
        playMask = CreateMaskBitmap(playBitmap);
        playDisabledBitmap = CreateDisabledBitmap(playBitmap);
        if (playDisabledBitmap)
            playDisabledMask = CreateMaskBitmap(playDisabledBitmap);
    }
}

void OptionsDialog::OnCommand(int id, int code)
{
    switch (id) {
    case IDCANCEL:
        EndDialog(window, IDCANCEL);
        break;
    case IDC_LOAD_SCHEME:
        LoadScheme();
        break;
    case IDC_SAVE_SCHEME:
        SaveScheme();
        break;
    case IDC_ADD_TO_STARTUP:
        startupChanged = true;
        SetDirty(true);
        RefreshControls();
        break;
    case IDC_SILENT:
    case IDC_BEEP_ONLY:
    case IDC_NUM_LOCK_ON:
        SetDirty(true);
        RefreshControls();
        break;
    case IDC_ICON_ON_PATH:
    case IDC_ICON_OFF_PATH:
    case IDC_SOUND_ON_PATH:
    case IDC_SOUND_OFF_PATH:
        if (code == EN_CHANGE)
            OnPathFieldChanged(id);
        break;
    case IDC_BROWSE_ICON_ON:
    case IDC_BROWSE_ICON_OFF:
    case IDC_BROWSE_SOUND_ON:
    case IDC_BROWSE_SOUND_OFF:
        BrowsePath(id);
        break;
    case IDC_PLAY_SOUND_ON:
        PlayPreview(true);
        break;
    case IDC_PLAY_SOUND_OFF:
        PlayPreview(false);
        break;
    case IDC_ACTIVE:
        ToggleActive(id);
        break;
    case IDC_MOVE_UP:
        MoveItem(true);
        break;
    case IDC_MOVE_DOWN:
        MoveItem(false);
        break;
    case IDC_OK:
        if (Apply())
            EndDialog(window, IDC_OK);
        break;
    case IDC_CANCEL:
        EndDialog(window, IDC_CANCEL);
        break;
    case IDC_APPLY:
        Apply();
        break;
    case IDC_DELETE:
        DeleteItem();
        break;
    case IDC_HELP_BUTTON:
        ShowHelp();
        break;
    case IDC_ADD_NEW:
        AddItem();
        break;
    default:
        break;
    }
}

void OptionsDialog::SetDirty(bool value)
{
    if (value == dirty)
        return;
    dirty = value;
    if (window)
        Enable(window, IDC_APPLY, value);
}

void OptionsDialog::RefreshControls()
{
    if (refilling || !window)
        return;
    refilling = true;

    int index = -1;
    KeyItem *item = CurrentItem(&index);
    const int count = static_cast<int>(keyItems.Count());

    SetDlgItemTextA(window, IDC_ICON_ON_PATH, item ? item->iconOnPath : "");
    SetDlgItemTextA(window, IDC_ICON_OFF_PATH, item ? item->iconOffPath : "");
    SetDlgItemTextA(window, IDC_SOUND_ON_PATH, item ? item->soundOnPath : "");
    SetDlgItemTextA(window, IDC_SOUND_OFF_PATH, item ? item->soundOffPath : "");
    Check(window, IDC_ACTIVE, item && item->active != 0);

    RowFacts facts;
    facts.hasItem = item != nullptr;
    facts.index = index;
    facts.count = count;
    facts.hasIcon = item && item->hasIcon != 0;
    const KeyItem *next = item ? keyItems.At(static_cast<size_t>(index) + 1) : nullptr;
    facts.nextHasIcon = next && next->hasIcon != 0;
    facts.hasOffState = item && item->hasOffState != 0;
    facts.isNtPlatform = isNtPlatform;
    const ControlStates s = ComputeControlStates(facts);

    Enable(window, IDC_NUM_LOCK_ON, s.numLockOn);
    Enable(window, IDC_ICON_ON_PATH, s.iconFields);
    Enable(window, IDC_ICON_OFF_PATH, s.iconFields);
    Enable(window, IDC_BROWSE_ICON_ON, s.iconFields);
    Enable(window, IDC_BROWSE_ICON_OFF, s.iconFields);
    Enable(window, IDC_SOUND_ON_PATH, s.soundOn);
    Enable(window, IDC_BROWSE_SOUND_ON, s.soundOn);
    Enable(window, IDC_PLAY_SOUND_ON, s.soundOn);
    Enable(window, IDC_SOUND_OFF_PATH, s.soundOff);
    Enable(window, IDC_BROWSE_SOUND_OFF, s.soundOff);
    Enable(window, IDC_PLAY_SOUND_OFF, s.soundOff);
    Enable(window, IDC_ACTIVE, s.active);
    Enable(window, IDC_MOVE_UP, s.moveUp);
    Enable(window, IDC_MOVE_DOWN, s.moveDown);
    Enable(window, IDC_DELETE, s.remove);

    refilling = false;
}

bool OptionsDialog::LoadFromHost()
{
    refilling = true;
    if (listView)
        ListView_DeleteAllItems(listView);
    if (imageList)
        ImageList_RemoveAll(imageList);
    ClearItems();

    bool loaded = false;
    if (loadSettings) {
        KeyCollection collection;
        if (loadSettings(collection.HostView(), hostContext) != 0)
            loaded = TakeCollection(collection);
    }
    if (!loaded) {
        // Nothing half-taken stays behind an empty list.
        ClearItems();
        refilling = false;
        return false;
    }

    Check(window, IDC_ADD_TO_STARTUP, StartupShortcutExists());
    FillRows();
    refilling = false;
    SetDirty(false);
    return true;
}

bool OptionsDialog::SaveToHost(UINT *failureText)
{
    UINT failure = 0;
    if (!saveSettings) {
        failure = IDS_NO_SAVE_CALLBACK;
    } else {
        KeyCollection collection;
        if (!FillCollection(collection))
            failure = IDS_NEED_VISIBLE_ICON;
        else if (saveSettings(collection.HostView(), hostContext) == 0)
            failure = IDS_HOST_REFUSED_SETTINGS;
    }
    if (failureText)
        *failureText = failure;
    return failure == 0;
}

bool OptionsDialog::Apply()
{
    if (!dirty)
        return true;
    UINT failure = 0;
    if (!SaveToHost(&failure)) {
        ShowWarning(window, failure);
        return false;
    }
    SetDirty(false);
    ApplyStartup();
    return true;
}

void OptionsDialog::ApplyStartup()
{
    if (!startupChanged)
        return;
    if (IsChecked(window, IDC_ADD_TO_STARTUP))
        CreateStartupShortcut();
    else
        DeleteStartupShortcut();
    startupChanged = false;
}

void OptionsDialog::MoveItem(bool up)
{
    int index = -1;
    if (!CurrentItem(&index))
        return;
    auto hasIconAt = [this](int i) {
        const KeyItem *item = keyItems.At(static_cast<size_t>(i));
        return item && item->hasIcon != 0;
    };
    int target = MoveTarget(index, static_cast<int>(keyItems.Count()), up, hasIconAt);
    if (target < 0)
        return;
    keyItems.Swap(static_cast<size_t>(index), static_cast<size_t>(target));
    RefillAndSelect(target);
    SetDirty(true);
}

void OptionsDialog::DeleteItem()
{
    int index = -1;
    KeyItem *item = CurrentItem(&index);
    if (!item || item->hasOffState != 0)
        return;
    ptrdiff_t position = keyItems.IndexOf(item);
    if (position < 0)
        return;
    keyItems.EraseAt(static_cast<size_t>(position));
    delete item;
    RefillAndSelect(index - 1);
    SetDirty(true);
}

void OptionsDialog::AddItem()
{
    AddKeyDialog dialog;
    if (!dialog.Show(ModuleInstance(), window, &keyItems))
        return;
    int rowsBefore = listView ? ListView_GetItemCount(listView) : 0;
    RefillAndSelect(rowsBefore);
    SetDirty(true);
}

void OptionsDialog::LoadScheme()
{
    char path[TV_PATH_SIZE] = "";
    if (!PromptSchemeFile(path, window, TV_PATH_SIZE - 1, "Open Scheme", true))
        return;
    KeyCollection collection;
    if (!ReadScheme(collection, path)) {
        ShowWarning(window, IDS_SCHEME_LOAD_FAILED);
        return;
    }
    ClearItems();
    bool taken = TakeCollection(collection);
    if (!taken) {
        // The old items are gone already: show what is left, then say so.
        RefillAndSelect(keyItems.Count() ? 0 : -1);
        SetDirty(true);
        ShowWarning(window, IDS_SCHEME_LOAD_FAILED);
        return;
    }
    RefillAndSelect(0);
    SetDirty(true);
}

namespace {

// Writes the scheme under a temporary name beside path and renames it to
// path only once it is complete, so that a failed write leaves neither a
// partial file nor a damaged older one under the chosen name.
bool WriteSchemeWhole(KeyCollection &collection, const char *path)
{
    char folder[TV_PATH_SIZE + 4];
    lstrcpynA(folder, path, sizeof folder);
    char *slash = std::strrchr(folder, '\\');
    if (!slash)
        return false; // the file dialog always gives a full path
    slash[1] = '\0';
    char temporary[MAX_PATH + 16];
    if (!GetTempFileNameA(folder, "tvs", 0, temporary))
        return false;
    if (WriteScheme(collection, temporary) &&
        MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(temporary);
    return false;
}

} // namespace

void OptionsDialog::SaveScheme()
{
    char path[TV_PATH_SIZE] = "";
    if (!PromptSchemeFile(path, window, TV_PATH_SIZE - 1, "Save Scheme As", false))
        return;
    KeyCollection collection;
    if (!FillCollection(collection)) {
        ShowWarning(window, IDS_NEED_VISIBLE_ICON);
        return;
    }
    if (!WriteSchemeWhole(collection, path))
        ShowWarningAbout(window, IDS_SCHEME_WRITE_FAILED, path);
}

void OptionsDialog::ClearItems()
{
    for (size_t i = 0; i < keyItems.Count(); ++i)
        delete keyItems[i];
    keyItems.Clear();
    for (size_t i = 0; i < iconPairs.Count(); ++i)
        delete iconPairs[i];
    iconPairs.Clear();
}

bool OptionsDialog::FillCollection(KeyCollection &target)
{
    KeyCollectionHeader header;
    std::memset(&header, 0, sizeof header);
    header.beepOnly = window && IsChecked(window, IDC_BEEP_ONLY) ? 1 : 0;
    header.silent = window && IsChecked(window, IDC_SILENT) ? 1 : 0;
    header.numLockOn = window && IsChecked(window, IDC_NUM_LOCK_ON) ? 1 : 0;
    header.addToStartup = window && IsChecked(window, IDC_ADD_TO_STARTUP) ? 1 : 0;
    header.itemCount = static_cast<uint32_t>(keyItems.Count());
    target.SetHeader(&header);
    if (!target.GetData())
        return false; // no block: nothing to hand on
    bool visibleIcon = false;
    for (size_t i = 0; i < keyItems.Count(); ++i) {
        const KeyItem *item = keyItems[i];
        target.AppendItem(item);
        if (item->active != 0 && item->hasIcon != 0)
            visibleIcon = true;
    }
    return visibleIcon;
}

bool OptionsDialog::TakeCollection(KeyCollection &source)
{
    const KeyCollectionHeader *header = source.GetData();
    if (!header)
        return false;
    // The header lies in a block that the host (or a scheme) has written:
    // read only items that the block itself holds.
    const char *items = reinterpret_cast<const char *>(header->items);
    const uint64_t itemsOffset = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(items) -
                                                       reinterpret_cast<uintptr_t>(header));
    uint32_t count = 0;
    if (!ImportableItemCount(header->itemCount, items != nullptr, itemsOffset,
                             source.SlotCapacity(), &count))
        return false;

    if (window) {
        Check(window, IDC_BEEP_ONLY, header->beepOnly != 0);
        Check(window, IDC_SILENT, header->silent != 0);
        Check(window, IDC_NUM_LOCK_ON, header->numLockOn != 0);
    }

    for (uint32_t i = 0; i < count; ++i) {
        KeyItem *item = new (std::nothrow) KeyItem();
        if (!item)
            return false;
        CopyImportedItem(item, items + static_cast<size_t>(i) * sizeof(KeyItem));
        if (!keyItems.Append(item)) {
            delete item;
            return false;
        }
        if (item->hasIcon == 0)
            continue;
        KeyIconPair *pair = new (std::nothrow) KeyIconPair();
        if (!pair)
            return false;
        pair->keyCode = item->keyCode;
        pair->onIconMissing = true;
        pair->offIconMissing = true;
        pair->LoadStateIcon(item->iconOnPath, true);
        pair->LoadStateIcon(item->iconOffPath, false);
        if (!iconPairs.Append(pair)) {
            delete pair;
            return false;
        }
    }
    return true;
}

} // namespace tolvar
