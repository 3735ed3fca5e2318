/*
 * thread_dialogs.h - closing the dialog boxes of the program's UI thread
 * when the session ends.
 *
 * The options, the About box, the splash and the message boxes run modal
 * loops inside the program's own message handling, and the options
 * library's code stays on the stack until they return. The program cannot
 * end them from the outside without unloading that code under them, so it
 * asks each to close the way Escape would, and they unwind in turn once
 * the message being handled has returned.
 */
#ifndef TOLVAR_HOST_THREAD_DIALOGS_H
#define TOLVAR_HOST_THREAD_DIALOGS_H

namespace tolvar {

// Posts WM_COMMAND(IDCANCEL) to every dialog box of the calling thread,
// and ends an open menu.
void CancelThreadDialogs();

}  // namespace tolvar

#endif  // TOLVAR_HOST_THREAD_DIALOGS_H
