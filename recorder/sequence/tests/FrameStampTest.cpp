#include "recorder/sequence/FrameStamp.h"

#include "recorder/sequence/tests/SequenceTestFiles.h"

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Stamps use local time; pin the zone so the expected names hold on any machine.
class FrameStampTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (const char* tz = std::getenv("TZ")) {
            m_hadTz = true;
            m_tz = tz;
        }
        ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        ::tzset();
    }
    void TearDown() override
    {
        if (m_hadTz)
            ::setenv("TZ", m_tz.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

    static std::chrono::system_clock::time_point utc(int y, int mo, int d, int h, int mi, int s,
                                                     int ms)
    {
        using namespace std::chrono;
        const auto day = sys_days(year(y) / month(mo) / d);
        return day + hours(h) + minutes(mi) + seconds(s) + milliseconds(ms);
    }

private:
    bool m_hadTz = false;
    std::string m_tz;
};

TEST_F(FrameStampTest, NamesFramesAndSequencesFromLocalTime)
{
    // 12:05:09.237 UTC is 14:05:09 in central European summer time.
    const FrameStamp stamp = FrameStamp::fromLocalTime(utc(2001, 5, 3, 12, 5, 9, 237));
    EXPECT_EQ(frameFileName("Door", stamp), "Door_20010503_140509_23.jpg");
    EXPECT_EQ(sequenceFileName("Door", stamp), "Door_20010503_140509_23.sqj");
    EXPECT_EQ(frameFileName("", stamp), "_20010503_140509_23.jpg");
}

TEST_F(FrameStampTest, CentisecondsDropTheRemainderAndFieldsArePadded)
{
    // Winter time, one hour ahead: midnight local on New Year's Day.
    const FrameStamp late = FrameStamp::fromLocalTime(utc(2025, 12, 31, 23, 0, 0, 999));
    EXPECT_EQ(late.text(), "_20260101_000000_99");
    const FrameStamp early = FrameStamp::fromLocalTime(utc(2026, 2, 1, 8, 3, 4, 9));
    EXPECT_EQ(early.text(), "_20260201_090304_00");
    // Two frames within one centisecond share a stamp.
    EXPECT_EQ(FrameStamp::fromLocalTime(utc(2026, 2, 1, 8, 3, 4, 10)).text(),
              FrameStamp::fromLocalTime(utc(2026, 2, 1, 8, 3, 4, 19)).text());
}

TEST_F(FrameStampTest, AFrameWhoseNameIsTakenGetsTheNextFreeNumberAndReplacesNothing)
{
    TempFolder folder;
    const std::string dir = folder.path() + "/";
    const FrameStamp stamp = FrameStamp::fromLocalTime(utc(2001, 5, 3, 12, 5, 9, 237));
    EXPECT_EQ(uniqueFrameFileName(dir, "Door", stamp), "Door_20010503_140509_23.jpg");

    // Three frames in one centisecond: each saved before the next is named.
    std::vector<std::string> names;
    for (int i = 0; i < 3; ++i) {
        names.push_back(uniqueFrameFileName(dir, "Door", stamp));
        std::ofstream(dir + names.back()) << i;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Door_20010503_140509_23.jpg",
                                               "Door_20010503_140509_23_2.jpg",
                                               "Door_20010503_140509_23_3.jpg"}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(readBytes(dir + names[i]), std::to_string(i));
    // Another prefix or stamp is not held back by them.
    EXPECT_EQ(uniqueFrameFileName(dir, "Gate", stamp), "Gate_20010503_140509_23.jpg");
}

} // namespace
