// foreign_object.h - one of Tolvar's named objects as another program could
// leave it for Tolvar to find: owned by someone else, or labelled low
// integrity. The object is made, or taken as it is when it exists already
// (a hook library still mapped into the test process keeps the channel's
// objects), and gets back this user as owner and a medium label when the
// test is done with it. A held mutex is one that this thread owns until
// then, as a program frozen while it holds the object would.
#ifndef TOLVAR_TESTS_SUPPORT_FOREIGN_OBJECT_H
#define TOLVAR_TESTS_SUPPORT_FOREIGN_OBJECT_H

#include <windows.h>

namespace tolvar_test {

class ForeignObject {
public:
    enum Kind { kMapping, kMutex, kHeldMutex };
    ForeignObject() = default;
    ForeignObject(const ForeignObject &) = delete;
    ForeignObject &operator=(const ForeignObject &) = delete;
    ~ForeignObject();
    // Gives the object the owner ("O:...") and/or label ("S:(ML;;NW;;;LW)")
    // of the security descriptor string; null leaves its security alone.
    bool Make(Kind kind, const char *name, const char *descriptor);

private:
    bool Apply(const char *descriptor);
    HANDLE handle_ = nullptr;
    bool held_ = false;
};

} // namespace tolvar_test

#endif
