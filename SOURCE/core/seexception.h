// Processor faults (bad memory accesses, integer division by zero, illegal
// instructions) turned into thrown CSeException pointers, so that the
// program's handlers can report them and go on. The code is compiled with
// -fnon-call-exceptions so a faulting instruction may throw.
#pragma once

#include "platform/wintypes.h"

#include <functional>
#include <string>

// Exception codes, as the report names them.
constexpr u32 EXCEPTION_ACCESS_VIOLATION = 0xC0000005;
constexpr u32 EXCEPTION_DATATYPE_MISALIGNMENT = 0x80000002;
constexpr u32 EXCEPTION_BREAKPOINT = 0x80000003;
constexpr u32 EXCEPTION_SINGLE_STEP = 0x80000004;
constexpr u32 EXCEPTION_GUARD_PAGE = 0x80000001;
constexpr u32 EXCEPTION_IN_PAGE_ERROR = 0xC0000006;
constexpr u32 EXCEPTION_INVALID_HANDLE = 0xC0000008;
constexpr u32 EXCEPTION_ILLEGAL_INSTRUCTION = 0xC000001D;
constexpr u32 EXCEPTION_NONCONTINUABLE_EXCEPTION = 0xC0000025;
constexpr u32 EXCEPTION_INVALID_DISPOSITION = 0xC0000026;
constexpr u32 EXCEPTION_ARRAY_BOUNDS_EXCEEDED = 0xC000008C;
constexpr u32 EXCEPTION_FLT_DENORMAL_OPERAND = 0xC000008D;
constexpr u32 EXCEPTION_FLT_DIVIDE_BY_ZERO = 0xC000008E;
constexpr u32 EXCEPTION_FLT_INEXACT_RESULT = 0xC000008F;
constexpr u32 EXCEPTION_FLT_INVALID_OPERATION = 0xC0000090;
constexpr u32 EXCEPTION_FLT_OVERFLOW = 0xC0000091;
constexpr u32 EXCEPTION_FLT_STACK_CHECK = 0xC0000092;
constexpr u32 EXCEPTION_FLT_UNDERFLOW = 0xC0000093;
constexpr u32 EXCEPTION_INT_DIVIDE_BY_ZERO = 0xC0000094;
constexpr u32 EXCEPTION_INT_OVERFLOW = 0xC0000095;
constexpr u32 EXCEPTION_PRIV_INSTRUCTION = 0xC0000096;
constexpr u32 EXCEPTION_STACK_OVERFLOW = 0xC00000FD;

constexpr int kStackDepth = 32;
// The exit code of a run ended by a processor fault.
constexpr int kFaultExitCode = 3;

// A text built in place, without the heap or the C library's formatting, so
// that a signal handler may build it: the report of a fault that nothing can
// catch is written from inside the handler. What does not fit is cut.
class FixedText {
public:
    static constexpr size_t kCapacity = 16384;

    void Add(const char* text);
    void Add(const char* text, size_t length);
    // Lower-case hex digits, at least the given number of them.
    void AddHex(u64 value, int minDigits);
    void AddDecimal(u64 value);
    void Clear() { m_size = 0; }
    const char* Data() const { return m_text; }
    // The text with a NUL after it.
    const char* CStr()
    {
        m_text[m_size] = '\0';
        return m_text;
    }
    size_t Size() const { return m_size; }
    std::string ToString() const { return std::string(m_text, m_size); }

private:
    char m_text[kCapacity + 1];
    size_t m_size = 0;
};

// What the fault left behind: the record and the processor's registers,
// copied when the fault is translated, since the signal frame is gone by the
// time the report is written.
struct SeRecord {
    u32 code = 0;
    u32 flags = 0;
    u64 address = 0;
    u64 info[2] = {0, 0};  // for access violations: 1 write / 0 read, and the address touched
};

struct SeContext {
    u64 rax = 0, rbx = 0, rcx = 0, rdx = 0, rsi = 0, rdi = 0, rbp = 0, rsp = 0;
    u64 r8 = 0, r9 = 0, r10 = 0, r11 = 0, r12 = 0, r13 = 0, r14 = 0, r15 = 0;
    u64 rip = 0, eflags = 0;
    u16 cs = 0, ss = 0, ds = 0, es = 0, fs = 0, gs = 0;
};

struct SePointers {
    SeRecord record;
    SeContext context;
};

class CSeException {
public:
    CSeException(u32 code, const SePointers* pointers);
    CSeException(const CSeException&) = default;
    virtual ~CSeException() = default;

    u32 GetSeCode() const { return m_code; }
    const SePointers* GetSePointers() const { return m_hasPointers ? &m_pointers : nullptr; }
    u64 GetExceptionAddress() const { return m_hasPointers ? m_pointers.record.address : 0; }
    const u64* GetStack() const { return m_stack; }

    // Heap objects thrown by the translator delete themselves.
    void Delete();
    // The report of a thrown fault is written: nothing waits for it any more.
    // Until then (or Delete), a report that does not come within a few
    // seconds is taken for hung, and the run ends with the fatal report.
    void MarkReported() const;

    // The exception line; false for unknown codes and without pointers
    // (the text is then left as it was).
    bool FormatMessage(std::string& text, u32* helpContext = nullptr) const;
    bool GetErrorMessage(char* buffer, u32 maxChars, u32* helpContext = nullptr) const;
    // Shows the line in a message box; returns its result.
    int ReportError(u32 type, u32 helpId = 0) const;

    void FormatRecord(std::string& text) const;
    void FormatRegisters(std::string& text) const;
    // One line a frame: its address, and the module and offset it lies at.
    void FormatStack(std::string& text) const;

    // The same texts, built in place (safe inside a signal handler).
    bool AppendMessage(FixedText& text) const;
    void AppendRecord(FixedText& text) const;
    void AppendRegisters(FixedText& text) const;
    void AppendStack(FixedText& text) const;

    // Walks the calling thread's stack with the unwinder, keeping up to 32
    // addresses: the fault's address, then the return addresses of the
    // frames below the one that faulted (with no fault address, those
    // below the caller). Entries after the walk stops are 0. Safe in a
    // signal handler once the translator is installed.
    void WalkStack(u64 faultAddress);

private:
    u32 m_code;
    bool m_hasPointers;
    SePointers m_pointers;
    u64 m_stack[kStackDepth] = {};
};

// How a service hands a fault it caught to the application's error report
// (log and dialog).
using SeReporter = std::function<void(const CSeException&)>;

// "Filename:\t%s\r\nVersion:\t%d.%d.%d.%d\r\n"; false when the program's
// path cannot be had.
bool FormatModuleVersion(std::string& text);

// Installs the fault handlers for the process (once; later calls only change
// the fatal handler). A fault is thrown as a CSeException* for the program's
// handlers to catch. Where that cannot work, the fatal handler given here is
// called from inside the fault's signal handling, and the program then ends
// with kFaultExitCode: when the stack ran out, and when unwinding cannot
// reach a handler (a frame the unwinder cannot pass, an access the compiler
// gave no unwind entry, or nothing that catches at all, as on a thread).
// The fatal handler may only do what is safe in a signal handler.
// A fault while the fatal report is written ends the run at once, with the
// report's first lines (BuildFatalReportHead) in the log.
using FatalFaultHandler = void (*)(const CSeException&);
void InstallSeTranslator(FatalFaultHandler onFatalFault = nullptr);
// Where the program was loaded (it is position-independent): the report's
// addresses are relative to it. Found once, outside any signal handler (when
// the translator is installed or the fatal report prepared).
u64 ModuleLoadAddress();
