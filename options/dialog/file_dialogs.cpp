// file_dialogs.cpp - the open/save common dialogs of the options library.
// The filter text and the initial folder come from file_filter; this file
// loads the strings and fills the platform's record.
#include "options/dialog/file_dialogs.h"

#include <commdlg.h>

#include <cstring>

#include "common/ansi_path_win32.h"
#include "options/dialog/file_filter.h"
#include "options/frame/library.h"
#include "options/resources/resource_ids.h"

namespace tolvar {

namespace {

// The open-file record in its first, 76-byte form: the platform accepts it
// on every version, and the later members are not wanted.
constexpr DWORD kOpenFileRecordSize = 76;
static_assert(offsetof(OPENFILENAMEA, pvReserved) == kOpenFileRecordSize,
              "the 76-byte record ends where the extension members start");

// OFN_NOCHANGEDIR: left to itself the dialog makes the folder the user
// browsed to the process's current folder, and the host's relative paths
// and its search for DLLs would follow it.
constexpr DWORD kOpenFlags = OFN_ENABLESIZING | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST |
                             OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
constexpr DWORD kSaveFlags = OFN_ENABLESIZING | OFN_NOREADONLYRETURN | OFN_PATHMUSTEXIST |
                             OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR;
static_assert(kOpenFlags == 0x80180C && kSaveFlags == 0x80880E, "dialog flags");

} // namespace

void BuildFileFilter(char *out, UINT typeTextId, const char *extension)
{
    char typeText[kFilterTextChars + 1] = {};
    char allFiles[kFilterTextChars + 1] = {};
    LoadStringA(ModuleInstance(), typeTextId, typeText, sizeof typeText);
    LoadStringA(ModuleInstance(), IDS_ALL_FILES, allFiles, sizeof allFiles);
    ComposeFileFilter(out, typeText, allFiles, extension);
}

bool RunFileDialog(char *path, HWND owner, int length, const char *title, const char *filter,
                   int filterIndex, const char *defaultExtension, const char *folderSuffix,
                   bool open)
{
    char current[264] = {};
    std::strncpy(current, path, 260);
    char module[264] = {};
    ModulePathAnsi(nullptr, module, sizeof module);
    char folder[264] = {};
    if (!InitialFolder(folder, sizeof folder, current, module, folderSuffix))
        folder[0] = 0;  // let the dialog choose

    OPENFILENAMEA record;
    std::memset(&record, 0, sizeof record);
    record.lStructSize = kOpenFileRecordSize;
    record.hwndOwner = owner;
    record.lpstrFilter = filter;
    record.nFilterIndex = static_cast<DWORD>(filterIndex);
    record.lpstrFile = path;
    record.nMaxFile = static_cast<DWORD>(length);
    record.lpstrInitialDir = folder[0] ? folder : nullptr;
    record.lpstrTitle = title;
    record.lpstrDefExt = defaultExtension;
    if (open) {
        record.Flags = kOpenFlags;
        return GetOpenFileNameA(&record) != FALSE;
    }
    record.Flags = kSaveFlags;
    return GetSaveFileNameA(&record) != FALSE;
}

bool PromptMediaFile(char *path, HWND owner, bool sound, int length, const char *title)
{
    const char *extension = sound ? "wav" : "ico";
    char filter[kFileFilterSize];
    BuildFileFilter(filter, sound ? IDS_SOUND_FILES : IDS_ICON_FILES, extension);
    return RunFileDialog(path, owner, length, title, filter, 1, extension,
                         sound ? "\\Sounds\\" : "\\Icons\\", true);
}

bool PromptSchemeFile(char *path, HWND owner, int length, const char *title, bool open)
{
    char filter[kFileFilterSize];
    BuildFileFilter(filter, IDS_SCHEME_FILES, "tvs");
    return RunFileDialog(path, owner, length, title, filter, 1, "tvs", "\\Schemes\\", open);
}

} // namespace tolvar
