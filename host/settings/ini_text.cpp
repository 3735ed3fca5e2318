// Profile files parsed once, and written in one piece.
#include "host/settings/ini_text.h"

namespace tolvar {

namespace {

std::string Lower(const std::string &text)
{
    std::string out = text;
    for (char &ch : out)
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    return out;
}

std::string Trim(const std::string &text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string Unquoted(const std::string &value)
{
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

bool StartsWith(const std::string &bytes, const char *mark, size_t length)
{
    return bytes.size() >= length && bytes.compare(0, length, mark, length) == 0;
}

}  // namespace

TextEncoding TextEncodingOf(const std::string &bytes, size_t *markLength)
{
    if (StartsWith(bytes, "\xEF\xBB\xBF", 3)) {
        *markLength = 3;
        return TextEncoding::kUtf8;
    }
    if (StartsWith(bytes, "\xFF\xFE", 2)) {
        *markLength = 2;
        return TextEncoding::kUtf16Le;
    }
    if (StartsWith(bytes, "\xFE\xFF", 2)) {
        *markLength = 2;
        return TextEncoding::kUtf16Be;
    }
    *markLength = 0;
    return TextEncoding::kAnsi;
}

IniText::IniText(const std::string &text)
{
    std::map<std::string, std::string> *section = nullptr;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(std::string("\r\n\0", 3), start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            const size_t close = line.rfind(']');
            const size_t nameEnd = close == std::string::npos ? line.size() : close;
            section = &sections_[Lower(Trim(line.substr(1, nameEnd - 1)))];
            continue;
        }
        if (!section)
            continue;
        const size_t equals = line.find('=');
        const std::string key = Lower(Trim(line.substr(0, equals)));
        const std::string value =
            equals == std::string::npos ? std::string() : Unquoted(Trim(line.substr(equals + 1)));
        section->insert({key, value});  // an earlier line of the same key stays
    }
}

bool IniText::Read(const std::string &section, const std::string &key, std::string *value) const
{
    const auto s = sections_.find(Lower(section));
    if (s == sections_.end())
        return false;
    const auto v = s->second.find(Lower(key));
    if (v == s->second.end())
        return false;
    *value = v->second;
    return true;
}

std::string FormatIni(const std::vector<ProfileSection> &sections)
{
    std::string text;
    for (const ProfileSection &section : sections) {
        if (!text.empty())
            text += "\r\n";
        text += "[" + section.name + "]\r\n";
        for (const auto &v : section.values)
            text += v.first + "=" + v.second + "\r\n";
    }
    return text;
}

}  // namespace tolvar
