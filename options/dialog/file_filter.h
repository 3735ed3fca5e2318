// file_filter.h - the text behind the file dialogs: the filter list of
// display texts and patterns, and the initial folder. Platform-free.
#ifndef TOLVAR_DIALOG_FILE_FILTER_H
#define TOLVAR_DIALOG_FILE_FILTER_H

#include <cstddef>

namespace tolvar {

constexpr size_t kFileFilterSize = 264;   // the filter list's work buffer
constexpr size_t kFilterTextChars = 127;  // a type text or "All Files" text, at most

// Writes "<typeText with its %s replaced by extension>\0*.<extension>\0
// <allFilesText>\0*.*\0\0" into out (kFileFilterSize bytes). Each text is
// taken up to kFilterTextChars characters; only the first "%s" of typeText is
// replaced and no other "%" sequence is interpreted. Whatever does not fit is
// cut so that the list always ends with its two NULs. Returns the list's
// length including the final NUL.
size_t ComposeFileFilter(char *out, const char *typeText, const char *allFilesText,
                         const char *extension);

// The folder a file dialog starts in, written into out (outSize bytes): the
// current path up to (not including) its last backslash when it has one;
// otherwise the host executable's path up to its last backslash followed by
// folderSuffix (such as "\\Icons\\"). False when the result does not fit.
bool InitialFolder(char *out, size_t outSize, const char *currentPath, const char *modulePath,
                   const char *folderSuffix);

} // namespace tolvar

#endif // TOLVAR_DIALOG_FILE_FILTER_H
