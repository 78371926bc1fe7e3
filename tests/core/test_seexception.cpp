#include "core/seexception.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>
#include <regex>
#include <sys/mman.h>
#include <sys/wait.h>
#include <thread>
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

namespace {

volatile size_t g_length = 0;
using StringLength = size_t (*)(const char*);

// The lines of a stack trace after its title.
std::vector<std::string> FrameLines(const CSeException& e)
{
    std::string stack;
    e.FormatStack(stack);
    EXPECT_EQ(stack.rfind("Stack Trace:\r\n", 0), 0u);
    std::vector<std::string> lines;
    for (size_t at = stack.find('\n') + 1, end; (end = stack.find("\r\n", at)) != std::string::npos;
         at = end + 2)
        lines.push_back(stack.substr(at, end - at));
    return lines;
}

std::string ProgramName()
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    const std::string whole(path, size_t(std::max<ssize_t>(n, 0)));
    return whole.substr(whole.rfind('/') + 1);
}

}  // namespace

TEST(SeException, AFaultInsideTheCLibraryListsEveryFrameWithItsModule)
{
    // The C library's own strlen, past any sanitizer's wrapper of it: its
    // code keeps no frame pointer.
    void* libc = dlopen("libc.so.6", RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(libc, nullptr);
    const auto length = reinterpret_cast<StringLength>(dlsym(libc, "strlen"));
    ASSERT_NE(length, nullptr);
    CSeException* e = Catch([length] { g_length = length(reinterpret_cast<const char*>(16)); });
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->GetSeCode(), EXCEPTION_ACCESS_VIOLATION);
    const std::vector<std::string> lines = FrameLines(*e);
    ASSERT_GE(lines.size(), 3u);
    const std::regex frame("[0-9a-f]{16}  [^ ]+\\+0x[0-9a-f]+");
    for (const std::string& line : lines) {
        EXPECT_TRUE(std::regex_match(line, frame)) << line;
        EXPECT_NE(line.rfind("0000000000000000", 0), 0u) << line;
    }
    EXPECT_NE(lines[0].find("  libc.so.6+0x"), std::string::npos) << lines[0];
    const std::string program = "  " + ProgramName() + "+0x";
    EXPECT_TRUE(std::any_of(lines.begin() + 1, lines.end(), [&](const std::string& line) {
        return line.find(program) != std::string::npos;
    })) << program;
    e->Delete();
}

TEST(SeException, AStackWalkedFromHereStartsAtItsCallerAndEndsInZeros)
{
    InstallSeTranslator();
    CSeException e(EXCEPTION_BREAKPOINT, nullptr);
    e.WalkStack(0);
    Dl_info here{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(e.GetStack()[0]), &here), 0);
    int frames = 0;
    while (frames < kStackDepth && e.GetStack()[frames] != 0)
        ++frames;
    ASSERT_GT(frames, 1);
    for (int i = frames; i < kStackDepth; ++i)
        EXPECT_EQ(e.GetStack()[i], 0u);
    EXPECT_EQ(FrameLines(e).size(), size_t(frames));

    std::string version;
    ASSERT_TRUE(FormatModuleVersion(version));
    EXPECT_EQ(version.rfind("Filename:\t/", 0), 0u);
    // The version the About box and the feedback mail give ("v.2.5.5").
    EXPECT_NE(version.find("\r\nVersion:\t2.5.5.0\r\n"), std::string::npos) << version;
}

namespace {

// Walks the stack from under a frame whose frame pointer leads to memory
// that cannot be read: the unwinder faults on its way past it.
extern "C" void WalkUnderUnreadableFrame(CSeException* e, const void* frame, void (*walk)(CSeException*));
extern "C" const char WalkUnderUnreadableFrameEnd[];
asm(R"(
    .text
    .p2align 4
    .globl WalkUnderUnreadableFrame
    .hidden WalkUnderUnreadableFrame
    .type WalkUnderUnreadableFrame, @function
WalkUnderUnreadableFrame:
    .cfi_startproc
    pushq %rbp
    .cfi_def_cfa_offset 16
    .cfi_offset %rbp, -16
    movq %rsp, %rbp
    .cfi_def_cfa_register %rbp
    pushq %rbx
    subq $8, %rsp
    movq %rbp, %rbx
    movq %rsi, %rbp
    call *%rdx
    movq %rbx, %rbp
    addq $8, %rsp
    popq %rbx
    popq %rbp
    .cfi_def_cfa %rsp, 8
    ret
    .cfi_endproc
    .globl WalkUnderUnreadableFrameEnd
    .hidden WalkUnderUnreadableFrameEnd
WalkUnderUnreadableFrameEnd:
    .size WalkUnderUnreadableFrame, .-WalkUnderUnreadableFrame
)");

__attribute__((noinline)) void WalkFromHere(CSeException* e)
{
    e->WalkStack(0);
}

}  // namespace

TEST(SeException, AnUnreadableFrameEndsTheWalkInZerosWithoutASecondFault)
{
    InstallSeTranslator();
    void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(page, MAP_FAILED);
    CSeException e(EXCEPTION_BREAKPOINT, nullptr);
    WalkUnderUnreadableFrame(&e, page, &WalkFromHere);
    munmap(page, 4096);
    // The frames up to the unreadable one (the last is the frame that
    // leads to it), then nothing.
    const auto start = u64(reinterpret_cast<uintptr_t>(&WalkUnderUnreadableFrame));
    const auto end = u64(reinterpret_cast<uintptr_t>(WalkUnderUnreadableFrameEnd));
    int frames = 0;
    while (frames < kStackDepth && e.GetStack()[frames] != 0)
        ++frames;
    ASSERT_GE(frames, 1);
    EXPECT_GT(e.GetStack()[frames - 1], start);
    EXPECT_LE(e.GetStack()[frames - 1], end);
    EXPECT_EQ(FrameLines(e).size(), size_t(frames));
    // The next fault is reported as ever.
    CSeException* next = Catch([] { ReadAddress(nullptr); });
    ASSERT_NE(next, nullptr);
    next->Delete();
}

TEST(SeException, NeitherTheWalkNorTheNamesOfItsModulesWaitForTheLoader)
{
    InstallSeTranslator();
    // Another thread holds the loader's lock, as while it loads a library.
    std::atomic<bool> holding{false};
    std::atomic<bool> done{false};
    std::thread loader([&] {
        std::pair<std::atomic<bool>*, std::atomic<bool>*> flags{&holding, &done};
        dl_iterate_phdr(
            [](dl_phdr_info*, size_t, void* data) {
                auto* flags = static_cast<std::pair<std::atomic<bool>*, std::atomic<bool>*>*>(data);
                flags->first->store(true);
                for (int i = 0; i < 300 && !flags->second->load(); ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                flags->first->store(false);
                return 1;
            },
            &flags);
    });
    while (!holding)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    CSeException e(EXCEPTION_BREAKPOINT, nullptr);
    e.WalkStack(0);
    std::string stack;
    e.FormatStack(stack);
    const bool stillHeld = holding;
    done = true;
    loader.join();
    EXPECT_TRUE(stillHeld);
    EXPECT_EQ(stack.find("(no module)"), std::string::npos) << stack;
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
