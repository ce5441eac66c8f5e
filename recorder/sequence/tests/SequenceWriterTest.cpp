#include "recorder/sequence/SequenceWriter.h"

#include "recorder/sequence/SequenceReader.h"
#include "recorder/sequence/tests/SequenceTestFiles.h"

#include <gtest/gtest.h>

namespace {

TEST(SequenceWriter, WritesPlaceholderThenEntriesThenTheRealHeader)
{
    TempFolder rec;
    const std::string path = rec.file("Door_20010503_140509_23.sqj");
    std::optional<SequenceWriter> writer;
    ASSERT_EQ(SequenceWriter::create(path, &writer), S_OK);
    EXPECT_EQ(readBytes(path), rawHeader("sq11", 0, 0));

    ASSERT_EQ(writer->appendEntry("Door_20010503_140509_23.jpg"), S_OK);
    // The entry is on disk before the frame is saved, still uncounted.
    EXPECT_EQ(readBytes(path), rawHeader("sq11", 0, 0) + rawEntry("Door_20010503_140509_23.jpg"));
    writer->countFrame();
    ASSERT_EQ(writer->appendEntry("Door_20010503_140510_01.jpg"), S_OK);
    writer->countFrame();
    // The interval is stored as the 32-bit pattern of what the recorder was given.
    ASSERT_EQ(writer->finish(static_cast<UI4>(-1)), S_OK);

    EXPECT_EQ(readBytes(path), rawHeader("sq11", 2, 0xFFFFFFFFu) +
                                   rawEntry("Door_20010503_140509_23.jpg") +
                                   rawEntry("Door_20010503_140510_01.jpg"));
    EXPECT_EQ(writer->appendEntry("late.jpg"), E_HANDLE);
    EXPECT_EQ(writer->finish(1), E_HANDLE);
}

TEST(SequenceWriter, FailedFirstSaveLeavesZeroFramesAndTheInterval)
{
    TempFolder rec;
    std::optional<SequenceWriter> writer;
    ASSERT_EQ(SequenceWriter::create(rec.file("s.sqj"), &writer), S_OK);
    ASSERT_EQ(writer->appendEntry("never_saved.jpg"), S_OK);
    ASSERT_EQ(writer->finish(250), S_OK); // the save failed: countFrame was not called

    EXPECT_EQ(readBytes(rec.file("s.sqj")),
              rawHeader("sq11", 0, 250) + rawEntry("never_saved.jpg"));
    auto seq = readSequence(rec.file("s.sqj"));
    EXPECT_EQ(seq.status, SequenceStatus::Good);
    EXPECT_EQ(seq.header.frameInterval, 250u);
    EXPECT_TRUE(seq.framePaths.empty());
}

TEST(SequenceWriter, ReplacesAnOlderFileAndCountsOnlyItsOwnFrames)
{
    TempFolder rec;
    const std::string path = rec.file("s.sqj");
    writeBytes(path, rawHeader("sq11", 3, 10) + rawEntry("a.jpg") + rawEntry("b.jpg") +
                         rawEntry("c.jpg"));
    std::optional<SequenceWriter> writer;
    ASSERT_EQ(SequenceWriter::create(path, &writer), S_OK);
    ASSERT_EQ(writer->appendEntry("new.jpg"), S_OK);
    writer->countFrame();
    ASSERT_EQ(writer->finish(10), S_OK);
    EXPECT_EQ(readBytes(path), rawHeader("sq11", 1, 10) + rawEntry("new.jpg"));
}

TEST(SequenceWriter, CannotTakeAFileAnotherWriterHolds)
{
    TempFolder rec;
    std::optional<SequenceWriter> first;
    ASSERT_EQ(SequenceWriter::create(rec.file("s.sqj"), &first), S_OK);
    ASSERT_EQ(first->appendEntry("a.jpg"), S_OK);
    std::optional<SequenceWriter> second;
    EXPECT_EQ(SequenceWriter::create(rec.file("s.sqj"), &second),
              HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(second.has_value());
    // The holder's work was not emptied by the refused attempt.
    EXPECT_EQ(readBytes(rec.file("s.sqj")), rawHeader("sq11", 0, 0) + rawEntry("a.jpg"));
}

TEST(SequenceWriter, RefusesNamesNoReaderWouldTake)
{
    TempFolder rec;
    std::optional<SequenceWriter> writer;
    EXPECT_EQ(SequenceWriter::create(rec.file("no/such/dir/s.sqj"), &writer),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    ASSERT_EQ(SequenceWriter::create(rec.file("s.sqj"), &writer), S_OK);
    EXPECT_EQ(writer->appendEntry("sub/a.jpg"), E_INVALIDARG);
    EXPECT_EQ(writer->appendEntry(std::string_view("a\0b.jpg", 7)), E_INVALIDARG);
    const std::size_t room = kMaxSequencePath - (rec.path().size() + 1) - 1;
    EXPECT_EQ(writer->appendEntry(std::string(room + 1, 'x')), E_INVALIDARG);
    ASSERT_EQ(writer->appendEntry(std::string(room, 'x')), S_OK);
    writer->countFrame();
    ASSERT_EQ(writer->finish(1), S_OK);
    auto seq = readSequence(rec.file("s.sqj"));
    ASSERT_EQ(seq.status, SequenceStatus::Good);
    EXPECT_EQ(seq.framePaths.at(0).size() + 1, kMaxSequencePath);
}

} // namespace
