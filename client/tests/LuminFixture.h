#pragma once
// Test fixture for the client library: a fresh state root with the library registered in it,
// so every test creates the classes by class id or ProgID through the runtime, as callers do.

#include "common/ICamTarget.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Runtime.h"
#include "testsupport/TempStateRoot.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace lumin::test {

// The built client library beside the test programs.
std::string luminLibraryPath();
// The folder the test programs run from (bin/).
std::string binaryFolder();

// Gives each test a fresh state root with the library registered in it. Registration rewrites
// the hives many times, so it runs once per program and later tests start from a copy of the
// hives it wrote.
class LuminFixture : public testing::Test {
protected:
    void SetUp() override;

    template <typename I> ComPtr<I> create(const CLSID& clsid)
    {
        ComPtr<I> object;
        HRESULT hr =
            CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iidOf<I>, object.putVoid());
        EXPECT_EQ(hr, S_OK) << "creating " << guidToString(clsid);
        return object;
    }

    const std::string& stateRootPath() const { return m_root.path(); }

    TempStateRoot m_root;
};

struct Caps {
    HRESULT hr = E_UNEXPECTED;
    std::vector<std::string> entries;
    int defaultIndex = -1;
};
// GetCaps, with the returned block and strings freed as their owner must.
Caps getCaps(ICamTarget* target, INT flag);

// A BSTR argument from UTF-8; null for nullptr.
class Arg {
public:
    Arg(const char* text) : m_bstr(text ? bstrFromUtf8(text) : nullptr) {}
    ~Arg() { SysFreeString(m_bstr); }
    Arg(const Arg&) = delete;
    Arg& operator=(const Arg&) = delete;
    operator BSTR() const { return m_bstr; }

private:
    BSTR m_bstr;
};

} // namespace lumin::test
