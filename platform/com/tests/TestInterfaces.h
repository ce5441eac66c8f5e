#pragma once
// Classes and the interface of the test servers built beside these tests.

#include "platform/com/Unknown.h"

// In-process server (libComTestInprocServer.so).
inline constexpr CLSID CLSID_TestCounter = makeGuid("{3C1E7A10-5B2D-4E61-8F0A-7D4C2B19E001}");
inline constexpr CLSID CLSID_TestLoner = makeGuid("{3C1E7A10-5B2D-4E61-8F0A-7D4C2B19E002}");
// Local server program (ComTestLocalServer): a CamRecord and a viewer stand-in.
inline constexpr CLSID CLSID_TestRecorder = makeGuid("{3C1E7A10-5B2D-4E61-8F0A-7D4C2B19E003}");
inline constexpr CLSID CLSID_TestViewer = makeGuid("{3C1E7A10-5B2D-4E61-8F0A-7D4C2B19E004}");

inline constexpr IID IID_ITestCounter = makeGuid("{3C1E7A10-5B2D-4E61-8F0A-7D4C2B19E101}");

struct ITestCounter : IUnknown {
    virtual HRESULT Add(LONG n) = 0;
    virtual HRESULT GetTotal(LONG* total) = 0;

protected:
    ~ITestCounter() = default;
};
template <> inline constexpr IID iidOf<ITestCounter> = IID_ITestCounter;
