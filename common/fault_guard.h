/*
 * fault_guard.h - structured-fault guards for 32-bit x86 Windows.
 *
 * GCC on i686 MinGW has no __try/__except/__finally, yet some code must
 * survive a fault raised by a host callback (the options library's entries)
 * or must release a lock while a fault unwinds through it (the hook
 * procedure). Both guards register a frame on the thread's exception
 * registration chain (fs:[0]) around one call.
 *
 * Neither guard throws or catches C++ exceptions.
 */
#ifndef TOLVAR_COMMON_FAULT_GUARD_H
#define TOLVAR_COMMON_FAULT_GUARD_H

#ifdef __cplusplus
extern "C" {
#endif

typedef void (*GuardedBody)(void *context);

/* Runs body(context). A structured fault (access violation and the like)
 * raised inside it, at any depth, is handled: the frames above the guard are
 * unwound (their unwind actions run) and execution resumes here.
 * Returns 1 when body returned normally, 0 when a fault was swallowed. */
int RunCatchingFaults(GuardedBody body, void *context);

/* Runs body(context). When a fault unwinds through this call (another
 * handler further out handles it), onUnwind(context) runs during the unwind;
 * the fault itself is not handled here and goes on propagating. */
void RunWithUnwindAction(GuardedBody body, GuardedBody onUnwind, void *context);

#ifdef __cplusplus
}
#endif

#endif /* TOLVAR_COMMON_FAULT_GUARD_H */
