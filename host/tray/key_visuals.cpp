// Icons of the watched keys.
#include "host/tray/key_visuals.h"

#include "host/display/indication.h"
#include "host/settings/media_path.h"
#include "host/app/program_paths.h"

namespace tolvar {

namespace {

HICON LoadSized(HINSTANCE module, const char *name, int size, UINT flags)
{
    return static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, size, size, flags));
}

void Release(HICON *icon)
{
    if (*icon)
        DestroyIcon(*icon);
    *icon = nullptr;
}

StateVisual LoadVisual(const IconChoice &choice, HINSTANCE program, const std::string &folder)
{
    StateVisual v;
    const int small = GetSystemMetrics(SM_CXSMICON);
    const int large = GetSystemMetrics(SM_CXICON);
    const std::string file = ResolveMediaPath(choice.file, folder);
    if (!file.empty()) {
        v.small = LoadSized(nullptr, file.c_str(), small, LR_LOADFROMFILE);
        v.large = LoadSized(nullptr, file.c_str(), large, LR_LOADFROMFILE);
        if (v.small && v.large) {
            v.shown = file;
            return v;
        }
        // Not an icon after all: the key's default, as the options dialog shows.
        Release(&v.small);
        Release(&v.large);
    }
    if (choice.resourceId) {
        v.small = LoadSized(program, MAKEINTRESOURCEA(choice.resourceId), small, 0);
        v.large = LoadSized(program, MAKEINTRESOURCEA(choice.resourceId), large, 0);
    }
    v.shown = v.small ? ResourceText(choice.resourceId) : "none";
    return v;
}

}  // namespace

void KeyVisuals::Build(const Settings &settings, HINSTANCE program)
{
    Clear();
    none_.shown = "none";
    const std::string folder = ProgramFolder();
    for (const KeySetting &key : settings.keys) {
        visuals_.push_back(LoadVisual(ChooseIcon(key, false), program, folder));
        visuals_.push_back(LoadVisual(ChooseIcon(key, true), program, folder));
    }
}

const StateVisual &KeyVisuals::Get(size_t key, bool on) const
{
    const size_t index = key * 2 + (on ? 1 : 0);
    return index < visuals_.size() ? visuals_[index] : none_;
}

void KeyVisuals::Clear()
{
    for (StateVisual &v : visuals_) {
        Release(&v.small);
        Release(&v.large);
    }
    visuals_.clear();
}

}  // namespace tolvar
