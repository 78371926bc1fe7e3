#include "core/seexception.h"

#include "core/utilities.h"

#include <QCoreApplication>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/uio.h>
#include <ucontext.h>
#include <unistd.h>

#ifndef TOLVA_VERSION_TEXT
#define TOLVA_VERSION_TEXT "0.1.0.0"
#endif

namespace {

struct CodeName {
    u32 code;
    const char* name;
};

constexpr CodeName kKnownCodes[] = {
    {EXCEPTION_DATATYPE_MISALIGNMENT, "DATATYPE_MISALIGNMENT"},
    {EXCEPTION_BREAKPOINT, "BREAKPOINT"},
    {EXCEPTION_SINGLE_STEP, "SINGLE_STEP"},
    {EXCEPTION_GUARD_PAGE, "GUARD_PAGE"},
    {EXCEPTION_IN_PAGE_ERROR, "IN_PAGE_ERROR"},
    {EXCEPTION_INVALID_HANDLE, "INVALID_HANDLE"},
    {EXCEPTION_ILLEGAL_INSTRUCTION, "ILLEGAL_INSTRUCTION"},
    {EXCEPTION_NONCONTINUABLE_EXCEPTION, "NONCONTINUABLE_EXCEPTION"},
    {EXCEPTION_INVALID_DISPOSITION, "INVALID_DISPOSITION"},
    {EXCEPTION_ARRAY_BOUNDS_EXCEEDED, "ARRAY_BOUNDS_EXCEEDED"},
    {EXCEPTION_FLT_DENORMAL_OPERAND, "FLT_DENORMAL_OPERAND"},
    {EXCEPTION_FLT_DIVIDE_BY_ZERO, "FLT_DIVIDE_BY_ZERO"},
    {EXCEPTION_FLT_INEXACT_RESULT, "FLT_INEXACT_RESULT"},
    {EXCEPTION_FLT_INVALID_OPERATION, "FLT_INVALID_OPERATION"},
    {EXCEPTION_FLT_OVERFLOW, "FLT_OVERFLOW"},
    {EXCEPTION_FLT_STACK_CHECK, "FLT_STACK_CHECK"},
    {EXCEPTION_FLT_UNDERFLOW, "FLT_UNDERFLOW"},
    {EXCEPTION_INT_DIVIDE_BY_ZERO, "INT_DIVIDE_BY_ZERO"},
    {EXCEPTION_INT_OVERFLOW, "INT_OVERFLOW"},
    {EXCEPTION_PRIV_INSTRUCTION, "PRIV_INSTRUCTION"},
    {EXCEPTION_STACK_OVERFLOW, "STACK_OVERFLOW"},
};

const char* KnownName(u32 code)
{
    for (const CodeName& c : kKnownCodes)
        if (c.code == code)
            return c.name;
    return nullptr;
}

// Reads memory that may not be mapped without faulting.
bool SafeRead(u64 address, void* out, size_t size)
{
    iovec local{out, size};
    iovec remote{reinterpret_cast<void*>(address), size};
    return process_vm_readv(getpid(), &local, 1, &remote, 1, 0) == ssize_t(size);
}

u32 CodeFromSignal(int sig, const siginfo_t* info)
{
    switch (sig) {
    case SIGFPE:
        switch (info->si_code) {
        case FPE_INTDIV:
            return EXCEPTION_INT_DIVIDE_BY_ZERO;
        case FPE_INTOVF:
            return EXCEPTION_INT_OVERFLOW;
        case FPE_FLTDIV:
            return EXCEPTION_FLT_DIVIDE_BY_ZERO;
        case FPE_FLTOVF:
            return EXCEPTION_FLT_OVERFLOW;
        case FPE_FLTUND:
            return EXCEPTION_FLT_UNDERFLOW;
        case FPE_FLTRES:
            return EXCEPTION_FLT_INEXACT_RESULT;
        case FPE_FLTSUB:
            return EXCEPTION_ARRAY_BOUNDS_EXCEEDED;
        default:
            return EXCEPTION_FLT_INVALID_OPERATION;
        }
    case SIGILL:
        return info->si_code == ILL_PRVOPC || info->si_code == ILL_PRVREG ? EXCEPTION_PRIV_INSTRUCTION
                                                                          : EXCEPTION_ILLEGAL_INSTRUCTION;
    case SIGBUS:
        return info->si_code == BUS_ADRALN ? EXCEPTION_DATATYPE_MISALIGNMENT : EXCEPTION_IN_PAGE_ERROR;
    case SIGTRAP:
        return EXCEPTION_BREAKPOINT;
    default:
        return EXCEPTION_ACCESS_VIOLATION;
    }
}

void FillContext(SeContext& c, const ucontext_t* uc)
{
#if defined(__x86_64__)
    const greg_t* g = uc->uc_mcontext.gregs;
    c.rax = u64(g[REG_RAX]);
    c.rbx = u64(g[REG_RBX]);
    c.rcx = u64(g[REG_RCX]);
    c.rdx = u64(g[REG_RDX]);
    c.rsi = u64(g[REG_RSI]);
    c.rdi = u64(g[REG_RDI]);
    c.rbp = u64(g[REG_RBP]);
    c.rsp = u64(g[REG_RSP]);
    c.r8 = u64(g[REG_R8]);
    c.r9 = u64(g[REG_R9]);
    c.r10 = u64(g[REG_R10]);
    c.r11 = u64(g[REG_R11]);
    c.r12 = u64(g[REG_R12]);
    c.r13 = u64(g[REG_R13]);
    c.r14 = u64(g[REG_R14]);
    c.r15 = u64(g[REG_R15]);
    c.rip = u64(g[REG_RIP]);
    c.eflags = u64(g[REG_EFL]);
    const u64 csgsfs = u64(g[REG_CSGSFS]);
    c.cs = u16(csgsfs & 0xFFFF);
    c.gs = u16((csgsfs >> 16) & 0xFFFF);
    c.fs = u16((csgsfs >> 32) & 0xFFFF);
#else
    (void)c;
    (void)uc;
#endif
}

bool IsWriteFault(const ucontext_t* uc)
{
#if defined(__x86_64__)
    // Bit 1 of the page-fault error code says the access was a write.
    return (uc->uc_mcontext.gregs[REG_ERR] & 2) != 0;
#else
    (void)uc;
    return false;
#endif
}

std::atomic<StackOverflowHandler> g_onStackOverflow{nullptr};
constexpr size_t kAltStackSize = 256 * 1024;
constexpr u64 kStackOverflowReach = 64 * 1024;

void FaultHandler(int sig, siginfo_t* info, void* context)
{
    const auto* uc = static_cast<const ucontext_t*>(context);
    SePointers pointers;
    FillContext(pointers.context, uc);
    SeRecord& record = pointers.record;
    record.code = CodeFromSignal(sig, info);
    record.address
        = pointers.context.rip ? pointers.context.rip : u64(reinterpret_cast<uintptr_t>(info->si_addr));
    if (record.code == EXCEPTION_ACCESS_VIOLATION) {
        const u64 target = u64(reinterpret_cast<uintptr_t>(info->si_addr));
        record.info[0] = IsWriteFault(uc) ? 1 : 0;
        record.info[1] = target;
        const u64 sp = pointers.context.rsp;
        const u64 distance = target > sp ? target - sp : sp - target;
        if (sig == SIGSEGV && distance < kStackOverflowReach)
            record.code = EXCEPTION_STACK_OVERFLOW;
    }

    if (record.code == EXCEPTION_STACK_OVERFLOW) {
        // The thread's stack is used up; nothing can be unwound. Report from
        // the alternate stack and end.
        CSeException e(record.code, &pointers);
        e.WalkStack(pointers.context.rbp);
        if (StackOverflowHandler handler = g_onStackOverflow.load())
            handler(e);
        _exit(kStackOverflowExitCode);
    }

    auto* e = new CSeException(record.code, &pointers);
    e->WalkStack(pointers.context.rbp);
    throw e;
}

}  // namespace

