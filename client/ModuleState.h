#pragma once
// The process-wide objects of the client library. They are created when the library is loaded
// and destroyed when it is unloaded (moduleLoad/moduleUnload, called from the library's load
// and unload points), never by static initialisers, so no thread or file outlives the library.

#include "client/Log.h"
#include "client/Resources.h"
#include "client/ThreadRegistry.h"
#include "platform/com/LiveCount.h"

#include <string>

namespace lumin {

struct ModuleObjects {
    Log log;
    ThreadRegistry threads;
    ResourceInstance resources;
};

// Live objects and factory locks; DllCanUnloadNow answers from it.
LiveCount& moduleLiveCount();

// Null before load and after unload (and in programs that link the private library without
// loading the module).
ModuleObjects* moduleObjects();

void moduleLoad();
void moduleUnload();

// The file this library was loaded from.
std::string modulePath();

// Writing to the process log; nothing happens when there is none.
void logLine(UI4 level, const char* text);
void logFormatted(UI4 level, const char* format, ...) __attribute__((format(printf, 2, 3)));
void logError(HRESULT hr);

} // namespace lumin
