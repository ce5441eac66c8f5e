#pragma once
// A test suite that needs Qt's GUI (fonts, painting onto images) without windows: a
// QGuiApplication on the offscreen platform for the suite's life, unless one runs already.
// Header-only, so test programs that link Qt themselves use it without orvel_testsupport
// linking Qt.

#include <QGuiApplication>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace testsupport {

class GuiApplicationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!std::getenv("QT_QPA_PLATFORM"))
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (!QGuiApplication::instance()) {
            static int argc = 1;
            static char name[] = "gui_test";
            static char* argv[] = {name, nullptr};
            app() = std::make_unique<QGuiApplication>(argc, argv);
        }
    }
    static void TearDownTestSuite() { app().reset(); }

private:
    static std::unique_ptr<QGuiApplication>& app()
    {
        static std::unique_ptr<QGuiApplication> instance;
        return instance;
    }
};

} // namespace testsupport
