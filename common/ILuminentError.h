#pragma once
// Control of the client library's process-wide log (LuminLog.txt) and error texts.

#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"

inline constexpr IID IID_ILuminentError = makeGuid("{941E9AAA-FB46-11D4-B09E-009027BD8645}");

struct ILuminentError : IUnknown {
    // Text for hresError, replacing *pbstrDescription (null or valid on entry).
    // \retval S_OK, E_INVALIDARG (null output), E_FAIL (no text), E_OUTOFMEMORY
    virtual HRESULT GetDescription(HRESULT hresError, BSTR* pbstrDescription) = 0;
    // Sets the level mask (last call wins), opens the file and counts one enable.
    // \retval S_OK, E_FAIL (no file name), E_HANDLE (file cannot be opened)
    virtual HRESULT EnableLog(UI4 dwLevelMask) = 0;
    // Counts one enable off; at 0 the file is closed. \retval S_OK
    virtual HRESULT DisableLog() = 0;
    // Opens the log file in the user's viewer.
    // \retval S_OK, E_INVALIDARG (no file or no viewer), E_ACCESSDENIED, E_FAIL
    virtual HRESULT OpenLog() = 0;
    // Empties the file, keeping the enable count and the mask. \retval S_OK
    virtual HRESULT EraseLog() = 0;

protected:
    ~ILuminentError() = default;
};
template <> inline constexpr IID iidOf<ILuminentError> = IID_ILuminentError;
