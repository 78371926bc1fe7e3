#include "core/seexception.h"

#include "core/errorreport.h"
#include "core/faultthreads.h"
#include "core/utilities.h"
#include "tolvaversion.h"

#include <QCoreApplication>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cxxabi.h>
#include <dlfcn.h>
#include <exception>
#include <link.h>
#include <new>
#include <setjmp.h>
#include <typeinfo>
#include <ucontext.h>
#include <unistd.h>
#include <unwind.h>

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

std::atomic<FatalFaultHandler> g_onFatalFault{nullptr};
std::atomic<bool> g_endingAfterFault{false};
// The thread that writes the fatal report, and the first lines of that
// report, which go to the log alone when writing the rest faults again.
std::atomic<pid_t> g_reportingThread{0};
std::atomic<bool> g_headLogged{false};
FixedText g_head;
// The fault last thrown, for the terminate handler: the exception object
// itself cannot be reached there without the heap.
std::atomic<CSeException*> g_thrown{nullptr};
std::terminate_handler g_previousTerminate = nullptr;
constexpr u64 kStackOverflowReach = 64 * 1024;
// How long the ordinary report of a fault may take before the watchdog
// takes it for hung (the heap's lock held by the thread that faulted).
constexpr u64 kReportGraceMilliseconds = 3000;
// How long a thread that faults while another writes the fatal report
// waits for that report to end the run.
constexpr int kOtherReportWaitTicks = 100;

// The faults thrown and not yet deleted live here, each with the buffer
// the C++ runtime throws it in, taken at start-up: the heap may be what
// faulted, and its lock may be held by the very thread that faulted.
enum SlotState : int {
    kSlotFree,
    kSlotInUse,  // thrown; its report was written
    kSlotArmed,  // thrown; the watchdog waits for its report
    kSlotFatal,  // the watchdog reports it and ends the run
};

struct FaultSlot {
    std::atomic<int> state{kSlotFree};
    std::atomic<u64> armedAt{0};
    std::atomic<void*> buffer{nullptr};
    alignas(CSeException) unsigned char storage[sizeof(CSeException)];

    CSeException* Object() { return std::launder(reinterpret_cast<CSeException*>(storage)); }
};

constexpr int kFaultSlots = 8;
FaultSlot g_slots[kFaultSlots];

FaultSlot* SlotOf(const CSeException* e)
{
    for (FaultSlot& slot : g_slots)
        if (static_cast<const void*>(slot.storage) == static_cast<const void*>(e))
            return &slot;
    return nullptr;
}

void* NewThrowBuffer()
{
    return abi::__cxa_allocate_exception(sizeof(CSeException*));
}

// Safe in a signal handler.
FaultSlot* TakeSlot()
{
    for (FaultSlot& slot : g_slots) {
        int expected = kSlotFree;
        if (!slot.state.compare_exchange_strong(expected, kSlotInUse))
            continue;
        if (slot.buffer.load())
            return &slot;
        slot.state = kSlotFree;
    }
    return nullptr;
}

// The report is done (or no longer awaited): the watchdog lets the fault
// go. False when the watchdog took it already.
bool Disarm(FaultSlot& slot)
{
    int expected = kSlotArmed;
    slot.state.compare_exchange_strong(expected, kSlotInUse);
    return expected != kSlotFatal;
}

[[noreturn]] void WaitForOtherReport()
{
    // The thread that reports ends the run; should it never get there, the
    // run ends all the same.
    for (int i = 0; i < kOtherReportWaitTicks; ++i) {
        timespec tick{0, 100 * 1000 * 1000};
        nanosleep(&tick, nullptr);
    }
    _exit(kFaultExitCode);
}

[[noreturn]] void EndAfterFatalFault(const CSeException& e)
{
    if (g_endingAfterFault.exchange(true))
        WaitForOtherReport();
    g_reportingThread = gettid();
    BuildFatalReportHead(e, g_head);
    if (FatalFaultHandler handler = g_onFatalFault.load())
        handler(e);
    _exit(kFaultExitCode);
}

// A fault after the fatal report began: in the report itself, what is known
// of the first fault goes to the log and the run ends; on another thread,
// the report is let finish.
[[noreturn]] void OnFaultWhileEnding()
{
    if (g_reportingThread.load() != gettid())
        WaitForOtherReport();
    if (!g_headLogged.exchange(true))
        AppendFatalReport(g_head);
    _exit(kFaultExitCode);
}

