#include "testsupport/TempStateRoot.h"

#include "platform/base/StateRoot.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

TempStateRoot::TempStateRoot()
{
    if (const char* old = std::getenv(kStateRootVariable)) {
        m_hadPrevious = true;
        m_previous = old;
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "orvel-test-XXXXXX").string();
    if (char* made = ::mkdtemp(pattern.data()))
        m_path = made;
    ::setenv(kStateRootVariable, m_path.c_str(), 1);
}

TempStateRoot::~TempStateRoot()
{
    if (m_hadPrevious)
        ::setenv(kStateRootVariable, m_previous.c_str(), 1);
    else
        ::unsetenv(kStateRootVariable);
    std::error_code ec;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ec);
}
