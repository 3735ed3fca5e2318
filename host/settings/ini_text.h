/*
 * ini_text.h - the text of a profile (".ini") file, read and written in one
 * piece instead of through the platform's profile API.
 *
 * The profile API parses the whole file again for every value it is asked
 * for, and rewrites the whole file for every section it writes: for a file
 * of many keys that is thousands of passes over it, at every start and every
 * save. It also takes a UTF-8 byte-order mark for part of the first line, so
 * a file that an editor saved "as UTF-8 with BOM" loses its first section.
 * Here the file is parsed once, with the profile API's rules for what a line
 * means, and the settings are written as one text.
 *
 * Platform-free: the caller turns the file's bytes into text of the ANSI
 * code page (TextEncodingOf tells how they are encoded).
 */
#ifndef TOLVAR_HOST_INI_TEXT_H
#define TOLVAR_HOST_INI_TEXT_H

#include <stddef.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tolvar {

// One value of a profile file, as the profile API reads it: quotes around a
// value already stripped, blanks around it trimmed.
class ProfileReader {
public:
    virtual ~ProfileReader() {}
    // False when the section or the key does not exist.
    virtual bool Read(const std::string &section, const std::string &key,
                      std::string *value) const = 0;
};

// A section as written in one go: its lines "key=value", in order.
struct ProfileSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;
};

// How a file's bytes are encoded, by its byte-order mark; no mark: the ANSI
// code page, as the profile API takes such a file.
enum class TextEncoding { kAnsi, kUtf8, kUtf16Le, kUtf16Be };
// The encoding, and in *markLength the bytes of the mark to skip.
TextEncoding TextEncodingOf(const std::string &bytes, size_t *markLength);

// The values of a profile file, as the profile API reads them:
//   - lines end at CR, LF or NUL; blanks (space, tab) around a line are
//     ignored, and so are empty lines and lines starting with ';';
//   - "[name]" starts a section (the name runs to the last ']', or to the
//     end of the line when there is none), blanks around the name ignored;
//   - "key=value" lines before any section belong to none and are ignored;
//     blanks around the key and the value are trimmed, then one pair of
//     matching double or single quotes around the value is removed; a line
//     without '=' is a key with an empty value;
//   - section and key names compare without regard to ASCII case, and the
//     first occurrence of a key in a section of that name counts.
class IniText : public ProfileReader {
public:
    explicit IniText(const std::string &text);
    bool Read(const std::string &section, const std::string &key, std::string *value) const override;

private:
    std::map<std::string, std::map<std::string, std::string>> sections_;  // by lower-case names
};

// Sections as lines "[name]" and "key=value", each ending in CR LF, with an
// empty line between sections.
std::string FormatIni(const std::vector<ProfileSection> &sections);

}  // namespace tolvar

#endif  // TOLVAR_HOST_INI_TEXT_H
