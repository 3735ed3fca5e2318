// The Display window's calls: it starts from the settings in effect, and
// what it applies goes through ApplySettings like the options' changes.
#include "host/app/indicator.h"

#include "host/display/display_choices.h"
#include "host/display/display_window.h"

namespace tolvar {

void Indicator::OpenDisplayWindow()
{
    if (quitting_)
        return;
    DisplayWindowCalls calls;
    calls.current = [this]() -> const Settings & { return settings_; };
    calls.preview = [this](const Settings &draft, HWND window) { PreviewDisplay(draft, window); };
    calls.endPreview = [this]() { EndPreview(); };
    calls.placeDragged = kMsgPlaceDragged;
    calls.apply = [this](const Settings &draft) { ApplyDisplayChoices(draft); };
    // Returns when the window closes, or at once when it is already open
    // (it comes to the front).
    RunDisplayWindow(instance_, window_, calls);
    AfterModalLoop();
}

void Indicator::ApplyDisplayChoices(const Settings &draft)
{
    // Only the window's own choices: keys changed in the options while it
    // was open stay as they are now.
    ApplySettings(WithDisplayChoices(settings_, draft));
}

}  // namespace tolvar
