// dialog_template.h - reads an extended dialog template (DLGTEMPLATEEX) as
// the resource compiler wrote it, so tests can compare every control with
// the layout the dialogs are meant to have.
#ifndef TOLVAR_TESTS_FRAME_DIALOG_TEMPLATE_H
#define TOLVAR_TESTS_FRAME_DIALOG_TEMPLATE_H

#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

struct TemplateControl {
    uint32_t id;
    std::string windowClass; // predefined classes by name: "Button", "Edit", "Static", ...
    std::string caption;
    int16_t x, y, cx, cy;
    uint32_t style;
};

struct DialogTemplate {
    uint32_t style = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::string caption;
    uint16_t fontPoints = 0;
    std::string fontFace;
    std::vector<TemplateControl> controls;
};

// False when the resource is missing or is not an extended template.
bool ReadDialogTemplate(HMODULE module, int id, DialogTemplate *out);

#endif
