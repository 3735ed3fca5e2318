// options_dialog.h - the options dialog controller (dialog 106).
//
// One object per loaded options library. It keeps a working copy of the
// host's configuration while the dialog is open: the ordered key list
// (keyItems, each row of the list view shows keyItems[i]), the loaded icons
// of the icon items (iconPairs) and the four switches in their checkboxes.
// The copy comes from the host's load callback at each opening and goes back
// through the save callback on Apply/OK.
//
// The object outlives each opening of the dialog; the dialog procedure
// reaches it through GetOptionsDialog() (dialog_objects.h).
#ifndef TOLVAR_DIALOG_OPTIONS_DIALOG_H
#define TOLVAR_DIALOG_OPTIONS_DIALOG_H

#include <windows.h>
#include <commctrl.h>

#include "include/tolvar/tolvar_host.h"
#include "options/dialog/control_rules.h"
#include "options/dialog/path_edit.h"
#include "options/frame/pointer_array.h"

namespace tolvar {

class KeyCollection;
class KeyIconPair;

class OptionsDialog : public PathEditOwner {
public:
    OptionsDialog();
    virtual ~OptionsDialog();
    OptionsDialog(const OptionsDialog &) = delete;
    OptionsDialog &operator=(const OptionsDialog &) = delete;

    // Runs dialog 106 of `module` modally over `parent`; returns 1 when it
    // has closed, whatever the outcome.
    int Show(HINSTANCE module, HWND parent, void *hostContext,
             LoadSettingsProc loadSettings, SaveSettingsProc saveSettings);

    // The dialog procedure; forwards to the singleton's HandleMessage.
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    // ---- controller ----
    void OnInitDialog(HWND dialog);
    void OnCommand(int id, int code);
    void SetDirty(bool value);
    void RefreshControls();
    bool LoadFromHost();
    // False when the settings did not reach the host; failureText (optional)
    // then receives the string id of the warning that names the cause.
    bool SaveToHost(UINT *failureText = nullptr);
    bool Apply();
    void ApplyStartup();
    void MoveItem(bool up);
    void DeleteItem();
    void AddItem();
    void LoadScheme();
    void SaveScheme();

    // ---- conversions between the working copy and a KeyCollection ----
    void ClearItems();
    // Writes the switches and every item; true when at least one item is
    // both active and an icon item.
    bool FillCollection(KeyCollection &target);
    // Appends copies of the collection's items (and icon pairs for icon
    // items) and sets checkboxes 1006, 1007, 1009; false when the collection
    // holds no data or its header is inconsistent.
    bool TakeCollection(KeyCollection &source);

    // ---- key list ----
    void SetupColumns();
    void FillRows();
    // Sets the column widths to fill the list beside the vertical scroll bar
    // when the rows need one, and across the whole list when they do not.
    void FitColumnsToRows();
    void RefillAndSelect(int index);
    // The focused row's item (and its index through `index`), or null.
    KeyItem *CurrentItem(int *index = nullptr);
    // The text of an icon or sound cell of `item`.
    const char *CellText(const KeyItem *item, bool on, bool sound) const;
    void DrawRow(const DRAWITEMSTRUCT *record);
    // One cell of the row being drawn; cutExtension drops everything from
    // the text's last "." (file columns).
    void DrawCell(const DRAWITEMSTRUCT *record, int column, const char *text, bool cutExtension,
                  int imageIndex, HBRUSH background);
    void ToggleActive(int commandId);
    // The first pair whose keyCode equals keyCode, or null.
    KeyIconPair *FindIconPair(int32_t keyCode) const;

    // ---- item editor fields ----
    // The field id of a browse button (and its title into `title`, 261
    // bytes), or -1 for any other id (title untouched).
    int GetBrowseTitle(int buttonId, char *title) const;
    void BrowsePath(int buttonId);
    static bool IsSoundSizeAcceptable(const char *path);
    // Opens the file for its size only: accepted, or why it is refused.
    static SoundCheck CheckSoundFile(const char *path);
    void OnPathFieldChanged(int fieldId);
    void PlayPreview(bool on);
    static void ReleaseIcon(HICON *slot);

    // ---- path edit owner ----
    void OnEditRButtonDown(PathEdit *edit, WPARAM wParam, LPARAM lParam, bool &handled) override;
    void OnEditKeyDown(PathEdit *edit, WPARAM wParam, LPARAM lParam, bool &handled) override;
    void OnEditCommand(PathEdit *edit, WPARAM wParam, LPARAM lParam, bool &handled) override;

    // ---- owner-drawn play buttons and field colours ----
    void DrawPlayButton(const DRAWITEMSTRUCT *record);
    LRESULT OnCtlColorStatic(HWND dialog, HDC dc, HWND control);
    static HBITMAP CreateMaskBitmap(HBITMAP bitmap);
    static HBITMAP CreateDisabledBitmap(HBITMAP bitmap);
    static void DrawTransparentBitmap(HDC dc, HBITMAP bitmap, HBITMAP mask, int x, int y,
                                      int width, int height);

    // ---- state ----
    HWND window;                      // null until the first initialisation
    LoadSettingsProc loadSettings;    // may be null
    SaveSettingsProc saveSettings;    // may be null
    void *hostContext;
    HINSTANCE module;                 // the options library (set by Show)
    PointerArray<KeyItem> keyItems;   // owned, list order
    PointerArray<KeyIconPair> iconPairs; // owned, one per icon item
    HIMAGELIST imageList;
    HBITMAP playBitmap;
    HBITMAP playMask;
    HBITMAP playDisabledBitmap;
    HBITMAP playDisabledMask;
    HWND listView;
    char textNotApplicable[129];
    char textDefault[129];
    char textOn[129];
    char textOff[129];
    bool dirty;
    bool refilling;
    bool startupChanged;
    int smallIconWidth;
    int smallIconHeight;
    int columnRoomWidth;              // the width the columns were last fitted to
    PathEdit *iconOnEdit;
    PathEdit *iconOffEdit;
    PathEdit *soundOnEdit;
    PathEdit *soundOffEdit;
    bool isNtPlatform;                // the platform as found at construction

private:
    void ReleasePathEdits();
    void ReleaseDerivedBitmaps();
    PathEdit *EditForField(int fieldId) const;
};

} // namespace tolvar

#endif // TOLVAR_DIALOG_OPTIONS_DIALOG_H
