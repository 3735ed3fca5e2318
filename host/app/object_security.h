/*
 * object_security.h - who may open the named objects Tolvar creates (the
 * hook channel's four and the single-instance mutex), and whether objects
 * of those names that already exist may be trusted.
 *
 * Every program the hook library enters opens the channel, so the objects
 * must be open to this user's programs even when Tolvar itself runs as
 * administrator: an elevated program's objects would otherwise get the
 * elevated token's default security (administrators and the system only)
 * and a high integrity label, and the hook would stay out of every normal
 * program. Tolvar therefore gives them the security a normal start gives
 * them anyway: owned by the user, full access for the user and the system,
 * a medium integrity label (so programs at low integrity can still not
 * write to them).
 *
 * Objects that exist before Tolvar creates them were made by an earlier
 * Tolvar (still running, or its leftovers) or by another program. Tolvar
 * uses them only when their owner is this user (or the owner the system
 * gives this user's new objects) and their label is not below medium:
 * objects made by another user, or planted by a program at low integrity,
 * would let that program watch or stall every key.
 */
#ifndef TOLVAR_HOST_OBJECT_SECURITY_H
#define TOLVAR_HOST_OBJECT_SECURITY_H

#include <windows.h>

namespace tolvar {

// The attributes to create the named objects with, or null (the system's
// defaults) where that security cannot be built, as on systems without
// integrity levels that also refuse the label.
SECURITY_ATTRIBUTES *NamedObjectSecurity();

// For an object that already existed when Tolvar asked to create it: false
// when the system names an owner that is not this user, or a label below
// medium. True when the system tells neither (Wine gives objects no owner).
bool MadeByThisUser(HANDLE object);

}  // namespace tolvar

#endif  // TOLVAR_HOST_OBJECT_SECURITY_H
