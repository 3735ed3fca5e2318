// The Display window's choices: defaults, comparison, dragged places.
#include "host/display/display_settings.h"

#include "common/virtual_keys.h"

namespace tolvar {

const int32_t kLockKeyCodes[kLockKeys] = {kVkCapital, kVkNumLock, kVkScroll};

int LockKeyIndex(int32_t keyCode)
{
    for (int i = 0; i < kLockKeys; ++i)
        if (kLockKeyCodes[i] == keyCode)
            return i;
    return -1;
}

bool IsCorner(Anchor anchor)
{
    return anchor == Anchor::kTopLeft || anchor == Anchor::kTopRight || anchor == Anchor::kBottomLeft ||
           anchor == Anchor::kBottomRight;
}

bool DisplaySettings::operator==(const DisplaySettings &o) const
{
    for (int i = 0; i < kLockKeys; ++i)
        if (stays[i] != o.stays[i])
            return false;
    return monitor == o.monitor && anchor == o.anchor && offsetXPercent == o.offsetXPercent &&
           offsetYPercent == o.offsetYPercent && dragged == o.dragged && places == o.places &&
           untilNextKey == o.untilNextKey && size == o.size && opacityPercent == o.opacityPercent &&
           theme == o.theme && fade == o.fade && hideInFullScreen == o.hideInFullScreen &&
           announce == o.announce && splash == o.splash && stackCorner == o.stackCorner;
}

const DraggedPlace *FindPlace(const DisplaySettings &settings, const std::string &layout)
{
    for (const DraggedPlace &place : settings.places)
        if (place.layout == layout)
            return &place;
    return nullptr;
}

void KeepPlace(DisplaySettings *settings, const DraggedPlace &place)
{
    std::vector<DraggedPlace> kept = {place};
    for (const DraggedPlace &old : settings->places)
        if (old.layout != place.layout && kept.size() < kMaxPlaces)
            kept.push_back(old);
    settings->places = kept;
}

}  // namespace tolvar
