// Reports of the hook become indications: tray icon, sound, display, log.
#include "host/app/indicator.h"

#include <shellapi.h>

#include "common/virtual_keys.h"
#include "host/app/announcement.h"
#include "host/display/indication.h"
#include "host/tray/tray_icon_ids.h"
#include "host/tray/tray_presence.h"

namespace tolvar {

namespace {

LONG g_reportNumber = 0;

// The longest the tray and the display lag behind a stream of reports.
const DWORD kMaxPendingMs = 50;

const char kProgramTip[] = "Tolvar";

WPARAM PackReport(const Report &report)
{
    return static_cast<WPARAM>(report.keyCode & 0xFF) |
           (static_cast<WPARAM>(report.modifiers) << 8) |
           (static_cast<WPARAM>(report.state ? 1 : 0) << 16);
}

size_t TooltipCapacity()
{
    NOTIFYICONDATAA data;
    return sizeof data.szTip;
}

}  // namespace

void Indicator::OnReportFromHook(const Report &report, void *context)
{
    // The listener's thread, after it answered the hook: note and post only.
    Indicator *self = static_cast<Indicator *>(context);
    const LONG number = InterlockedIncrement(&g_reportNumber);
    self->timing_.Seen(number);
    PostMessageA(self->window_, kMsgReport, PackReport(report), number);
}

int32_t &Indicator::LockState(int32_t keyCode)
{
    return lockStates_[keyCode == kVkCapital ? 0 : keyCode == kVkNumLock ? 1 : 2];
}

int32_t &Indicator::StateOf(size_t key)
{
    // A lock key's toggle belongs to the key, whichever entry reported it.
    const int32_t keyCode = settings_.keys[key].keyCode;
    return IsToggleKeyCode(keyCode) ? LockState(keyCode) : keyStates_[key];
}

void Indicator::OnReport(WPARAM packed, LPARAM number)
{
    const int32_t keyCode = static_cast<int32_t>(packed & 0xFF);
    const uint8_t modifiers = static_cast<uint8_t>((packed >> 8) & 0xFF);
    const int32_t state = static_cast<int32_t>((packed >> 16) & 1);
    const std::vector<size_t> keys =
        running_ ? KeysOfReport(settings_, keyCode, modifiers, state) : std::vector<size_t>();
    // The program's own entries (Caps Lock followed, a key's release) and
    // keys removed meanwhile have no key of their own; a lock key's state
    // is the key's whichever entry reported it.
    if (keys.empty() && IsToggleKeyCode(keyCode))
        LockState(keyCode) = state;
    if (IsToggleKeyCode(keyCode))
        KeepKeyStateInStep(keyCode, state);
    for (size_t key : keys) {
        const KeySetting &setting = settings_.keys[key];
        int32_t &last = StateOf(key);
        const bool indicate = ShouldIndicate(setting, last, state);
        const bool changed = last != state;
        last = state;
        if (indicate)
            Indicate(key, state, static_cast<LONG>(number));
        else if (changed && setting.hasIcon)
            trayStale_[key] = true;
    }
    if (!pending_) {
        pending_ = true;
        pendingSince_ = GetTickCount();
    }
    MSG next;
    if (!PeekMessageA(&next, window_, kMsgReport, kMsgReport, PM_NOREMOVE) ||
        GetTickCount() - pendingSince_ >= kMaxPendingMs)
        ShowPending();
}

void Indicator::Indicate(size_t key, int32_t state, LONG number)
{
    // The log and the sound for every indication; the tray and the display
    // follow in ShowPending.
    const KeySetting &setting = settings_.keys[key];
    const bool on = state != 0;
    // The log line is written once the player has looked at the sound file,
    // on its thread.
    SoundPlayer::Played logLine;
    if (log_.open()) {
        IndicationLog *log = &log_;
        const uint32_t ms = GetTickCount() - startTick_;
        const std::string shown = visuals_.Get(key, on).shown;
        logLine = [log, ms, setting, state, shown](const std::string &played) {
            log->Write(FormatLogLine(ms, setting.keyCode, setting.modifiers, state, setting.name,
                                     shown, played));
        };
    }
    SoundChoice sound = ChooseSound(settings_, setting, on);
    if (!(on ? setting.shown.soundOn : setting.shown.soundOff))
        sound.kind = SoundChoice::kSilent;  // the key's choice for this state
    sounds_.Play(sound, logLine);
    if (setting.hasIcon)
        trayStale_[key] = true;
    if (settings_.display.announce)
        announcement_ = AnnouncementText(setting, state);
    displayKey_ = static_cast<int>(key);
    displayState_ = state;
    if (timing_.enabled())
        unshownReports_.push_back(number);
    demo_.Indicated();
}

void Indicator::ShowPending()
{
    pending_ = false;
    // A notification area that appeared without announcing itself.
    if (!tray_.AllShown())
        tray_.AddMissing();
    // The program's icon comes before the last key's icon goes, and goes
    // after the first key's icon came.
    const bool programIcon = ProgramTrayIconShown(settings_.keys, TrayStates());
    if (programIcon)
        UpdateProgramTrayIcon(true);
    for (size_t key = 0; key < trayStale_.size(); ++key) {
        if (trayStale_[key])
            UpdateTrayIcon(key);
        trayStale_[key] = false;
    }
    if (!programIcon)
        UpdateProgramTrayIcon(false);
    for (LONG number : unshownReports_)
        timing_.Shown(number);
    unshownReports_.clear();
    // A burst is told by its latest indication.
    if (!announcement_.empty())
        screenReader_.Announce(window_, announcement_);
    announcement_.clear();
    if (displayKey_ >= 0 && settings_.showDisplay) {
        const KeySetting &setting = settings_.keys[static_cast<size_t>(displayKey_)];
        const bool on = displayState_ != 0;
        if (DisplaysState(setting.shown, on)) {
            DisplayContent content;
            content.title = setting.name;
            content.hasState = HasToggleState(setting);
            content.detail = content.hasState ? (on ? "on" : "off") : "pressed";
            content.on = on;
            const StateVisual &visual = visuals_.Get(static_cast<size_t>(displayKey_), on);
            content.icon = visual.large;
            content.iconFile = visual.file;
            content.iconModule = visual.resource ? instance_ : nullptr;
            content.iconResource = visual.resource;
            displays_.ShowIndication(content);
        } else if (settings_.display.untilNextKey) {
            // The next key ends a display kept until then, shown or not.
            displays_.HideIndication();
        }
    }
    displayKey_ = -1;
    UpdateIndicatorsThatStay();
}

void Indicator::UpdateTrayIcon(size_t key)
{
    const KeySetting &setting = settings_.keys[key];
    const int32_t state = StateOf(key);
    const bool on = state == 1;
    tray_.Update(trayIds_[key], visuals_.Get(key, on).small, TooltipText(setting.name, on, TooltipCapacity()),
                 KeyTrayIconShown(setting, state));
}

void Indicator::UpdateProgramTrayIcon(bool wanted)
{
    if (tray_.Wanted(kProgramTrayIconId) != wanted)
        tray_.Update(kProgramTrayIconId, visuals_.Program().small, kProgramTip, wanted);
}

std::vector<int32_t> Indicator::TrayStates()
{
    std::vector<int32_t> states;
    for (size_t i = 0; i < settings_.keys.size(); ++i)
        states.push_back(StateOf(i));
    return states;
}

void Indicator::RefreshTray()
{
    trayIds_ = TrayIconIds(settings_.keys);
    std::vector<TrayIcons::Icon> icons;
    for (size_t i = 0; i < settings_.keys.size(); ++i) {
        const KeySetting &setting = settings_.keys[i];
        if (!setting.active || !setting.hasIcon || setting.shown.tray == TrayShow::kNever)
            continue;
        const int32_t state = StateOf(i);
        const bool on = state == 1;
        icons.push_back({trayIds_[i], visuals_.Get(i, on).small, TooltipText(setting.name, on, TooltipCapacity()),
                         KeyTrayIconShown(setting, state)});
    }
    // The tray menu stays within reach while no key's icon is there.
    icons.push_back({kProgramTrayIconId, visuals_.Program().small, kProgramTip,
                     ProgramTrayIconShown(settings_.keys, TrayStates())});
    tray_.Replace(icons);
}

void Indicator::RestyleTray()
{
    // Every icon modified in place, so that each keeps its spot.
    if (!visuals_.FollowTaskbar(instance_))
        return;
    for (size_t key = 0; key < settings_.keys.size(); ++key)
        if (settings_.keys[key].active && settings_.keys[key].hasIcon && tray_.Wanted(trayIds_[key]))
            UpdateTrayIcon(key);
    if (tray_.Wanted(kProgramTrayIconId))
        tray_.Update(kProgramTrayIconId, visuals_.Program().small, kProgramTip, true);
}

void Indicator::UpdateDisplays()
{
    displays_.Apply(settings_);
    UpdateIndicatorsThatStay();
}

void Indicator::UpdateIndicatorsThatStay()
{
    int32_t states[kLockKeys];
    for (int i = 0; i < kLockKeys; ++i)
        states[i] = LockState(kLockKeyCodes[i]);
    displays_.SetLockStates(states);
}

}  // namespace tolvar
