#pragma once
// Whether the target has SSE2: every x64 target, and the x86 build, which
// requires it. Code that uses it keeps a plain version for other targets.
#if defined(__SSE2__) || defined(_M_X64)
#define PNG_SSE2 1
#include <emmintrin.h>
#endif