CSeException::CSeException(u32 code, const SePointers* pointers)
    : m_code(code)
    , m_hasPointers(pointers != nullptr)
    , m_pointers(pointers ? *pointers : SePointers{})
{
}

void CSeException::WalkStack(u64 framePointer)
{
    u64 frame = framePointer;
    for (u64& slot : m_stack) {
        u64 words[2];
        if (frame != 0 && SafeRead(frame, words, sizeof words) && words[0] != 0) {
            slot = words[1];
            frame = words[0];
        } else {
            slot = 0;
            frame = 0;
        }
    }
}

bool CSeException::FormatMessage(std::string& text, u32* helpContext) const
{
    if (helpContext)
        *helpContext = 0;
    if (!m_hasPointers)
        return false;
    const SeRecord& r = m_pointers.record;
    const char* name = KnownName(m_code);
    if (m_code != EXCEPTION_ACCESS_VIOLATION && name) {
        text = FormatText(
            "Exception %s (0x%.8x) at address 0x%.8llx.", name, m_code, (unsigned long long)r.address);
        return true;
    }
    text = FormatText("Exception %s (0x%.8x) at address 0x%.8llx trying to %s address 0x%.8llx.",
        m_code == EXCEPTION_ACCESS_VIOLATION ? "ACCESS_VIOLATION" : "Unknown exception", m_code,
        (unsigned long long)r.address, r.info[0] ? "write" : "read", (unsigned long long)r.info[1]);
    return m_code == EXCEPTION_ACCESS_VIOLATION;
}

