#pragma once

// The eight exports of Init's two C++ objects, for hosts built with the module's own compiler
// and C++ runtime that link to it or look them up with GetProcAddress. They are declared, with
// the rest of the plain C interface, in norvik.h. All are called on the host's GUI thread.

#include "norvik/EditorHost.h"
#include "norvik/norvik.h"

#define NORVIK_API extern "C" NORVIK_C_EXPORT

using InitFunction = bool(NORVIK_CALL*)(IEditorHost*, IEditorFocusHandler*);
using ActivateFunction = NorvikActivateFunction;
using VoidFunction = NorvikVoidFunction;
using IntFunction = NorvikIntFunction;
using WindowFunction = NorvikWindowFunction;
