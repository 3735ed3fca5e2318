// file_filter.cpp - filter list and initial folder of the file dialogs.
#include "options/dialog/file_filter.h"

#include <cstring>

namespace tolvar {

namespace {

// Appends text to a NUL-separated list, keeping room for the list's final
// NUL; cuts the text when it does not fit.
class ListWriter {
public:
    ListWriter(char *out, size_t size) : out_(out), size_(size) {}

    // Appends up to limit characters of text, without a terminator.
    void Text(const char *text, size_t limit)
    {
        for (size_t i = 0; i < limit && text[i] && used_ + 2 < size_; ++i)
            out_[used_++] = text[i];
    }
    // Ends the current entry.
    void EndEntry()
    {
        if (used_ + 1 < size_)
            out_[used_++] = 0;
    }
    // Ends the list; returns its length including the final NUL.
    size_t Finish()
    {
        out_[used_++] = 0;
        return used_;
    }

private:
    char *out_;
    size_t size_;
    size_t used_ = 0;
};

} // namespace

size_t ComposeFileFilter(char *out, const char *typeText, const char *allFilesText,
                         const char *extension)
{
    char work[kFileFilterSize];
    ListWriter list(work, sizeof work);

    size_t typeLength = 0;
    while (typeLength < kFilterTextChars && typeText[typeLength])
        ++typeLength;
    const char *placeholder = nullptr;
    for (size_t i = 0; i + 1 < typeLength; ++i)
        if (typeText[i] == '%' && typeText[i + 1] == 's') {
            placeholder = typeText + i;
            break;
        }
    if (placeholder) {
        size_t before = static_cast<size_t>(placeholder - typeText);
        list.Text(typeText, before);
        list.Text(extension, kFilterTextChars);
        list.Text(placeholder + 2, typeLength - before - 2);
    } else {
        list.Text(typeText, typeLength);
    }
    list.EndEntry();
    list.Text("*.", 2);
    list.Text(extension, kFilterTextChars);
    list.EndEntry();
    list.Text(allFilesText, kFilterTextChars);
    list.EndEntry();
    list.Text("*.*", 3);
    list.EndEntry();
    size_t length = list.Finish();
    std::memcpy(out, work, length);
    return length;
}

bool InitialFolder(char *out, size_t outSize, const char *currentPath, const char *modulePath,
                   const char *folderSuffix)
{
    const char *cut = std::strrchr(currentPath, '\\');
    size_t length;
    const char *suffix = "";
    const char *source = currentPath;
    if (cut) {
        length = static_cast<size_t>(cut - currentPath);
    } else {
        cut = std::strrchr(modulePath, '\\');
        if (!cut)
            return false;
        source = modulePath;
        length = static_cast<size_t>(cut - modulePath);
        suffix = folderSuffix;
    }
    size_t suffixLength = std::strlen(suffix);
    if (length + suffixLength + 1 > outSize)
        return false;
    std::memcpy(out, source, length);
    std::memcpy(out + length, suffix, suffixLength + 1);
    return true;
}

} // namespace tolvar
