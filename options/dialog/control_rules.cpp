// control_rules.cpp - enable rules, sound size rule and the path field table.
#include "options/dialog/control_rules.h"

#include "options/resources/resource_ids.h"

namespace tolvar {

ControlStates ComputeControlStates(const RowFacts &f)
{
    ControlStates s;
    bool iconItem = f.hasItem && f.hasIcon;
    s.iconFields = iconItem;
    s.soundOn = f.hasItem;
    s.soundOff = iconItem;
    s.active = f.hasItem;
    s.moveUp = iconItem && f.index > 0;
    s.moveDown = iconItem && f.index < f.count - 1 && f.nextHasIcon;
    s.remove = f.hasItem && !f.hasOffState;
    s.numLockOn = f.isNtPlatform;
    return s;
}

bool IsSoundSizeWithinLimit(uint32_t sizeHigh, uint32_t sizeLow)
{
    return sizeHigh == 0 && sizeLow > 0 && sizeLow < 100000;
}

SoundCheck CheckSoundSize(bool readable, uint32_t sizeHigh, uint32_t sizeLow)
{
    if (!readable)
        return SoundCheck::Unreadable;
    if (sizeHigh == 0 && sizeLow == 0)
        return SoundCheck::Empty;
    return IsSoundSizeWithinLimit(sizeHigh, sizeLow) ? SoundCheck::Accepted : SoundCheck::TooBig;
}

int SoundWarningText(SoundCheck check)
{
    switch (check) {
    case SoundCheck::Unreadable: return IDS_SOUND_UNREADABLE;
    case SoundCheck::Empty: return IDS_SOUND_EMPTY;
    case SoundCheck::TooBig: return IDS_SOUND_TOO_BIG;
    default: return 0;
    }
}

namespace {

const PathField kPathFields[] = {
    {IDC_ICON_ON_PATH, IDC_BROWSE_ICON_ON, IDS_SELECT_ON_ICON, false, true, 0, 1},
    {IDC_ICON_OFF_PATH, IDC_BROWSE_ICON_OFF, IDS_SELECT_OFF_ICON, false, false, 0, 2},
    {IDC_SOUND_ON_PATH, IDC_BROWSE_SOUND_ON, IDS_SELECT_ON_SOUND, true, true, IDC_PLAY_SOUND_ON, 3},
    {IDC_SOUND_OFF_PATH, IDC_BROWSE_SOUND_OFF, IDS_SELECT_OFF_SOUND, true, false, IDC_PLAY_SOUND_OFF, 4},
};

} // namespace

const PathField *PathFieldById(int fieldId)
{
    for (const PathField &f : kPathFields)
        if (f.fieldId == fieldId)
            return &f;
    return nullptr;
}

const PathField *PathFieldByButton(int buttonId)
{
    for (const PathField &f : kPathFields)
        if (f.buttonId == buttonId)
            return &f;
    return nullptr;
}

} // namespace tolvar
