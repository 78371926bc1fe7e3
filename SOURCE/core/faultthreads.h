// The threads behind the fault handling: every thread the program starts
// gets an alternate signal stack, so that a stack overflow on it can still
// be reported, and a watchdog thread ends the run with the heap-free report
// when the ordinary report of a fault does not come.
#pragma once

#include "platform/wintypes.h"

// Gives the calling thread an alternate signal stack of its own (the
// program's first thread; the others get theirs as they start).
void SetUpThreadSignalStack();

// Starts the watchdog of this process (once; again in a forked child). Once
// woken it calls `check` every tick until that returns false.
void StartFaultWatchdog(bool (*check)());
// Safe in a signal handler.
void WakeFaultWatchdog();
// Milliseconds of a clock that never jumps; safe in a signal handler.
u64 MonotonicMilliseconds();
