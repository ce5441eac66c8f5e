#include "viewer/tests/ViewerQtEnvironment.h"

#include "platform/com/ClassRegistration.h"
#include "platform/com/Runtime.h"
#include "testsupport/TempStateRoot.h"
#include "testsupport/WaitUntil.h"

#include <QApplication>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace vistel::test {

namespace {

class QtEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        m_root = std::make_unique<TempStateRoot>();
        const auto bin = std::filesystem::canonical("/proc/self/exe").parent_path();
        std::string detail;
        ASSERT_EQ(registerServerLibrary((bin / "Medrix.so").string(), false, &detail), S_OK)
            << detail;
        static int argc = 1;
        static char name[] = "vistel_tests";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
        CoInitialize(nullptr);
    }
    void TearDown() override
    {
        CoUninitialize();
        m_app.reset();
        CoFreeUnusedLibraries();
        m_root.reset();
    }

private:
    std::unique_ptr<TempStateRoot> m_root;
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] testing::Environment* const g_qt =
    testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

bool processUntil(std::chrono::milliseconds limit, const std::function<bool()>& pred)
{
    return waitUntil(pred, limit, [] { QApplication::processEvents(QEventLoop::AllEvents, 5); });
}

void processFor(std::chrono::milliseconds span)
{
    processUntil(span, [] { return false; });
}

} // namespace vistel::test
