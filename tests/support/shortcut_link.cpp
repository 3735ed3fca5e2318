// shortcut_link.cpp - what a shortcut (.lnk) file says.
#include "shortcut_link.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace tolvar_test {

LinkSettings ReadLink(const std::string &path)
{
    LinkSettings settings;
    CoInitialize(nullptr);
    IShellLinkA *link = nullptr;
    IPersistFile *file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void **>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(file->Load(wide, STGM_READ))) {
            settings.loaded = true;
            char text[MAX_PATH] = "";
            link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
            settings.target = text;
            text[0] = '\0';
            link->GetWorkingDirectory(text, MAX_PATH);
            settings.workingFolder = text;
            text[0] = '\0';
            link->GetArguments(text, MAX_PATH);
            settings.arguments = text;
            text[0] = '\0';
            link->GetDescription(text, MAX_PATH);
            settings.description = text;
            link->GetShowCmd(&settings.showCommand);
        }
    }
    if (file)
        file->Release();
    if (link)
        link->Release();
    CoUninitialize();
    return settings;
}

}  // namespace tolvar_test