// Run by the watchdog while faults wait for their reports; false when none
// waits any more.
bool CheckWaitingReports()
{
    bool waiting = false;
    const u64 now = MonotonicMilliseconds();
    for (FaultSlot& slot : g_slots) {
        if (slot.state.load() != kSlotArmed)
            continue;
        waiting = true;
        int expected = kSlotArmed;
        if (now - slot.armedAt.load() >= kReportGraceMilliseconds
            && slot.state.compare_exchange_strong(expected, kSlotFatal))
            EndAfterFatalFault(*slot.Object());
    }
    return waiting;
}

// Called when a thrown fault finds no handler, or meets a frame the unwinder
// cannot pass: the run is still inside the fault's handling (nothing was
// unwound to a handler), so only the fatal handler's safe writes are done.
void OnTerminate()
{
    const std::type_info* type = abi::__cxa_current_exception_type();
    if (type && *type == typeid(CSeException*))
        if (const CSeException* e = g_thrown.load())
            EndAfterFatalFault(*e);
    if (g_previousTerminate)
        g_previousTerminate();
    std::abort();
}

// Set while this thread walks its stack: a fault in the walk (a stack
// damaged past reading) ends the walk instead of reporting itself.
thread_local sigjmp_buf* t_walkEscape = nullptr;

// Nothing from here to the throw allocates or takes a lock: the unwinder
// finds each frame's unwind table, and the report each frame's module,
// through the loader's lookup (_dl_find_object), which takes none.
void FaultHandler(int sig, siginfo_t* info, void* context)
{
    if (sigjmp_buf* escape = t_walkEscape)
        siglongjmp(*escape, 1);
    if (g_endingAfterFault.load())
        OnFaultWhileEnding();
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

    FaultSlot* slot = record.code == EXCEPTION_STACK_OVERFLOW ? nullptr : TakeSlot();
    if (!slot) {
        // The thread's stack is used up, or too many faults are pending:
        // nothing can be unwound. Report from the alternate stack and end.
        CSeException e(record.code, &pointers);
        e.WalkStack(pointers.context.rip);
        EndAfterFatalFault(e);
    }

    auto* e = new (slot->storage) CSeException(record.code, &pointers);
    e->WalkStack(pointers.context.rip);
    void* buffer = slot->buffer.exchange(nullptr);
    slot->armedAt = MonotonicMilliseconds();
    slot->state = kSlotArmed;
    WakeFaultWatchdog();
    g_thrown = e;
    // What `throw e` does, in the buffer taken at start-up.
    *static_cast<CSeException**>(buffer) = e;
    abi::__cxa_throw(buffer, const_cast<std::type_info*>(&typeid(CSeException*)), nullptr);
}

u64 g_moduleBase = 0;
// The program's own file name: the module list names it with "".
char g_programName[256] = "";

// The unwinder follows each frame's unwind table: code built without frame
// pointers (the C library, Qt) is walked through as well.
struct StackWalk {
    u64* stack;
    int count;
    u64 faultAddress;  // 0: from the caller of the walk
    bool started;
};

_Unwind_Reason_Code OnFrame(_Unwind_Context* context, void* argument)
{
    auto& walk = *static_cast<StackWalk*>(argument);
    int beforeInstruction = 0;
    const u64 ip = u64(_Unwind_GetIPInfo(context, &beforeInstruction));
    if (!walk.started) {
        // The frames of the fault's handling come first, then the frame
        // that faulted, at the fault's address; without an address the
        // walk's own frame comes first.
        walk.started = walk.faultAddress == 0 || ip == walk.faultAddress;
        return _URC_NO_REASON;
    }
    if (ip == 0 || walk.count >= kStackDepth)
        return _URC_END_OF_STACK;
    walk.stack[walk.count++] = ip;
    return _URC_NO_REASON;
}

_Unwind_Reason_Code IgnoreFrame(_Unwind_Context*, void*)
{
    return _URC_NO_REASON;
}

