#pragma once

// For the product that reads the bundle answer: one call tells what the
// installer recorded. Built with a C++ compiler, callable from C and C++.

#ifdef _WIN32
#include <windows.h>
#else
#include "win32.h"
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum bundle_answer {
    // Nothing usable is recorded: the helper never ran, or the value holds
    // anything but exactly what the helper writes. Treat it as no consent.
    bundle_answer_not_recorded = 0,
    bundle_answer_no = 1,
    bundle_answer_yes = 2,
};

// Reads the REG_SZ value bundle_reg_data of the key
//   HKEY_LOCAL_MACHINE\SOFTWARE\Kelvaro\Brisolde\CurrentVersion\Configuration
// in the 32-bit registry view, where the 32-bit helper writes it, so that
// 32-bit and 64-bit products agree.
// Only "yes" or "no" with its terminating NUL, nothing before or after it,
// counts as an answer: another type, another text or letter case, a missing
// NUL or anything longer is not recorded. So is everything a process reads
// while Windows virtualizes its registry: what it would read is partly the
// user's own. A product that reads the answer carries a manifest with a
// requestedExecutionLevel, which turns virtualization off.
enum bundle_answer read_bundle_answer(void);

#ifdef __cplusplus
}
#endif
