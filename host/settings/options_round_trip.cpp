// The options dialog's two callbacks, and applying settings wherever they
// come from: the hook's table, the icons, the tray, the file.
#include "host/app/indicator.h"

#include "host/settings/settings_file.h"

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
    // Copied out now: the collection dies when this callback returns.
    const size_t leftOut = KeysFromItems(header->items, header->itemCount, &next.keys);
    CarryKeyDisplays(self->settings_, &next);
    if (leftOut > 0) {
        self->Warn("The list holds " + std::to_string(header->itemCount) + " keys, and Tolvar watches at most " +
                   std::to_string(kMaxKeys) + ": the last " + std::to_string(leftOut) +
                   " are neither watched nor saved.");
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
    if (!channel_.ReplaceTable(BuildKeyTable(settings_, channel_.capacity(), TrackedLockKeys(settings_)),
                               kTableWaitMs)) {
        Warn("Tolvar could not hand the changed keys to its keyboard hook: a program did not "
             "finish a key event in time. The keys watched so far stay in effect until Tolvar "
             "is restarted.");
    }
    RefreshTray();
    UpdateDisplays();
    SaveSettings();
}

void Indicator::SaveSettings()
{
    // A file that could not be set aside at start stays as it is (the
    // user was told then).
    if (!settingsWritable_)
        return;
    std::string error;
    if (SaveSettingsFile(settingsPath_, settings_, &error)) {
        settingsUnsaved_ = false;
        unsavedTold_ = false;
        return;
    }
    // Kept in memory, and saved whole with the next change or at exit; the
    // user hears of it once, not at every change.
    settingsUnsaved_ = true;
    if (unsavedTold_)
        return;
    unsavedTold_ = true;
    Warn("Tolvar could not save its settings to\n" + settingsPath_ + "\n(" + error +
         ").\n\nThe changes are in effect. Tolvar keeps them and saves them with the next change, "
         "or when it exits, once the file can be written.");
}

void Indicator::SaveKeptSettings()
{
    if (settingsUnsaved_)
        SaveSettings();
}

}  // namespace tolvar
