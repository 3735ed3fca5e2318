// Reading Tolvar.ini at start: the settings file and the new file of a save
// that did not finish, each read once, then taken, or kept aside.
#include "host/settings/settings_file.h"

#include <stdlib.h>
#include <windows.h>

#include <vector>

#include "host/settings/ini_text.h"
#include "host/settings/settings_ini.h"
#include "host/app/system_message.h"

namespace tolvar {

namespace {

// Larger than any settings file: a thousand keys with a name and four full
// paths each come to about 1.5 MB.
const LONGLONG kMaxFileBytes = 8 * 1024 * 1024;

// A file as found at start.
struct Found {
    enum Kind { kNone, kReadable, kUnreadable } kind = kNone;
    Settings settings;         // kReadable
    std::string problem;       // kUnreadable: why
    bool endsAsSaved = false;  // kReadable: a save wrote it to its end
    size_t keysLeftOut = 0;    // kReadable: keys beyond those the program keeps
    bool lettersLost = false;  // kReadable: letters the code page lacks read as '?'
};

bool ReadWholeFile(const std::string &path, std::string *bytes, std::string *problem)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *problem = SystemMessage(GetLastError());
        return false;
    }
    LARGE_INTEGER size = {};
    bool ok = GetFileSizeEx(file, &size) != 0;
    if (!ok) {
        *problem = SystemMessage(GetLastError());
    } else if (size.QuadPart > kMaxFileBytes) {
        *problem = "the file is larger than any settings file";
        ok = false;
    } else {
        bytes->resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = bytes->empty() ||
             (ReadFile(file, &(*bytes)[0], static_cast<DWORD>(bytes->size()), &read, nullptr) &&
              read == bytes->size());
        if (!ok)
            *problem = "the file could not be read to its end";
    }
    CloseHandle(file);
    return ok;
}

// The code page of the system's "A" calls, whatever the process's is.
UINT SystemCodePage()
{
    char number[8] = "";
    GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, number, sizeof number);
    const UINT page = static_cast<UINT>(strtoul(number, nullptr, 10));
    return page ? page : CP_ACP;
}

bool IsUtf8(const std::string &bytes)
{
    return bytes.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                                static_cast<int>(bytes.size()), nullptr, 0) > 0;
}

// The text in the process's ANSI code page, which the program's texts and
// paths use (UTF-8 where the manifest's code page is honoured). A file
// marked as UTF-8 or UTF-16 (as editors save it) is converted; so is, in a
// UTF-8 process, a file without a mark that is not UTF-8: one that an
// earlier version saved in the system's code page. A letter that the code
// page lacks becomes '?'.
bool ToAnsiText(const std::string &bytes, std::string *text, bool *lettersLost, std::string *problem)
{
    size_t mark = 0;
    const TextEncoding encoding = TextEncodingOf(bytes, &mark);
    const bool utf8CodePage = GetACP() == CP_UTF8;
    if (encoding == TextEncoding::kAnsi && (!utf8CodePage || IsUtf8(bytes))) {
        *text = bytes;
        return true;
    }
    const char *data = bytes.data() + mark;
    const int length = static_cast<int>(bytes.size() - mark);
    std::wstring wide;
    if (encoding == TextEncoding::kAnsi) {
        const UINT page = SystemCodePage();
        const int n = MultiByteToWideChar(page, 0, data, length, nullptr, 0);
        if (n <= 0) {
            *problem = SystemMessage(GetLastError());
            return false;
        }
        wide.resize(static_cast<size_t>(n));
        MultiByteToWideChar(page, 0, data, length, &wide[0], n);
    } else if (encoding == TextEncoding::kUtf8) {
        const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, data, length, nullptr, 0);
        if (length > 0 && n <= 0) {
            *problem = "the file is marked as UTF-8 but is not";
            return false;
        }
        wide.resize(static_cast<size_t>(n));
        if (n > 0)
            MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, data, length, &wide[0], n);
    } else {
        if (length % 2) {
            *problem = "the file is marked as UTF-16 but is not";
            return false;
        }
        const bool littleEndian = encoding == TextEncoding::kUtf16Le;
        for (int i = 0; i < length; i += 2) {
            const unsigned char first = static_cast<unsigned char>(data[i]);
            const unsigned char second = static_cast<unsigned char>(data[i + 1]);
            wide += static_cast<wchar_t>(littleEndian ? first | second << 8 : second | first << 8);
        }
    }
    text->clear();
    if (wide.empty())
        return true;
    // A code page of UTF-8 takes neither the flag nor the question.
    const DWORD flags = utf8CodePage ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL *askUsedDefault = utf8CodePage ? nullptr : &usedDefault;
    const int wideLength = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(CP_ACP, flags, wide.data(), wideLength, nullptr, 0, nullptr,
                                      askUsedDefault);
    if (n <= 0) {
        *problem = SystemMessage(GetLastError());
        return false;
    }
    text->resize(static_cast<size_t>(n));
    WideCharToMultiByte(CP_ACP, flags, wide.data(), wideLength, &(*text)[0], n, nullptr, askUsedDefault);
    *lettersLost = usedDefault != FALSE;
    return true;
}