// "libc.so.6+0x9d3c5": the file the address lies in and how far into it.
// Safe in a signal handler: the loader's lookup takes no lock, while its
// module list (dl_iterate_phdr) is walked under the loader's lock, which
// the faulting thread may hold (a fault in the middle of loading a
// library) or another thread may keep.
void AppendModuleOffset(FixedText& text, u64 address)
{
    dl_find_object found{};
    if (_dl_find_object(reinterpret_cast<void*>(uintptr_t(address)), &found) != 0 || !found.dlfo_link_map
        || !found.dlfo_link_map->l_name) {
        text.Add("(no module)");
        return;
    }
    const char* name = *found.dlfo_link_map->l_name ? found.dlfo_link_map->l_name : g_programName;
    if (const char* slash = std::strrchr(name, '/'))
        name = slash + 1;
    text.Add(*name ? name : "?");
    text.Add("+0x");
    text.AddHex(address - u64(found.dlfo_link_map->l_addr), 1);
}

void FindProgramName()
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return;
    path[n] = '\0';
    const char* slash = std::strrchr(path, '/');
    const char* name = slash ? slash + 1 : path;
    const std::size_t length = std::min(std::strlen(name), sizeof g_programName - 1);
    std::memcpy(g_programName, name, length);
    g_programName[length] = '\0';
}

}  // namespace

CSeException::CSeException(u32 code, const SePointers* pointers)
    : m_code(code)
    , m_hasPointers(pointers != nullptr)
    , m_pointers(pointers ? *pointers : SePointers{})
{
}

void CSeException::WalkStack(u64 faultAddress)
{
    std::fill(std::begin(m_stack), std::end(m_stack), 0);
    StackWalk walk{m_stack, 0, faultAddress, false};
    if (faultAddress != 0)
        m_stack[walk.count++] = faultAddress;
    sigjmp_buf escape;
    if (sigsetjmp(escape, 0) == 0) {
        t_walkEscape = &escape;
        _Unwind_Backtrace(&OnFrame, &walk);
    }
    t_walkEscape = nullptr;
}

void CSeException::Delete()
{
    CSeException* self = this;
    g_thrown.compare_exchange_strong(self, nullptr);
    FaultSlot* slot = SlotOf(this);
    if (!slot) {
        delete this;
        return;
    }
    // Ready for the next fault before the watchdog lets go of this one.
    if (!slot->buffer.load())
        slot->buffer = NewThrowBuffer();
    if (!Disarm(*slot))
        return;  // the watchdog reports it; the run is ending
    this->~CSeException();
    slot->state = kSlotFree;
}

void CSeException::MarkReported() const
{
    if (FaultSlot* slot = SlotOf(this))
        Disarm(*slot);
}

bool CSeException::AppendMessage(FixedText& text) const
{
    if (!m_hasPointers)
        return false;
    const SeRecord& r = m_pointers.record;
    const char* name = KnownName(m_code);
    const bool access = m_code == EXCEPTION_ACCESS_VIOLATION;
    text.Add("Exception ");
    text.Add(access ? "ACCESS_VIOLATION" : name ? name : "Unknown exception");
    text.Add(" (0x");
    text.AddHex(m_code, 8);
    text.Add(") at address 0x");
    text.AddHex(r.address, 8);
    if (name && !access) {
        text.Add(".");
        return true;
    }
    text.Add(" trying to ");
    text.Add(r.info[0] ? "write" : "read");
    text.Add(" address 0x");
    text.AddHex(r.info[1], 8);
    text.Add(".");
    return access;
}

