// The Display window's live preview: samples of the displays as its draft
// says, until it closes.
#include "host/app/indicator.h"

#include "common/virtual_keys.h"
#include "host/display/indication.h"

namespace tolvar {

void Indicator::PreviewDisplay(const Settings &draft, HWND listener)
{
    // Caps Lock going on, with its icon, as the draft would show it.
    DisplayContent sample;
    sample.title = "Caps Lock";
    sample.detail = "on";
    sample.hasState = true;
    sample.on = true;
    if (!previewIcon_)
        previewIcon_ = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(DefaultIconId(kVkCapital, true)),
                                                     IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    sample.icon = previewIcon_;
    sample.iconModule = instance_;
    sample.iconResource = DefaultIconId(kVkCapital, true);
    displays_.Preview(draft, sample, listener);
}

void Indicator::EndPreview()
{
    displays_.EndPreview();
}

}  // namespace tolvar
