// The few Windows types the engine interface names. On Windows they come from
// <windows.h>; elsewhere the project declares look-alikes so that the portable
// layers build and are tested natively.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdint>

typedef struct HWND__* HWND;
typedef struct HMONITOR__* HMONITOR;
typedef unsigned int UINT;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
#endif
