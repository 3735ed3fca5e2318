// shortcut_link.h - what a shortcut (.lnk) file says, read through the
// shell's own link object.
#ifndef TOLVAR_TESTS_SUPPORT_SHORTCUT_LINK_H
#define TOLVAR_TESTS_SUPPORT_SHORTCUT_LINK_H

#include <string>

namespace tolvar_test {

struct LinkSettings {
    bool loaded = false;
    std::string target, workingFolder, arguments, description;
    int showCommand = -1;
};

// loaded is false when the file is missing or not a shortcut.
LinkSettings ReadLink(const std::string &path);

}  // namespace tolvar_test

#endif
