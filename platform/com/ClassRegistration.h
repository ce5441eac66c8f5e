#pragma once
// What a deliverable's DllRegisterServer (or a program's "RegServer") writes for each of its
// classes, and the two ways of asking a built file to register itself.
//
// Under HKEY_CLASSES_ROOT:
//   CLSID\{clsid}                     @ = friendly name; "AppID" = {appid} when given
//   CLSID\{clsid}\InprocServer32      @ = library path; "ThreadingModel"
//     or CLSID\{clsid}\LocalServer32  @ = program path (no arguments; the runtime adds them)
//   CLSID\{clsid}\ProgID              @ = versioned ProgID ("Lumin.Luminent.1")
//   CLSID\{clsid}\VersionIndependentProgID @ = "Lumin.Luminent"
//   CLSID\{clsid}\TypeLib             @ = {libid} when given
//   <ProgID>                          @ = friendly name;  <ProgID>\CLSID  @ = {clsid}
//   <VIProgID>                        @ = friendly name;  <VIProgID>\CLSID @ = {clsid},
//                                     <VIProgID>\CurVer @ = versioned ProgID
//   AppID\{appid}                     @ = friendly name, when given
//
// And for a type library (registerTypeLibrary), with no type library file behind it: the entry
// names the library that carries the interfaces, so a lookup by library id finds this version.
//   TypeLib\{libid}\1.0                @ = description
//   TypeLib\{libid}\1.0\0\linux64      @ = library path
//   TypeLib\{libid}\1.0\FLAGS          @ = "0"
//   TypeLib\{libid}\1.0\HELPDIR        @ = the library's folder, with a slash; when asked

#include "platform/com/ClassTable.h"
#include "platform/com/Guid.h"

#include <optional>
#include <string>

enum class ServerKind { InProcess, LocalServer };

struct ClassRegistration {
    CLSID clsid = GUID_NULL;
    std::string friendlyName;
    ServerKind kind = ServerKind::InProcess;
    std::string serverPath;                   // the library or the program, absolute
    std::string threadingModel = "Apartment"; // in-process classes only
    std::string progId;                       // versioned; empty for none
    std::string versionIndependentProgId;     // empty for none
    std::optional<GUID> appId;
    std::optional<GUID> typeLib;
};

// A class of a deliverable's own table, served in-process by libraryPath with "Apartment"
// threading and described by the deliverable's type library.
ClassRegistration inProcessRegistration(const CLSID& clsid, const std::string& friendlyName,
                                        const std::string& progId,
                                        const std::string& versionIndependentProgId,
                                        const GUID& typeLib, const std::string& libraryPath);

// S_OK, or SELFREG_E_CLASS when a key or value could not be written (E_INVALIDARG for a
// registration without class id or server path).
HRESULT registerClass(const ClassRegistration& registration);
// DllRegisterServer's work for a table: every class as inProcessRegistration describes it;
// the first failure ends it and is the result.
HRESULT registerClasses(std::span<const ClassEntry> classes, const GUID& typeLib,
                        const std::string& libraryPath);
// DllUnregisterServer's: every class is removed even after a failure, the first of which is
// the result.
HRESULT unregisterClasses(std::span<const ClassEntry> classes, const GUID& typeLib,
                          const std::string& libraryPath);
// The library registered for clsid (its InprocServer32 path); false when there is none.
bool inprocServerPath(const CLSID& clsid, std::string* path);
// Removes what registerClass wrote. ProgID keys are removed only while they still name this
// class, so a newer owner's entries survive. Missing entries are no error: S_OK.
HRESULT unregisterClass(const ClassRegistration& registration);

// Loads the shared library, calls its DllRegisterServer (or DllUnregisterServer) and unloads
// it. Returns the entry point's result; HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND) when the file
// does not load, HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND) when the entry point is missing.
// detail, when given, receives a line for a person (the loader's message).
HRESULT registerServerLibrary(const std::string& path, bool unregister,
                              std::string* detail = nullptr);
// Runs the program with the single argument "RegServer" (or "UnregServer") and waits up to
// 30 s. S_OK when it exits with 0, E_FAIL for another exit or a crash,
// HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) when it cannot start, and
// HRESULT_FROM_WIN32(ERROR_TIMEOUT) when it had to be killed. It runs without a display
// (QT_QPA_PLATFORM=offscreen unless set), since registering never shows a window.
HRESULT registerServerProgram(const std::string& path, bool unregister,
                              std::string* detail = nullptr);

enum class TypeLibraryHelpDir { Omit, LibraryFolder };

// S_OK, or SELFREG_E_CLASS when a key or value could not be written.
HRESULT registerTypeLibrary(const GUID& libid, const std::string& description,
                            const std::string& libraryPath,
                            TypeLibraryHelpDir helpDir = TypeLibraryHelpDir::Omit);
// Removes TypeLib\{libid} with all its versions. Missing is no error: S_OK; else
// SELFREG_E_CLASS.
HRESULT unregisterTypeLibrary(const GUID& libid);
