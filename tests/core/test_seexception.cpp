#include "core/seexception.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The quotient goes somewhere the optimiser must keep, or the division
// would be dropped and nothing would fault.
volatile int g_quotient = 0;

// The sanitizers would report these faults themselves; here they must
// reach the translator. Seen from outside (noipa), the divisor is not known
// to be 0 and the division not known to be unused.
__attribute__((noipa, no_sanitize("undefined"))) void Divide(int a, int b)
{
    volatile int divisor = b;
    g_quotient = a / divisor;
}

__attribute__((noinline, no_sanitize("address", "undefined"))) int ReadAddress(volatile int* p)
{
    return *p;
}

template <typename F> CSeException* Catch(F f)
{
    InstallSeTranslator();
    try {
        f();
    } catch (CSeException* e) {
        return e;
    }
    return nullptr;
}

}  // namespace

TEST(SeException, IntegerDivisionByZero)
{
    CSeException* e = Catch([] { Divide(1, 0); });
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->GetSeCode(), EXCEPTION_INT_DIVIDE_BY_ZERO);
    std::string line;
    EXPECT_TRUE(e->FormatMessage(line));
    char expected[128];
    std::snprintf(expected, sizeof expected, "Exception INT_DIVIDE_BY_ZERO (0xc0000094) at address 0x%.8llx.",
        (unsigned long long)e->GetExceptionAddress());
    EXPECT_EQ(line, expected);
    e->Delete();
}

TEST(SeException, ReadOfAddressZero)
{
    CSeException* e = Catch([] { ReadAddress(nullptr); });
    ASSERT_NE(e, nullptr);
    std::string line;
    EXPECT_TRUE(e->FormatMessage(line));
    EXPECT_NE(line.find("Exception ACCESS_VIOLATION (0xc0000005) at address 0x"), std::string::npos) << line;
    EXPECT_NE(line.find("trying to read address 0x00000000."), std::string::npos) << line;

    // The handler stays installed for the next fault.
    CSeException* again = Catch([] { ReadAddress(nullptr); });
    ASSERT_NE(again, nullptr);
    again->Delete();

    std::string record;
    e->FormatRecord(record);
    EXPECT_NE(record.find("Exception code:\t\tc0000005\r\n"), std::string::npos);
    EXPECT_NE(record.find("Access type:\t\tread\r\n"), std::string::npos);
    e->Delete();
}

TEST(SeException, MessagesForUnknownCodesAndShortBuffers)
{
    SePointers p;
    p.record.address = 0x1234;
    p.record.info[0] = 1;
    p.record.info[1] = 0x10;
    CSeException unknown(0xE0000001, &p);
    std::string line;
    EXPECT_FALSE(unknown.FormatMessage(line));
    EXPECT_EQ(line,
        "Exception Unknown exception (0xe0000001) at address 0x00001234 trying to write address 0x00000010.");

    CSeException none(EXCEPTION_BREAKPOINT, nullptr);
    std::string untouched = "x";
    EXPECT_FALSE(none.FormatMessage(untouched));
    EXPECT_EQ(untouched, "x");

    CSeException known(EXCEPTION_BREAKPOINT, &p);
    ASSERT_TRUE(known.FormatMessage(line));
    std::vector<char> buffer(line.size());  // one short of the NUL
    EXPECT_FALSE(known.GetErrorMessage(buffer.data(), u32(buffer.size())));
    EXPECT_EQ(buffer[0], '\0');
    buffer.resize(line.size() + 1);
    EXPECT_TRUE(known.GetErrorMessage(buffer.data(), u32(buffer.size())));
    EXPECT_EQ(line, buffer.data());
}

TEST(SeException, ShortFrameChainEndsInZeros)
{
    // Two frames: frame a links to frame b, whose saved frame pointer is 0.
    u64 b[2] = {0, 0x2222};
    u64 a[2] = {u64(reinterpret_cast<uintptr_t>(b)), 0x1111};
    CSeException e(EXCEPTION_BREAKPOINT, nullptr);
    e.WalkStack(u64(reinterpret_cast<uintptr_t>(a)));
    EXPECT_EQ(e.GetStack()[0], 0x1111u);
    EXPECT_EQ(e.GetStack()[1], 0u);  // b's saved frame pointer is 0: the walk stops
    for (int i = 1; i < kStackDepth; ++i)
        EXPECT_EQ(e.GetStack()[i], 0u);
    e.WalkStack(8);  // an unreadable frame ends the walk without a fault
    EXPECT_EQ(e.GetStack()[0], 0u);

    std::string stack;
    e.FormatStack(stack);
    EXPECT_EQ(stack.rfind("Stack Trace:\r\n", 0), 0u);
    EXPECT_EQ(std::count(stack.begin(), stack.end(), '\n'), 9);

    std::string version;
    ASSERT_TRUE(FormatModuleVersion(version));
    EXPECT_EQ(version.rfind("Filename:\t/", 0), 0u);
    // The version the About box and the feedback mail give ("v.2.5.5").
    EXPECT_NE(version.find("\r\nVersion:\t2.5.5.0\r\n"), std::string::npos) << version;
}

namespace {

bool g_overflowReported = false;
volatile int g_depthLimit = -1;  // never reached: the stack runs out first

__attribute__((noinline, no_sanitize("address", "undefined"))) int Recurse(int depth)
{
    volatile char frame[256];
    frame[0] = char(depth);
    if (depth == g_depthLimit)
        return 0;
    return Recurse(depth + 1) + frame[0];
}

}  // namespace

TEST(SeException, StackOverflowIsReportedAndEndsTheProgram)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InstallSeTranslator([](const CSeException& e) {
            g_overflowReported = e.GetSeCode() == EXCEPTION_STACK_OVERFLOW;
            // Tell the parent through the exit code: 3 only when reported.
            if (!g_overflowReported)
                _exit(1);
        });
        Recurse(0);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kFaultExitCode);
}
