#pragma once
// The four entry points an in-process library exports, written once. Expand one macro at
// namespace scope in the library's own source file (not in a static library it links, whose
// unreferenced objects the linker would drop).

#include "platform/base/ModulePath.h"
#include "platform/com/Runtime.h"

#include <string>

// Answers from ns::classTable() and forwards to ns::registerServer(path) /
// ns::unregisterServer(path) with the resolved path of the library itself. The anchor has
// internal linkage: the address of an exported symbol could resolve to another library's.
#define ORVEL_MODULE_ENTRY_POINTS(ns)                                                              \
    namespace {                                                                                    \
    std::string orvelThisModulePath()                                                              \
    {                                                                                              \
        return modulePathOf(reinterpret_cast<const void*>(&orvelThisModulePath));                  \
    }                                                                                              \
    }                                                                                              \
    ORVEL_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)               \
    {                                                                                              \
        return ns::classTable().getClassObject(rclsid, riid, ppv);                                 \
    }                                                                                              \
    ORVEL_EXPORT HRESULT DllCanUnloadNow()                                                         \
    {                                                                                              \
        return ns::classTable().canUnloadNow();                                                    \
    }                                                                                              \
    ORVEL_EXPORT HRESULT DllRegisterServer()                                                       \
    {                                                                                              \
        return ns::registerServer(orvelThisModulePath());                                          \
    }                                                                                              \
    ORVEL_EXPORT HRESULT DllUnregisterServer()                                                     \
    {                                                                                              \
        return ns::unregisterServer(orvelThisModulePath());                                        \
    }                                                                                              \
    static_assert(true, "a semicolon follows the macro")

// For a library that serves no class yet: creation answers CLASS_E_CLASSNOTAVAILABLE and
// registration writes nothing, so no class id in the registry leads to a library that cannot
// create it.
#define ORVEL_UNSERVED_MODULE_ENTRY_POINTS()                                                       \
    ORVEL_EXPORT HRESULT DllGetClassObject(REFCLSID, REFIID, void** ppv)                           \
    {                                                                                              \
        if (ppv)                                                                                   \
            *ppv = nullptr;                                                                        \
        return CLASS_E_CLASSNOTAVAILABLE;                                                          \
    }                                                                                              \
    ORVEL_EXPORT HRESULT DllCanUnloadNow()                                                         \
    {                                                                                              \
        return S_OK;                                                                               \
    }                                                                                              \
    ORVEL_EXPORT HRESULT DllRegisterServer()                                                       \
    {                                                                                              \
        return S_OK;                                                                               \
    }                                                                                              \
    ORVEL_EXPORT HRESULT DllUnregisterServer()                                                     \
    {                                                                                              \
        return S_OK;                                                                               \
    }                                                                                              \
    static_assert(true, "a semicolon follows the macro")
