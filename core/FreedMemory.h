// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#ifdef __GLIBC__
#include <malloc.h>
#endif

// glibc keeps freed memory for reuse. A process that has just dropped something large (a window's
// whole scene, a hostile answer in a million pieces) and lives on in the background should give it
// back to the system.
inline void returnFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}
