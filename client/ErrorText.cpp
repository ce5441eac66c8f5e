#include "client/ErrorText.h"

#include "client/Resources.h"

namespace lumin {
namespace {

constexpr unsigned kErrorBase = 20480;
constexpr unsigned kErrorLast = 0x6000;

struct SystemText {
    std::uint32_t code;
    const char* text;
};

// The system message table for plain Win32 codes, which also answers FACILITY_WIN32 results.
// Texts as Windows words them, without the trailing line break.
constexpr SystemText kWin32Texts[] = {
    {ERROR_SUCCESS, "The operation completed successfully."},
    {1, "Incorrect function."},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
    {ERROR_ACCESS_DENIED, "Access is denied."},
    {ERROR_INVALID_HANDLE, "The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough storage is available to process this command."},
    {ERROR_INVALID_DATA, "The data is invalid."},
    {ERROR_OUTOFMEMORY, "Not enough storage is available to complete this operation."},
    {ERROR_SHARING_VIOLATION,
     "The process cannot access the file because it is being used by another process."},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small."},
    {ERROR_MORE_DATA, "More data is available."},
    {ERROR_NO_MORE_ITEMS, "No more data is available."},
    {ERROR_BADDB, "The configuration registry database is corrupt."},
    {ERROR_BADKEY, "The configuration registry key is invalid."},
    {ERROR_CANTOPEN, "The configuration registry key could not be opened."},
    {ERROR_CANTREAD, "The configuration registry key could not be read."},
    {ERROR_CANTWRITE, "The configuration registry key could not be written."},
    {ERROR_KEY_DELETED, "Illegal operation attempted on a registry key that has been marked for "
                        "deletion."},
    {ERROR_TIMEOUT, "This operation returned because the timeout period expired."},
};

constexpr SystemText kHresultTexts[] = {
    {static_cast<std::uint32_t>(E_UNEXPECTED), "Catastrophic failure"},
    {static_cast<std::uint32_t>(E_NOTIMPL), "Not implemented"},
    {static_cast<std::uint32_t>(E_NOINTERFACE), "No such interface supported"},
    {static_cast<std::uint32_t>(E_POINTER), "Invalid pointer"},
    {static_cast<std::uint32_t>(E_ABORT), "Operation aborted"},
    {static_cast<std::uint32_t>(E_FAIL), "Unspecified error"},
    {static_cast<std::uint32_t>(CLASS_E_NOAGGREGATION),
     "Class does not support aggregation (or class object is remote)"},
    {static_cast<std::uint32_t>(CLASS_E_CLASSNOTAVAILABLE),
     "ClassFactory cannot supply requested class"},
    {static_cast<std::uint32_t>(REGDB_E_READREGDB), "Could not read key from registry"},
    {static_cast<std::uint32_t>(REGDB_E_WRITEREGDB), "Could not write key to registry"},
    {static_cast<std::uint32_t>(REGDB_E_CLASSNOTREG), "Class not registered"},
    {static_cast<std::uint32_t>(CO_E_NOTINITIALIZED), "CoInitialize has not been called."},
    {static_cast<std::uint32_t>(CO_E_CLASSSTRING), "Invalid class string"},
    {static_cast<std::uint32_t>(CO_E_OBJNOTCONNECTED), "Object is not connected to server"},
    {static_cast<std::uint32_t>(CO_E_SERVER_EXEC_FAILURE), "Server execution failed"},
    {static_cast<std::uint32_t>(RPC_E_DISCONNECTED),
     "The object invoked has disconnected from its clients."},
    {static_cast<std::uint32_t>(RPC_E_SERVERFAULT), "The server threw an exception."},
    {static_cast<std::uint32_t>(RPC_E_TIMEOUT),
     "This operation returned because the timeout period expired."},
    {static_cast<std::uint32_t>(DISP_E_UNKNOWNINTERFACE), "Unknown interface."},
    {static_cast<std::uint32_t>(DISP_E_MEMBERNOTFOUND), "Member not found."},
    {static_cast<std::uint32_t>(DISP_E_PARAMNOTFOUND), "Parameter not found."},
    {static_cast<std::uint32_t>(DISP_E_TYPEMISMATCH), "Type mismatch."},
    {static_cast<std::uint32_t>(DISP_E_UNKNOWNNAME), "Unknown name."},
    {static_cast<std::uint32_t>(DISP_E_BADVARTYPE), "Bad variable type."},
    {static_cast<std::uint32_t>(DISP_E_BADPARAMCOUNT), "Invalid number of parameters."},
    {static_cast<std::uint32_t>(STG_E_FILENOTFOUND), "%1 could not be found."},
    {static_cast<std::uint32_t>(STG_E_ACCESSDENIED), "Access Denied."},
    {static_cast<std::uint32_t>(STG_E_FILEALREADYEXISTS), "%1 already exists."},
    {static_cast<std::uint32_t>(STG_E_INVALIDHEADER), "The file %1 is not a valid compound file."},
};

const char* find(const SystemText* table, std::size_t size, std::uint32_t code)
{
    for (std::size_t i = 0; i < size; ++i)
        if (table[i].code == code)
            return table[i].text;
    return nullptr;
}

const char* systemText(HRESULT hr)
{
    auto code = static_cast<std::uint32_t>(hr);
    if (const char* text = find(kHresultTexts, std::size(kHresultTexts), code))
        return text;
    if (code <= 0xFFFF)
        return find(kWin32Texts, std::size(kWin32Texts), code);
    if (HRESULT_FACILITY(hr) == FACILITY_WIN32 && HRESULT_SEVERITY(hr) == SEVERITY_ERROR)
        return find(kWin32Texts, std::size(kWin32Texts), HRESULT_CODE(hr));
    return nullptr;
}

} // namespace

HRESULT errorText(HRESULT hr, std::string* text)
{
    const char* found = nullptr;
    unsigned code = HRESULT_CODE(hr);
    if (HRESULT_FACILITY(hr) == FACILITY_ITF && code > kErrorBase && code <= kErrorLast)
        found = builtinString(code); // never from the resource library
    else
        found = systemText(hr);
    if (!found || !*found)
        return E_FAIL;
    *text = found;
    return S_OK;
}

} // namespace lumin
