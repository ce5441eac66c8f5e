#pragma once
// Object creation by class id, with the Win32 names. In-process classes are found under
// HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32 (the shared library's path), local servers
// under LocalServer32 (the program, started with "-Embedding").

#include "platform/com/Unknown.h"

enum CLSCTX : DWORD {
    CLSCTX_INPROC_SERVER = 0x1,
    CLSCTX_INPROC_HANDLER = 0x2,
    CLSCTX_LOCAL_SERVER = 0x4,
    CLSCTX_REMOTE_SERVER = 0x10,
    CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
    CLSCTX_SERVER = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER,
    CLSCTX_ALL =
        CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER,
};

enum REGCLS : DWORD {
    REGCLS_SINGLEUSE = 0,
    REGCLS_MULTIPLEUSE = 1,
    REGCLS_MULTI_SEPARATE = 2,
    REGCLS_SUSPENDED = 4,
};

constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
constexpr DWORD COINIT_MULTITHREADED = 0x0;

// Counted per process (there are no apartments): S_OK for the first call, S_FALSE after. The
// last CoUninitialize ends a local server's connection to its creator. Creation works without
// them; programs call them as on Windows.
HRESULT CoInitialize(void* reserved);
HRESULT CoInitializeEx(void* reserved, DWORD coInit);
void CoUninitialize();

// Order: class objects this process registered (for CLSCTX_LOCAL_SERVER), then InprocServer32
// (the library is loaded once and kept until CoFreeUnusedLibraries), then LocalServer32 (see
// LocalServer.h). E_INVALIDARG for a null ppv; REGDB_E_CLASSNOTREG when nothing is registered
// for the context; HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND / ERROR_PROC_NOT_FOUND) for a library
// that does not load or has no DllGetClassObject; CLASS_E_NOAGGREGATION for an outer object
// with a local server; otherwise the factory's result.
HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid,
                         void** ppv);
// In-process class objects and ones registered in this process; no remote class objects.
HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, void* pvReserved, REFIID riid,
                         void** ppv);
// Follows CurVer from a version-independent ProgID. REGDB_E_CLASSNOTREG for an unknown one,
// CO_E_CLASSSTRING when its CLSID value is malformed, E_INVALIDARG for null arguments.
HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, CLSID* lpclsid);
// The ProgID in task memory (the caller frees it). REGDB_E_CLASSNOTREG for an unknown class,
// REGDB_E_READREGDB for a class without a ProgID.
HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* lplpszProgID);
// Unloads every loaded library whose DllCanUnloadNow answers S_OK (one without the entry point
// stays), and collects local-server processes that have ended.
void CoFreeUnusedLibraries();

// A local server's class object, announced to the runtime so that the creator's request can
// be served. Single-use registrations serve one creation and are then revoked.
HRESULT CoRegisterClassObject(REFCLSID rclsid, IUnknown* pUnk, DWORD dwClsContext, DWORD flags,
                              DWORD* lpdwRegister);
HRESULT CoRevokeClassObject(DWORD dwRegister);
HRESULT CoResumeClassObjects();

// Entry points a shared library exports (extern "C", default visibility).
using DllGetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();

#define ORVEL_EXPORT extern "C" __attribute__((visibility("default")))
