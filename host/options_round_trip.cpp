// The options dialog's two callbacks, and applying settings wherever they
// come from: the hook's table, the icons, the tray, the file.
#include "host/indicator.h"

#include <string.h>

#include "host/settings_file.h"

namespace tolvar {

namespace {

// How long a rebuild of the hook's table waits for a report in flight.
const DWORD kTableWaitMs = 5000;

}  // namespace

int32_t WINAPI Indicator::LoadForOptions(KeyCollection *collection, void *context)
{
    const Indicator *self = static_cast<const Indicator *>(context);
    if (!collection || !self)
        return 0;
    const KeyCollectionHeader header = ToHeader(self->settings_);
    collection->ops->SetHeader(collection, &header);
    for (const KeySetting &key : self->settings_.keys) {
        const KeyItem item = ToKeyItem(key);
        collection->ops->AppendItem(collection, &item);
    }
    return 1;
}

int32_t WINAPI Indicator::SaveFromOptions(KeyCollection *collection, void *context)
{
    Indicator *self = static_cast<Indicator *>(context);
    const KeyCollectionHeader *header = collection ? collection->ops->GetData(collection) : nullptr;
    if (!self || !header || (header->itemCount > 0 && !header->items))
        return 0;
    Settings next = self->settings_;
    TakeSwitches(*header, &next);
    next.keys.clear();
    // Copied out now: the collection dies when this callback returns.
    const char *items = reinterpret_cast<const char *>(header->items);
    for (uint32_t i = 0; i < header->itemCount && next.keys.size() < kMaxKeys; ++i) {
        KeyItem item;
        memcpy(&item, items + static_cast<size_t>(i) * sizeof item, sizeof item);
        KeySetting key = FromKeyItem(item);
        if (NormalizeKey(&key))
            next.keys.push_back(key);
    }
    self->ApplySettings(next);
    return 1;
}

void Indicator::ApplySettings(const Settings &next)
{
    settings_ = next;
    keyStates_.assign(settings_.keys.size(), -1);
    trayStale_.assign(settings_.keys.size(), false);
    displayKey_ = -1;
    visuals_.Build(settings_, instance_);
    // Under the channel mutex: a key added reports from the next key event
    // on, a key removed stops.
    if (!channel_.ReplaceTable(BuildKeyTable(settings_, channel_.capacity(), settings_.capsLockDisplay),
                               kTableWaitMs)) {
        Warn("Tolvar could not hand the changed keys to its keyboard hook: a program did not "
             "finish a key event in time. The keys watched so far stay in effect until Tolvar "
             "is restarted.");
    }
    RefreshTray();
    UpdateCapsLockDisplay();
    SaveSettings();
}

void Indicator::SaveSettings()
{
    if (!settingsWritable_) {
        Warn("The settings are in effect but were not saved, because the unreadable settings "
             "file could not be set aside:\n" + settingsPath_);
        return;
    }
    std::string error;
    if (!SaveSettingsFile(settingsPath_, settings_, &error))
        Warn("The settings are in effect, but Tolvar could not save them to\n" + settingsPath_ +
             "\n(" + error + ").\n\nThe file there keeps the settings saved before.");
}

}  // namespace tolvar