bool CSeException::GetErrorMessage(char* buffer, u32 maxChars, u32* helpContext) const
{
    std::string text;
    FormatMessage(text, helpContext);
    if (!buffer || maxChars == 0)
        return false;
    if (text.size() >= maxChars) {
        buffer[0] = '\0';
        return false;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

int CSeException::ReportError(u32 type, u32) const
{
    std::string text;
    FormatMessage(text);
    return CurrentMessageSink().ShowMessage(nullptr, text, kProductName, type);
}

void CSeException::FormatRecord(std::string& text) const
{
    const SeRecord& r = m_pointers.record;
    const bool access = m_code == EXCEPTION_ACCESS_VIOLATION;
    text = FormatText("Exception code:\t\t%.8x\r\nException flags:\t%.8x\r\nException address:\t%.16llx\r\n"
                      "Access type:\t\t%s\r\nAccess address:\t\t%.16llx\r\n",
        m_code, r.flags, (unsigned long long)r.address, access ? (r.info[0] ? "write" : "read") : "",
        access ? (unsigned long long)r.info[1] : 0ULL);
}

void CSeException::FormatRegisters(std::string& text) const
{
    const SeContext& c = m_pointers.context;
    using ull = unsigned long long;
    text = FormatText("Registers:\r\nRAX=%.16llx CS=%.4x RIP=%.16llx EFLGS=%.8llx\r\n"
                      "RBX=%.16llx SS=%.4x RSP=%.16llx RBP=%.16llx\r\n"
                      "RCX=%.16llx DS=%.4x RSI=%.16llx FS=%.8x\r\n"
                      "RDX=%.16llx ES=%.4x RDI=%.16llx GS=%.8x\r\n",
        ull(c.rax), c.cs, ull(c.rip), ull(c.eflags), ull(c.rbx), c.ss, ull(c.rsp), ull(c.rbp), ull(c.rcx),
        c.ds, ull(c.rsi), unsigned(c.fs), ull(c.rdx), c.es, ull(c.rdi), unsigned(c.gs));
    text += FormatText("R8=%.16llx R9=%.16llx R10=%.16llx R11=%.16llx\r\n"
                       "R12=%.16llx R13=%.16llx R14=%.16llx R15=%.16llx\r\n",
        ull(c.r8), ull(c.r9), ull(c.r10), ull(c.r11), ull(c.r12), ull(c.r13), ull(c.r14), ull(c.r15));
}

void CSeException::FormatStack(std::string& text) const
{
    text = "Stack Trace:\r\n";
    for (int line = 0; line < kStackDepth / 4; ++line) {
        const u64* s = m_stack + line * 4;
        text += FormatText("%.16llx  %.16llx  %.16llx  %.16llx\r\n", (unsigned long long)s[0],
            (unsigned long long)s[1], (unsigned long long)s[2], (unsigned long long)s[3]);
    }
}

bool FormatModuleVersion(std::string& text)
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return false;
    path[n] = '\0';
    int v[4] = {0, 0, 0, 0};
    std::sscanf(TOLVA_VERSION_TEXT, "%d.%d.%d.%d", &v[0], &v[1], &v[2], &v[3]);
    text = std::string("Filename:\t") + path
        + FormatText("\r\nVersion:\t%d.%d.%d.%d\r\n", v[0], v[1], v[2], v[3]);
    return true;
}

void InstallSeTranslator(StackOverflowHandler onStackOverflow)
{
    g_onStackOverflow = onStackOverflow;
    static bool installed = false;
    if (installed)
        return;
    installed = true;

    static char* altStack = new char[kAltStackSize];
    stack_t ss{};
    ss.ss_sp = altStack;
    ss.ss_size = kAltStackSize;
    sigaltstack(&ss, nullptr);

    struct sigaction sa { };
    sa.sa_sigaction = &FaultHandler;
    sa.sa_flags = SA_SIGINFO | SA_NODEFER | SA_ONSTACK;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGSEGV, SIGFPE, SIGILL, SIGBUS})
        sigaction(sig, &sa, nullptr);
}
