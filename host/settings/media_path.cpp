// Icon and sound paths of the settings, resolved beside the program.
#include "host/settings/media_path.h"

namespace tolvar {

namespace {

bool IsSeparator(char ch)
{
    return ch == '\\' || ch == '/';
}

bool HasDrive(const std::string &path)
{
    const char letter = static_cast<char>(path.empty() ? 0 : path[0] | 0x20);
    return path.size() >= 2 && letter >= 'a' && letter <= 'z' && path[1] == ':';
}

std::string Upper(std::string text)
{
    for (char &ch : text)
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
    return text;
}

// The system opens these names as devices in any folder and with any
// extension ("C:\Sounds\aux.wav" is the auxiliary device).
bool NamesDevice(const std::string &path)
{
    const size_t slash = path.find_last_of("\\/:");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string stem = Upper(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" ||
        stem == "CONOUT$")
        return true;
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}

// "C:" of "C:\Tools\Tolvar", "\\server\share" of "\\server\share\Tolvar".
std::string RootOf(const std::string &folder)
{
    if (HasDrive(folder))
        return folder.substr(0, 2);
    if (folder.size() > 2 && IsSeparator(folder[0]) && IsSeparator(folder[1])) {
        const size_t server = folder.find_first_of("\\/", 2);
        const size_t share = server == std::string::npos ? server : folder.find_first_of("\\/", server + 1);
        return share == std::string::npos ? folder : folder.substr(0, share);
    }
    return std::string();
}

}  // namespace

std::string ResolveMediaPath(const std::string &path, const std::string &programFolder)
{
    if (path.empty() || NamesDevice(path))
        return std::string();
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        const bool deviceNamespace = path.size() >= 4 && (path[2] == '.' || path[2] == '?') &&
                                     IsSeparator(path[3]);
        return deviceNamespace ? std::string() : path;
    }
    if (HasDrive(path))
        return path.size() > 2 && IsSeparator(path[2]) ? path : std::string();
    if (IsSeparator(path[0]))
        return RootOf(programFolder) + path;
    return programFolder + "\\" + path;
}

}  // namespace tolvar
