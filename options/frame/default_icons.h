// default_icons.h - which icon resource of the host executable stands in
// for a lock key's icon when no icon file loads. Platform-free.
#ifndef TOLVAR_FRAME_DEFAULT_ICONS_H
#define TOLVAR_FRAME_DEFAULT_ICONS_H

#include <cstdint>

namespace tolvar {

// Caps Lock (20): 2000 on, 2001 off; Num Lock (144): 3000/3001;
// Scroll Lock (145): 4000/4001; 0 (no default icon) for any other key.
int DefaultStateIconId(int32_t keyCode, bool on);

} // namespace tolvar

#endif // TOLVAR_FRAME_DEFAULT_ICONS_H
