// The recorder's command line, its shutdown monitor and the directory rule of Start.
#include "recorder/engine/RecoraCommandLine.h"
#include "recorder/engine/RecoraResources.h"
#include "recorder/engine/ShutdownMonitor.h"
#include "recorder/sequence/RecordingContext.h"
#include "testsupport/WaitUntil.h"

#include <atomic>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

struct CommandLineCase {
    const char* line;
    RecoraCommand expected;
};

class RecoraCommandLineTest : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(RecoraCommandLineTest, Parses)
{
    EXPECT_EQ(parseRecoraCommandLine(GetParam().line), GetParam().expected) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, RecoraCommandLineTest,
    ::testing::Values(CommandLineCase{"/RegServer", RecoraCommand::RegServer},
                      CommandLineCase{"-regserver", RecoraCommand::RegServer},
                      CommandLineCase{"/UNREGSERVER", RecoraCommand::UnregServer},
                      CommandLineCase{"-UnregServer", RecoraCommand::UnregServer},
                      CommandLineCase{"RegServer", RecoraCommand::RegServer},
                      // Every "-" or "/" is tried: the rest of the line must match whole.
                      CommandLineCase{"x-y /RegServer", RecoraCommand::RegServer},
                      CommandLineCase{"/RegServer now", RecoraCommand::Serve},
                      CommandLineCase{"-Embedding", RecoraCommand::Serve},
                      CommandLineCase{"/tmp/RegServer", RecoraCommand::RegServer},
                      CommandLineCase{"", RecoraCommand::Serve}));

TEST(ShutdownMonitor, QuitsOnceIdleAfterTheLastReleaseAndNotWhileLocked)
{
    std::atomic<int> quits{0};
    const auto created = std::chrono::steady_clock::now();
    ShutdownMonitor monitor([&] { ++quits; }, 300);
    monitor.lock();
    monitor.lock();
    monitor.unlock();
    // Still held: no quit however long.
    EXPECT_FALSE(waitUntil([&] { return quits.load() > 0; }, 800ms));
    const auto released = std::chrono::steady_clock::now();
    monitor.unlock();
    ASSERT_TRUE(waitUntil([&] { return quits.load() > 0; }, 5s));
    EXPECT_GE(std::chrono::steady_clock::now() - released, 280ms);
    EXPECT_GT(released - created, 700ms);
    EXPECT_FALSE(waitUntil([&] { return quits.load() > 1; }, 500ms)); // once
}

TEST(ShutdownMonitor, ALockTakenInTheIdleTimeKeepsTheProcess)
{
    std::atomic<int> quits{0};
    ShutdownMonitor monitor([&] { ++quits; }, 300);
    monitor.lock(); // within the idle time of the start
    EXPECT_FALSE(waitUntil([&] { return quits.load() > 0; }, 800ms));
    EXPECT_EQ(monitor.count(), 1);
}

TEST(RecordingDirectory, GetsOneTrailingSeparator)
{
    EXPECT_EQ(RecordingContext::recordingDirectory("/rec"), "/rec/");
    EXPECT_EQ(RecordingContext::recordingDirectory("/rec/"), "/rec/");
    EXPECT_EQ(RecordingContext::recordingDirectory("rec"), "rec/");
    EXPECT_EQ(RecordingContext::recordingDirectory(""), "/");
}

TEST(RecoraResourceLibrary, OverridesItsStringsAndSwitchesTheStatusFont)
{
    recora::RecoraResources own;
    EXPECT_FALSE(own.loadLibrary("/nonexistent/RecoraRes.so"));
    EXPECT_FALSE(own.isExternal());
    EXPECT_EQ(own.string(recora::kStringRecording), "Recording");
    EXPECT_EQ(own.statusFont().pixelSize(), 10);
    EXPECT_EQ(own.statusFont().families().value(0), "MS Sans Serif");

    recora::RecoraResources translated;
    ASSERT_TRUE(translated.loadLibrary(RECORA_RES_LIBRARY));
    EXPECT_EQ(translated.string(recora::kStringRecording), "Rokuga-chuu");
    EXPECT_EQ(translated.string(recora::kStringCreateFailed), "Shippai");
    EXPECT_EQ(translated.string(recora::kStringStopped), "Stopped"); // not in it: built in
    EXPECT_EQ(translated.statusFont().pixelSize(), 15);
    EXPECT_EQ(translated.statusFont().families().value(0), "MS P Gothic");
}
