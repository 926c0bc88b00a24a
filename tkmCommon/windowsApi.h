// SPDX-License-Identifier: MIT
// The Windows API for the files that need it, without the parts of
// windows.h that clash with standard names (min, max).
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif
