#include "client/ModuleState.h"

#include "platform/base/ModulePath.h"

#include <cstdarg>
#include <cstdlib>
#include <new>

namespace lumin {
namespace {

// Plain constant-initialised globals: the count must be readable before load and after unload.
constinit LiveCount g_liveCount;
constinit ModuleObjects* g_objects = nullptr;

} // namespace

LiveCount& moduleLiveCount()
{
    return g_liveCount;
}

ModuleObjects* moduleObjects()
{
    return g_objects;
}

void moduleLoad()
{
    if (!g_objects)
        g_objects = new (std::nothrow) ModuleObjects;
}

void moduleUnload()
{
    ModuleObjects* objects = g_objects;
    if (!objects)
        return;
    // Order matters: worker threads still registered are stopped first, since they log and
    // take the dialog mutex; then the log is closed, then the rest goes.
    objects->threads.terminateAll();
    objects->log.close();
    g_objects = nullptr;
    delete objects;
}

std::string modulePath()
{
    return modulePathOf(reinterpret_cast<const void*>(&modulePath));
}

void logLine(UI4 level, const char* text)
{
    if (ModuleObjects* objects = g_objects)
        objects->log.writeLine(level, text);
}

void logFormatted(UI4 level, const char* format, ...)
{
    ModuleObjects* objects = g_objects;
    if (!objects)
        return;
    va_list args;
    va_start(args, format);
    objects->log.writeFormattedV(level, format, args);
    va_end(args);
}

void logError(HRESULT hr)
{
    if (ModuleObjects* objects = g_objects)
        objects->log.writeError(hr);
}

} // namespace lumin
