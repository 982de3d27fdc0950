#pragma once

#include "win32/UniqueHandle.h"

// Threads that run this module's code hold a reference on the module while they run, so a
// host unloading it cannot pull the code from under them. Start them with StartModuleThread
// and let their procedure end with ExitModuleThread.
CKernelHandle StartModuleThread(LPTHREAD_START_ROUTINE procedure, void* argument);
// Gives the reference back as the thread's very last act (returns only when the code lives
// in the executable itself, which holds no such reference).
void ExitModuleThread();
// Keeps this module loaded until the process ends, whatever references are given back.
void PinModule();
