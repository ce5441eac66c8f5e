#include "client/tests/LuminFixture.h"

#include "platform/base/StateRoot.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/TaskMemory.h"

#include <cstdlib>
#include <filesystem>

namespace lumin::test {

std::string binaryFolder()
{
    return std::filesystem::canonical("/proc/self/exe").parent_path().string();
}

std::string luminLibraryPath()
{
    return binaryFolder() + "/Lumin.so";
}

namespace {

// The hives as registration left them, kept for the life of the test program.
class RegisteredHives {
public:
    ~RegisteredHives()
    {
        std::error_code ec;
        if (!m_folder.empty())
            std::filesystem::remove_all(m_folder, ec);
    }
    bool saved() const { return !m_folder.empty(); }
    void save(const std::string& from)
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "lumin-hives-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            return;
        std::filesystem::copy(from, pattern, std::filesystem::copy_options::recursive);
        m_folder = pattern;
    }
    void restore(const std::string& to) const
    {
        std::filesystem::copy(m_folder, to,
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
    }

private:
    std::string m_folder;
};

RegisteredHives g_hives;

} // namespace

void LuminFixture::SetUp()
{
    const std::string hives = configFolder();
    ASSERT_FALSE(hives.empty());
    if (g_hives.saved()) {
        g_hives.restore(hives);
        return;
    }
    std::string detail;
    ASSERT_EQ(registerServerLibrary(luminLibraryPath(), false, &detail), S_OK) << detail;
    g_hives.save(hives);
}

Caps getCaps(ICamTarget* target, INT flag)
{
    Caps caps;
    INT size = -1;
    BSTR* block = nullptr;
    caps.hr = target->GetCaps(flag, &size, &block, &caps.defaultIndex);
    if (block) {
        for (INT i = 0; i < size; ++i) {
            caps.entries.push_back(bstrToUtf8(block[i]));
            SysFreeString(block[i]);
        }
        CoTaskMemFree(block);
    }
    return caps;
}

} // namespace lumin::test
