// The thread's DPI awareness, where the system has it.
#include "host/display/dpi_awareness.h"

#include "host/app/dll_search.h"

#include <windows.h>

namespace tolvar {

namespace {

typedef void *(WINAPI *SetContextProc)(void *context);

SetContextProc SetContext()
{
    // user32 is loaded already: only looked up, as older systems lack it.
    static const SetContextProc set =
        FindExport<SetContextProc>(GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext");
    return set;
}

// DPI_AWARENESS_CONTEXT_SYSTEM_AWARE and _PER_MONITOR_AWARE_V2.
void *const kSystemAwareContext = reinterpret_cast<void *>(static_cast<INT_PTR>(-2));
void *const kPerMonitorV2Context = reinterpret_cast<void *>(static_cast<INT_PTR>(-4));

}  // namespace

ThreadDpiAwareness::ThreadDpiAwareness(Context context)
{
    if (SetContext())
        previous_ = SetContext()(context == kSystemAware ? kSystemAwareContext : kPerMonitorV2Context);
}

ThreadDpiAwareness::~ThreadDpiAwareness()
{
    if (previous_)
        SetContext()(previous_);
}

}  // namespace tolvar
