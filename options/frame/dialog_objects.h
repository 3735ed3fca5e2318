// dialog_objects.h - the library-wide dialog objects, created on first use
// and kept until the library detaches; each opening of a dialog reuses its
// object.
#ifndef TOLVAR_FRAME_DIALOG_OBJECTS_H
#define TOLVAR_FRAME_DIALOG_OBJECTS_H

namespace tolvar {

class OptionsDialog;
class AboutWindow;

// The object, created on first use; null when it cannot be created.
OptionsDialog *GetOptionsDialog();
AboutWindow *GetAboutWindow();

// The object if it has been created, else null; never creates it.
OptionsDialog *ExistingOptionsDialog();
AboutWindow *ExistingAboutWindow();

// At detach: destroys the About window object first, then the options
// dialog object, and forgets both.
void DestroyDialogObjects();

} // namespace tolvar

#endif // TOLVAR_FRAME_DIALOG_OBJECTS_H