Found Examine(const std::string &path)
{
    Found found;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return found;
    }
    found.kind = Found::kUnreadable;
    std::string bytes, text;
    if (!ReadWholeFile(path, &bytes, &found.problem) ||
        !ToAnsiText(bytes, &text, &found.lettersLost, &found.problem) ||
        !SettingsFromProfile(IniText(text), &found.settings, &found.problem, &found.keysLeftOut))
        return found;
    found.kind = Found::kReadable;
    found.endsAsSaved = EndsAsSaved(text);
    return found;
}

// Renames the file to a free name made from namedAfter ("Tolvar.ini") and
// the tag; the new name, or empty when the file could not be renamed.
std::string MoveAside(const std::string &path, const std::string &namedAfter, const char *tag)
{
    for (int attempt = 1; attempt < 100; ++attempt) {
        const std::string aside = AsideName(namedAfter, tag, attempt);
        if (MoveFileA(path.c_str(), aside.c_str()))
            return aside;
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            break;
    }
    return std::string();
}

// The same with a copy, the file staying where it is.
std::string CopyAside(const std::string &path, const std::string &namedAfter, const char *tag)
{
    for (int attempt = 1; attempt < 100; ++attempt) {
        const std::string aside = AsideName(namedAfter, tag, attempt);
        if (CopyFileA(path.c_str(), aside.c_str(), TRUE))
            return aside;
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            break;
    }
    return std::string();
}

const char kNoSaves[] = "Tolvar leaves it as it is and saves no changes until it is restarted.";

}  // namespace

SettingsLoad LoadSettingsFile(const std::string &path, Settings *settings)
{
    SettingsLoad result;
    std::vector<std::string> told;
    const std::string pendingPath = path + ".new";
    const Found file = Examine(path);
    const Found pending = Examine(pendingPath);

    if (file.kind == Found::kUnreadable) {
        // Kept aside under a free name, so that nothing of the user's is lost
        // and the next save does not overwrite it.
        const std::string aside = MoveAside(path, path, "unreadable");
        std::string text = "Tolvar could not read its settings file\n" + path + "\n(" + file.problem + ").";
        if (aside.empty()) {
            result.maySave = false;
            text += "\n\nThe file could not be renamed, so " + std::string(kNoSaves);
        } else {
            text += "\n\nThe file has been kept as\n" + aside;
        }
        told.push_back(text);
    }

    // A save's new file: the settings it was about to make the settings
    // file. Taken only when no readable settings file is there and it was
    // written to its end; else the settings file, the last one a save
    // completed, counts, and the new file is kept aside.
    const Found *used = file.kind == Found::kReadable ? &file : nullptr;
    std::string usedPath = path;
    if (pending.kind != Found::kNone) {
        const bool take = !used && pending.kind == Found::kReadable && pending.endsAsSaved;
        if (take) {
            used = &pending;
            if (!MoveFileA(pendingPath.c_str(), path.c_str())) {
                usedPath = pendingPath;
                result.maySave = false;
                told.push_back("Tolvar took its settings from a save that did not finish,\n" + pendingPath +
                               "\nbut could not rename that file to\n" + path + "\nso " + kNoSaves);
            }
        } else {
            const std::string aside = MoveAside(pendingPath, path, "unfinished");
            std::string text = "Tolvar found the new settings of a save that did not finish,\n" + pendingPath;
            if (pending.kind == Found::kUnreadable)
                text += "\n(" + pending.problem + ")";
            else if (!pending.endsAsSaved)
                text += "\n(the file was not written to its end)";
            if (aside.empty()) {
                result.maySave = false;
                text += ".\n\nThe file could not be renamed, so " + std::string(kNoSaves);
            } else {
                text += "\nand kept them as\n" + aside;
                if (used)
                    text += "\n\nTolvar uses the settings saved before, in\n" + path;
            }
            told.push_back(text);
        }
    }

    if (!used) {
        if (!told.empty())
            told.push_back("Tolvar starts with its default settings.");
    } else {
        *settings = used->settings;
        result.fromFile = true;
        if (used->keysLeftOut > 0 || used->lettersLost) {
            // The next save writes what was read: the file as it was stays
            // beside it.
            std::string text = "Tolvar read its settings file\n" + usedPath + "\nwith a loss:";
            if (used->keysLeftOut > 0)
                text += "\nit names " + std::to_string(kMaxKeys + used->keysLeftOut) + " keys, and Tolvar keeps the first " +
                        std::to_string(kMaxKeys) + ";";
            if (used->lettersLost)
                text += "\nsome letters in it have no place in this system's code page and read as \"?\";";
            const std::string copy = CopyAside(usedPath, path, "original");
            if (copy.empty()) {
                result.maySave = false;
                text += "\n\nno copy of the file could be kept, so " + std::string(kNoSaves);
            } else {
                text += "\n\nthe file as it was has been kept as\n" + copy;
            }
            told.push_back(text);
        }
    }
    for (const std::string &text : told)
        result.notice += (result.notice.empty() ? "" : "\n\n") + text;
    return result;
}

}  // namespace tolvar
