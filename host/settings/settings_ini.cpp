// Tolvar.ini: sections and values, and the checks applied when reading them.
#include "host/settings/settings_ini.h"

#include <stdio.h>
#include <stdlib.h>

namespace tolvar {

namespace {

const char kMainSection[] = "Tolvar";
const char kDisplaySection[] = "Display";
// The lock keys' indicators that stay, in [Tolvar] (CapsLockDisplay=1 is
// what files from before the Display window hold for Caps Lock).
const char *const kStaysKeys[kLockKeys] = {"CapsLockDisplay", "NumLockDisplay", "ScrollLockDisplay"};
const char kVersion[] = "1";
// More than any file of keys could be: a count beyond is not a count.
const unsigned long kMaxKeyCount = 1000000;

std::string KeySection(size_t index)
{
    char name[32];
    snprintf(name, sizeof name, "Key%u", static_cast<unsigned>(index + 1));
    return name;
}

std::string Flag(bool value)
{
    return value ? "1" : "0";
}

std::string Number(int value)
{
    return std::to_string(value);
}

template <typename Enum>
std::string Choice(Enum value)
{
    return std::to_string(static_cast<int>(value));
}

std::string Hex(unsigned value)
{
    char text[16];
    snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

// A text as one quoted value on one line: control characters (which no path
// can hold, and which would break the line) become blanks.
std::string Quoted(const std::string &text)
{
    std::string out = "\"";
    for (char ch : text)
        out += static_cast<unsigned char>(ch) < 0x20 ? ' ' : ch;
    return out + "\"";
}

// Reads values of one section, remembering the first problem.
class SectionReader {
public:
    SectionReader(const ProfileReader &reader, const std::string &section)
        : reader_(reader), section_(section) {}

    // A value that must be there.
    bool Required(const char *key, std::string *value)
    {
        if (reader_.Read(section_, key, value))
            return true;
        Fail(key, "is missing");
        return false;
    }

    void Number(const char *key, unsigned long limit, unsigned long *value, bool required)
    {
        std::string text;
        const bool present = required ? Required(key, &text) : reader_.Read(section_, key, &text);
        if (present && !ParseNumber(text, limit, value))
            Fail(key, "is not a number in range");
    }

    void Bool(const char *key, bool *value)
    {
        unsigned long n = *value ? 1 : 0;
        Number(key, 1, &n, false);
        *value = n != 0;
    }

    // A number in [low, high]; signed.
    void Ranged(const char *key, int low, int high, int *value)
    {
        std::string text;
        if (!reader_.Read(section_, key, &text))
            return;
        const bool negative = !text.empty() && text[0] == '-';
        unsigned long n = 0;
        const unsigned long limit = static_cast<unsigned long>(negative ? -low : high);
        if ((negative && low >= 0) || !ParseNumber(negative ? text.substr(1) : text, limit, &n)) {
            Fail(key, "is not a number in range");
            return;
        }
        *value = negative ? -static_cast<int>(n) : static_cast<int>(n);
        if (*value < low)
            Fail(key, "is not a number in range");
    }

    // One of count choices, numbered from 0.
    template <typename Enum>
    void Choice(const char *key, int count, Enum *value)
    {
        int n = static_cast<int>(*value);
        Ranged(key, 0, count - 1, &n);
        *value = static_cast<Enum>(n);
    }

    void Text(const char *key, size_t maxLength, std::string *value)
    {
        std::string text;
        if (!reader_.Read(section_, key, &text))
            return;
        if (text.size() > maxLength)
            Fail(key, "is too long");
        else
            *value = text;
    }

    bool ok() const { return problem_.empty(); }
    const std::string &problem() const { return problem_; }

private:
    void Fail(const char *key, const char *what)
    {
        if (problem_.empty())
            problem_ = "[" + section_ + "] " + key + " " + what;
    }

    const ProfileReader &reader_;
    std::string section_;
    std::string problem_;
};

// The [Display] section; a file from before it has none, and every value
// missing keeps its default.
bool ReadDisplay(const ProfileReader &reader, DisplaySettings *d, std::string *problem)
{
    SectionReader r(reader, kDisplaySection);
    r.Choice("Monitor", kMonitorChoices, &d->monitor);
    r.Choice("Anchor", kAnchors, &d->anchor);
    r.Ranged("OffsetX", -kMaxOffsetPercent, kMaxOffsetPercent, &d->offsetXPercent);
    r.Ranged("OffsetY", -kMaxOffsetPercent, kMaxOffsetPercent, &d->offsetYPercent);
    r.Bool("Dragged", &d->dragged);
    r.Bool("UntilNextKey", &d->untilNextKey);
    r.Choice("Size", kDisplaySizes, &d->size);
    r.Ranged("Opacity", kMinOpacityPercent, 100, &d->opacityPercent);
    r.Choice("Theme", kThemeChoices, &d->theme);
    r.Bool("Fade", &d->fade);
    r.Bool("HideInFullScreen", &d->hideInFullScreen);
    r.Bool("Announce", &d->announce);
    r.Bool("Splash", &d->splash);
    r.Choice("StackCorner", kAnchors, &d->stackCorner);
    int places = 0;
    r.Ranged("Places", 0, static_cast<int>(kMaxPlaces), &places);
    d->places.clear();
    for (int i = 1; i <= places && r.ok(); ++i) {
        const std::string n = std::to_string(i);
        DraggedPlace place;
        r.Text(("Place" + n + "Layout").c_str(), kMaxPathLength, &place.layout);
        r.Ranged(("Place" + n + "X").c_str(), 0, kPlaceScale, &place.x);
        r.Ranged(("Place" + n + "Y").c_str(), 0, kPlaceScale, &place.y);
        d->places.push_back(place);
    }
    if (r.ok() && !IsCorner(d->stackCorner)) {
        *problem = "[Display] StackCorner is not a corner";
        return false;
    }
    if (!r.ok())
        *problem = r.problem();
    return r.ok();
}

}  // namespace

bool ParseNumber(const std::string &text, unsigned long limit, unsigned long *value)
{
    if (text.empty() || text.size() > 10)
        return false;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    for (size_t i = hex ? 2 : 0; i < text.size(); ++i) {
        const char ch = text[i];
        const bool digit = ch >= '0' && ch <= '9';
        const bool hexDigit = (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
        if (!digit && !(hex && hexDigit))
            return false;
    }
    const unsigned long v = strtoul(text.c_str(), nullptr, hex ? 16 : 10);
    if (v > limit)
        return false;
    *value = v;
    return true;
}

std::vector<ProfileSection> SettingsToProfile(const Settings &s)
{
    std::vector<ProfileSection> sections;
    ProfileSection main;
    main.name = kMainSection;
    main.values = {
        {"Version", kVersion},
        {"BeepOnly", Flag(s.beepOnly)},
        {"Silent", Flag(s.silent)},
        {"NumLockOn", Flag(s.numLockOn)},
        {"AddToStartup", Flag(s.addToStartup)},
        {"OnScreenDisplay", Flag(s.showDisplay)},
    };
    for (int i = 0; i < kLockKeys; ++i)
        main.values.push_back({kStaysKeys[i], Choice(s.display.stays[i])});
    main.values.push_back({"DisplayMilliseconds", std::to_string(s.displayMs)});
    main.values.push_back({"Keys", std::to_string(s.keys.size())});
    sections.push_back(main);
    const DisplaySettings &d = s.display;
    ProfileSection display;
    display.name = kDisplaySection;
    display.values = {
        {"Monitor", Choice(d.monitor)},
        {"Anchor", Choice(d.anchor)},
        {"OffsetX", Number(d.offsetXPercent)},
        {"OffsetY", Number(d.offsetYPercent)},
        {"Dragged", Flag(d.dragged)},
        {"UntilNextKey", Flag(d.untilNextKey)},
        {"Size", Choice(d.size)},
        {"Opacity", Number(d.opacityPercent)},
        {"Theme", Choice(d.theme)},
        {"Fade", Flag(d.fade)},
        {"HideInFullScreen", Flag(d.hideInFullScreen)},
        {"Announce", Flag(d.announce)},
        {"Splash", Flag(d.splash)},
        {"StackCorner", Choice(d.stackCorner)},
        {"Places", Number(static_cast<int>(d.places.size()))},
    };
    for (size_t i = 0; i < d.places.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        display.values.push_back({"Place" + n + "Layout", Quoted(d.places[i].layout)});
        display.values.push_back({"Place" + n + "X", Number(d.places[i].x)});
        display.values.push_back({"Place" + n + "Y", Number(d.places[i].y)});
    }
    sections.push_back(display);
    for (size_t i = 0; i < s.keys.size(); ++i) {
        const KeySetting &k = s.keys[i];
        ProfileSection section;
        section.name = KeySection(i);
        section.values = {
            {"Active", Flag(k.active)},
            {"Code", Hex(static_cast<unsigned>(k.keyCode))},
            {"Modifiers", Hex(k.modifiers)},
            {"Name", Quoted(k.name)},
            {"HasIcon", Flag(k.hasIcon)},
            {"HasOffState", Flag(k.hasOffState)},
            {"SoundOn", Quoted(k.soundOnPath)},
            {"SoundOff", Quoted(k.soundOffPath)},
            {"IconOn", Quoted(k.iconOnPath)},
            {"IconOff", Quoted(k.iconOffPath)},
            {"DisplayOn", Flag(k.shown.displayOn)},
            {"DisplayOff", Flag(k.shown.displayOff)},
            {"SoundOnState", Flag(k.shown.soundOn)},
            {"SoundOffState", Flag(k.shown.soundOff)},
            {"Tray", Choice(k.shown.tray)},
        };
        sections.push_back(section);
    }
    return sections;
}

const char kSettingsEndLine[] = "; end of the Tolvar settings";

std::string SettingsFileText(const Settings &settings)
{
    return FormatIni(SettingsToProfile(settings)) + "\r\n" + kSettingsEndLine + "\r\n";
}

bool EndsAsSaved(const std::string &text)
{
    const size_t last = text.find_last_not_of(" \t\r\n");
    const size_t n = sizeof kSettingsEndLine - 1;
    return last != std::string::npos && last + 1 >= n &&
           text.compare(last + 1 - n, n, kSettingsEndLine) == 0 &&
           (last + 1 == n || text[last - n] == '\n' || text[last - n] == '\r');
}

bool SettingsFromProfile(const ProfileReader &reader, Settings *out, std::string *problem,
                         size_t *keysLeftOut)
{
    Settings s;
    SectionReader main(reader, kMainSection);
    std::string version;
    if (main.Required("Version", &version) && version != kVersion) {
        *problem = "[Tolvar] Version is not " + std::string(kVersion);
        return false;
    }
    unsigned long count = 0, displayMs = static_cast<unsigned long>(s.displayMs);
    main.Number("Keys", kMaxKeyCount, &count, true);
    main.Bool("BeepOnly", &s.beepOnly);
    main.Bool("Silent", &s.silent);
    main.Bool("NumLockOn", &s.numLockOn);
    main.Bool("AddToStartup", &s.addToStartup);
    main.Bool("OnScreenDisplay", &s.showDisplay);
    for (int i = 0; i < kLockKeys; ++i)
        main.Choice(kStaysKeys[i], kStaysChoices, &s.display.stays[i]);
    main.Number("DisplayMilliseconds", kMaxDisplayMs, &displayMs, false);
    if (main.ok() && displayMs < static_cast<unsigned long>(kMinDisplayMs)) {
        *problem = "[Tolvar] DisplayMilliseconds is not a number in range";
        return false;
    }
    if (!main.ok()) {
        *problem = main.problem();
        return false;
    }
    s.displayMs = static_cast<int>(displayMs);
    if (!ReadDisplay(reader, &s.display, problem))
        return false;

    const size_t kept = count < kMaxKeys ? count : kMaxKeys;
    for (size_t i = 0; i < kept; ++i) {
        SectionReader key(reader, KeySection(i));
        KeySetting k;
        unsigned long code = 0, modifiers = 0;
        key.Number("Code", 255, &code, true);
        if (key.ok() && code == 0) {
            *problem = "[" + KeySection(i) + "] Code is not a number in range";
            return false;
        }
        key.Number("Modifiers", 255, &modifiers, false);
        key.Bool("Active", &k.active);
        key.Bool("HasIcon", &k.hasIcon);
        key.Bool("HasOffState", &k.hasOffState);
        key.Text("Name", kMaxKeyNameLength, &k.name);
        key.Text("SoundOn", kMaxPathLength, &k.soundOnPath);
        key.Text("SoundOff", kMaxPathLength, &k.soundOffPath);
        key.Text("IconOn", kMaxPathLength, &k.iconOnPath);
        key.Text("IconOff", kMaxPathLength, &k.iconOffPath);
        key.Bool("DisplayOn", &k.shown.displayOn);
        key.Bool("DisplayOff", &k.shown.displayOff);
        key.Bool("SoundOnState", &k.shown.soundOn);
        key.Bool("SoundOffState", &k.shown.soundOff);
        key.Choice("Tray", kTrayShows, &k.shown.tray);
        if (!key.ok()) {
            *problem = key.problem();
            return false;
        }
        k.keyCode = static_cast<int32_t>(code);
        k.modifiers = static_cast<uint8_t>(modifiers);
        s.keys.push_back(k);
    }
    *out = s;
    if (keysLeftOut)
        *keysLeftOut = count - kept;
    return true;
}

std::string AsideName(const std::string &path, const char *tag, int attempt)
{
    // The extension is the part after the last dot of the last component.
    const size_t slash = path.find_last_of("\\/");
    const size_t dot = path.rfind('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string stem = hasExtension ? path.substr(0, dot) : path;
    const std::string extension = hasExtension ? path.substr(dot) : "";
    std::string middle = std::string(".") + tag;
    if (attempt > 1)
        middle += "-" + std::to_string(attempt);
    return stem + middle + extension;
}

}  // namespace tolvar
