// SPDX-License-Identifier: MIT
// Counts every allocation of the process while counting is on; the test binary
// that links countingMalloc.cpp has its malloc family replaced by counters
// that forward to the C library's own allocator.
#pragma once

void startCountingAllocations();
// Stops counting and returns the allocations made since the start.
long stopCountingAllocations();
