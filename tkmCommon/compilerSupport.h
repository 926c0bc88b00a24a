// SPDX-License-Identifier: MIT
// What some compilers offer beyond the language, behind macros that every
// compiler accepts: the results never depend on them.
#pragma once

// printf-style argument checking where the compiler offers it.
#if defined(__GNUC__) || defined(__clang__)
#define PRINTF_FORMAT(formatIndex, firstArgument) \
    __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define PRINTF_FORMAT(formatIndex, firstArgument)
#endif

// Keeps a rarely taken path out of the function that calls it.
#if defined(_MSC_VER)
#define NOT_INLINED __declspec(noinline)
#elif defined(__GNUC__)
#define NOT_INLINED __attribute__((noinline))
#else
#define NOT_INLINED
#endif

// The index of the lowest set bit of a nonzero 64-bit value, where the
// compiler has an instruction for it; elsewhere a portable product does.
#if defined(__GNUC__)
#define LOWEST_SET_BIT(value) __builtin_ctzll(value)
#endif