bool CSeException::FormatMessage(std::string& text, u32* helpContext) const
{
    if (helpContext)
        *helpContext = 0;
    FixedText line;
    const bool known = AppendMessage(line);
    if (m_hasPointers)
        text = line.ToString();
    return known;
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

void CSeException::AppendRecord(FixedText& text) const
{
    const SeRecord& r = m_pointers.record;
    const bool access = m_code == EXCEPTION_ACCESS_VIOLATION;
    text.Add("Exception code:\t\t");
    text.AddHex(m_code, 8);
    text.Add("\r\nException flags:\t");
    text.AddHex(r.flags, 8);
    text.Add("\r\nException address:\t");
    text.AddHex(r.address, 16);
    text.Add("\r\nAccess type:\t\t");
    text.Add(access ? (r.info[0] ? "write" : "read") : "");
    text.Add("\r\nAccess address:\t\t");
    text.AddHex(access ? r.info[1] : 0, 16);
    text.Add("\r\n");
}

void CSeException::AppendRegisters(FixedText& text) const
{
    const SeContext& c = m_pointers.context;
    struct Register {
        const char* label;  // with the separator before it
        u64 value;
        int digits;
    };
    const Register registers[] = {
        {"RAX=", c.rax, 16},
        {" CS=", c.cs, 4},
        {" RIP=", c.rip, 16},
        {" EFLGS=", c.eflags, 8},
        {"\r\nRBX=", c.rbx, 16},
        {" SS=", c.ss, 4},
        {" RSP=", c.rsp, 16},
        {" RBP=", c.rbp, 16},
        {"\r\nRCX=", c.rcx, 16},
        {" DS=", c.ds, 4},
        {" RSI=", c.rsi, 16},
        {" FS=", c.fs, 8},
        {"\r\nRDX=", c.rdx, 16},
        {" ES=", c.es, 4},
        {" RDI=", c.rdi, 16},
        {" GS=", c.gs, 8},
        {"\r\nR8=", c.r8, 16},
        {" R9=", c.r9, 16},
        {" R10=", c.r10, 16},
        {" R11=", c.r11, 16},
        {"\r\nR12=", c.r12, 16},
        {" R13=", c.r13, 16},
        {" R14=", c.r14, 16},
        {" R15=", c.r15, 16},
    };
    text.Add("Registers:\r\n");
    for (const Register& r : registers) {
        text.Add(r.label);
        text.AddHex(r.value, r.digits);
    }
    text.Add("\r\n");
}

void CSeException::AppendStack(FixedText& text) const
{
    text.Add("Stack Trace:\r\n");
    for (int i = 0; i < kStackDepth && m_stack[i] != 0; ++i) {
        text.AddHex(m_stack[i], 16);
        text.Add("  ");
        AppendModuleOffset(text, m_stack[i]);
        text.Add("\r\n");
    }
}

void CSeException::FormatRecord(std::string& text) const
{
    FixedText block;
    AppendRecord(block);
    text = block.ToString();
}

void CSeException::FormatRegisters(std::string& text) const
{
    FixedText block;
    AppendRegisters(block);
    text = block.ToString();
}

void CSeException::FormatStack(std::string& text) const
{
    FixedText block;
    AppendStack(block);
    text = block.ToString();
}

void FixedText::Add(const char* text)
{
    Add(text, std::strlen(text));
}

void FixedText::Add(const char* text, size_t length)
{
    const size_t n = std::min(length, kCapacity - m_size);
    std::memcpy(m_text + m_size, text, n);
    m_size += n;
}

void FixedText::AddHex(u64 value, int minDigits)
{
    char digits[16];
    int n = 0;
    do {
        digits[15 - n++] = "0123456789abcdef"[value & 0xF];
        value >>= 4;
    } while (value != 0 || n < minDigits);
    Add(digits + 16 - n, size_t(n));
}

void FixedText::AddDecimal(u64 value)
{
    char digits[20];
    int n = 0;
    do {
        digits[19 - n++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    Add(digits + 20 - n, size_t(n));
}

bool FormatModuleVersion(std::string& text)
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return false;
    path[n] = '\0';
    text = std::string("Filename:\t") + path
        + FormatText(
            "\r\nVersion:\t%d.%d.%d.%d\r\n", kVersionMajor, kVersionMinor, kVersionPatch, kVersionTweak);
    return true;
}

u64 ModuleLoadAddress()
{
    if (g_moduleBase == 0) {
        Dl_info module{};
        if (dladdr(reinterpret_cast<void*>(&InstallSeTranslator), &module) != 0)
            g_moduleBase = u64(reinterpret_cast<uintptr_t>(module.dli_fbase));
    }
    return g_moduleBase;
}

void InstallSeTranslator(FatalFaultHandler onFatalFault)
{
    g_onFatalFault = onFatalFault;
    StartFaultWatchdog(&CheckWaitingReports);
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    FindProgramName();
    // The unwinder and the loader's lookup set themselves up on first use
    // (lazy binding, caches): done here, so that the fault handler's walk
    // neither allocates nor binds.
    _Unwind_Backtrace(&IgnoreFrame, nullptr);
    dl_find_object found{};
    _dl_find_object(reinterpret_cast<void*>(uintptr_t(ModuleLoadAddress())), &found);
    for (FaultSlot& slot : g_slots)
        slot.buffer = NewThrowBuffer();
    g_previousTerminate = std::set_terminate(&OnTerminate);
    SetUpThreadSignalStack();

    struct sigaction sa { };
    sa.sa_sigaction = &FaultHandler;
    sa.sa_flags = SA_SIGINFO | SA_NODEFER | SA_ONSTACK;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGSEGV, SIGFPE, SIGILL, SIGBUS})
        sigaction(sig, &sa, nullptr);
}
