// Which of the two hook libraries reports an event, and how a host starts
// the 64-bit one's companion, as pure rules.
#include <gtest/gtest.h>

#include "hook/call_routing.h"
#include "hook/companion/companion_protocol.h"

using namespace tolvar;

TEST(CallRouting, EachEventIsReportedByOneHook)
{
    const HookCall inContext = {false, true, false, kHook32};
    struct {
        const char *label;
        HookCall call;
        bool by32, by64;  // whether each library, called so, reports
    } const cases[] = {
        {"in context, beside the other hook", inContext, true, true},
        {"out of context, alone", {true, false, false, kHook64}, true, true},
        {"out of context for a 64-bit program", {true, true, true, kHook64}, false, true},
        {"out of context for a 32-bit program", {true, true, true, kHook32}, true, false},
        {"out of context, target unknown", {true, true, false, kHook32}, false, true},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.by32, ShouldReport(kHook32, c.call)) << c.label;
        EXPECT_EQ(c.by64, ShouldReport(kHook64, c.call)) << c.label;
    }
    // A 64-bit program's key on 64-bit Windows with both hooks: the 64-bit
    // hook in context, the 32-bit one out of context: exactly one reports.
    const HookCall outFor64 = {true, true, true, kHook64};
    EXPECT_NE(ShouldReport(kHook32, outFor64), ShouldReport(kHook64, inContext));
}

TEST(CompanionProtocol, TheHostProcessIdRoundTripsAndNothingElseParses)
{
    uint32_t id = 0;
    EXPECT_TRUE(ParseCompanionArguments(CompanionArguments(4294967295u), &id));
    EXPECT_EQ(4294967295u, id);
    const std::vector<std::vector<std::string>> refused = {
        {}, {"--host"}, {"--host", "0"}, {"--host", "4294967296"}, {"--host", "12x"},
        {"--host", "-5"}, {"--host", ""}, {"--pid", "12"}, {"--host", "12", "extra"},
        {"--host", "99999999999999999999"},
    };
    for (const auto &args : refused)
        EXPECT_FALSE(ParseCompanionArguments(args, &id)) << (args.empty() ? "(none)" : args.back());
    EXPECT_NE(std::string::npos, CompanionExitText(kCompanionNoLibrary).find("TolvarEx64.dll"));
    EXPECT_NE(std::string::npos, CompanionExitText(77).find("77"));
}
