// Which of the two hook libraries reports a key event.
#include "hook/call_routing.h"

namespace tolvar {

bool ShouldReport(HookBitness self, const HookCall &call)
{
    if (!call.outOfContext || !call.otherHookInstalled)
        return true;
    const HookBitness target = call.targetKnown ? call.target : kHook64;
    return target == self;
}

}  // namespace tolvar
