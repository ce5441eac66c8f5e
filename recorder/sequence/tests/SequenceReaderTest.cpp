#include "recorder/sequence/SequenceReader.h"

#include "recorder/sequence/SequenceWriter.h"
#include "recorder/sequence/tests/SequenceTestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

namespace {

std::vector<std::string> paths(std::initializer_list<std::string> list)
{
    return list;
}

SequenceContents parseBytes(std::string_view bytes, std::string_view sequencePath)
{
    return parseSequence({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()},
                         sequencePath);
}

TEST(SequenceReader, Sq11NamesFollowTheFileToAnotherFolder)
{
    TempFolder rec;
    std::filesystem::create_directory(rec.file("a"));
    const std::string original = rec.file("a/Door_20010503_140509_23.sqj");
    writeBytes(original, rawHeader("sq11", 2, 100) + rawEntry("Door_20010503_140509_23.jpg") +
                             rawEntry("Door_20010503_140509_33.jpg"));
    writeBytes(rec.file("a/Door_20010503_140509_23.jpg"), "jpeg1");
    writeBytes(rec.file("a/Door_20010503_140509_33.jpg"), "jpeg2");

    SequenceContents here = readSequence(original);
    ASSERT_EQ(here.status, SequenceStatus::Good);
    EXPECT_EQ(here.header.magic, SequenceMagic::Sq11);
    EXPECT_EQ(here.header.frameInterval, 100u);
    EXPECT_EQ(here.framePaths, paths({rec.file("a/Door_20010503_140509_23.jpg"),
                                      rec.file("a/Door_20010503_140509_33.jpg")}));

    std::filesystem::rename(rec.file("a"), rec.file("moved"));
    SequenceContents moved = readSequence(rec.file("moved/Door_20010503_140509_23.sqj"));
    ASSERT_EQ(moved.status, SequenceStatus::Good);
    for (const std::string& frame : moved.framePaths)
        EXPECT_EQ(readBytes(frame).substr(0, 4), "jpeg") << frame;
}

TEST(SequenceReader, Sq10PathsAreUsedUnchangedWhereverTheFileIs)
{
    TempFolder rec;
    writeBytes(rec.file("old.sqj"), rawHeader("sq10", 2, 40) + rawEntry("/cams/yard/one.jpg") +
                                        rawEntry("relative/two.jpg"));
    SequenceContents seq = readSequence(rec.file("old.sqj"));
    ASSERT_EQ(seq.status, SequenceStatus::Good);
    EXPECT_EQ(seq.header.magic, SequenceMagic::Sq10);
    EXPECT_EQ(seq.framePaths, paths({"/cams/yard/one.jpg", "relative/two.jpg"}));
}

TEST(SequenceReader, MagicMatchesInAnyLetterCaseAndNothingElse)
{
    const std::string entry = rawEntry("f.jpg");
    for (std::string magic : {"sq11", "SQ11", "Sq11", "sQ11"}) {
        auto bytes = rawHeader(magic, 1, 5) + entry;
        auto seq = parseBytes(bytes, "/rec/s.sqj");
        EXPECT_EQ(seq.status, SequenceStatus::Good) << magic;
        EXPECT_EQ(seq.header.magic, SequenceMagic::Sq11) << magic;
        EXPECT_EQ(seq.framePaths, paths({"/rec/f.jpg"})) << magic;
    }
    for (std::string magic : {"sq10", "SQ10", "Sq10"}) {
        auto bytes = rawHeader(magic, 1, 5) + entry;
        auto seq = parseBytes(bytes, "/rec/s.sqj");
        EXPECT_EQ(seq.header.magic, SequenceMagic::Sq10) << magic;
        EXPECT_EQ(seq.framePaths, paths({"f.jpg"})) << magic;
    }
    for (std::string magic :
         {std::string("sq12"), std::string("sp11"), std::string("RIFF"), std::string("sq1\0", 4)}) {
        auto bytes = rawHeader(magic, 1, 5) + entry;
        auto seq = parseBytes(bytes, "/rec/s.sqj");
        EXPECT_EQ(seq.status, SequenceStatus::NotSequence) << magic;
        EXPECT_EQ(seq.header.frameCount, 0u) << "a foreign file's count is not read";
        EXPECT_EQ(seq.header.frameInterval, 0u);
        EXPECT_TRUE(seq.framePaths.empty());
    }
}

TEST(SequenceReader, NameLengthOneIsTheFolderItself)
{
    TempFolder rec;
    writeBytes(rec.file("s.sqj"), rawHeader("sq11", 1, 5) + le32(1) + std::string(1, '\0'));
    auto seq = readSequence(rec.file("s.sqj"));
    ASSERT_EQ(seq.status, SequenceStatus::Good);
    EXPECT_EQ(seq.framePaths, paths({rec.path() + "/"}));
}

TEST(SequenceReader, OnlyCountedEntriesBelongToTheSequence)
{
    TempFolder rec;
    // A recording whose first save failed: placeholder count, one entry left after it.
    writeBytes(rec.file("s.sqj"), rawHeader("sq11", 0, 200) + rawEntry("lost.jpg"));
    auto seq = readSequence(rec.file("s.sqj"));
    EXPECT_EQ(seq.status, SequenceStatus::Good);
    EXPECT_EQ(seq.header.frameInterval, 200u);
    EXPECT_TRUE(seq.framePaths.empty());

    writeBytes(rec.file("t.sqj"),
               rawHeader("sq11", 1, 200) + rawEntry("a.jpg") + rawEntry("b.jpg") + "junk");
    seq = readSequence(rec.file("t.sqj"));
    EXPECT_EQ(seq.status, SequenceStatus::Good);
    EXPECT_EQ(seq.framePaths, paths({rec.file("a.jpg")}));
}

TEST(SequenceReader, ShortFileKeepsOnlyItsCompleteEntries)
{
    const std::string full = rawHeader("sq11", 3, 50) + rawEntry("one.jpg") + rawEntry("two.jpg");
    struct Cut {
        std::size_t size;
        std::size_t entries;
    };
    // Inside the header, inside a length, inside a name, and after two of three entries.
    for (Cut cut :
         {Cut{7, 0}, Cut{14, 0}, Cut{12 + 4 + 3, 0}, Cut{12 + 12 + 6, 1}, Cut{full.size(), 2}}) {
        auto seq = parseBytes(std::string_view(full).substr(0, cut.size), "/r/s.sqj");
        EXPECT_EQ(seq.status, SequenceStatus::Truncated) << cut.size;
        ASSERT_EQ(seq.framePaths.size(), cut.entries) << cut.size;
        if (cut.entries > 0) {
            EXPECT_EQ(seq.framePaths[0], "/r/one.jpg");
        }
    }
    auto tiny = parseBytes("sq1", "/r/s.sqj");
    EXPECT_EQ(tiny.status, SequenceStatus::NotSequence);
}

TEST(SequenceReader, EntriesOutsideTheLimitsAreRefused)
{
    const std::string good = rawEntry("ok.jpg");
    auto parse = [](const std::string& bytes, std::string_view where) {
        return parseBytes(bytes, where);
    };
    // Name length 261, even with the bytes present.
    auto seq = parse(rawHeader("sq10", 2, 1) + good + le32(261) + std::string(261, 'a'), "/r/s");
    EXPECT_EQ(seq.status, SequenceStatus::OutOfLimits);
    EXPECT_EQ(seq.framePaths, paths({"ok.jpg"}));

    // Length 260 is the limit: 259 characters and the zero byte.
    seq = parse(rawHeader("sq10", 1, 1) + rawEntry(std::string(259, 'n')), "/r/s");
    EXPECT_EQ(seq.status, SequenceStatus::Good);

    // A legal name that only overflows once joined to the folder ("/r/" + 257 + zero = 261).
    seq = parse(rawHeader("sq11", 1, 1) + rawEntry(std::string(257, 'n')), "/r/s.sqj");
    EXPECT_EQ(seq.status, SequenceStatus::OutOfLimits);
    seq = parse(rawHeader("sq11", 1, 1) + rawEntry(std::string(256, 'n')), "/r/s.sqj");
    EXPECT_EQ(seq.status, SequenceStatus::Good);
    EXPECT_EQ(seq.framePaths[0].size(), 259u);

    // No zero byte within the name, or a zero-length name.
    seq = parse(rawHeader("sq11", 1, 1) + le32(3) + "abc", "/r/s.sqj");
    EXPECT_EQ(seq.status, SequenceStatus::OutOfLimits);
    seq = parse(rawHeader("sq11", 1, 1) + le32(0), "/r/s.sqj");
    EXPECT_EQ(seq.status, SequenceStatus::OutOfLimits);
    EXPECT_TRUE(seq.framePaths.empty());
}

// A name that is absolute or has a ".." component is no frame: the file reads as damaged, with
// the entries before it, and no path outside the sequence's folder comes out.
TEST(SequenceReader, NamesLeadingOutsideTheFolderAreRefused)
{
    const std::string good = rawEntry("a.jpg");
    for (const char* name : {"..", "../x.jpg", "sub/../../x", "../../../../etc/passwd",
                             "/etc/passwd", "sub/..", "a/../b.jpg"}) {
        auto seq = parseBytes(rawHeader("sq11", 3, 1) + good + rawEntry(name) + good, "/r/s.sqj");
        EXPECT_EQ(seq.status, SequenceStatus::OutOfLimits) << name;
        EXPECT_EQ(seq.framePaths, paths({"/r/a.jpg"})) << name;
    }
    // Names that only look alike stay inside.
    for (const char* name : {"..a.jpg", "a..jpg", "./a.jpg", "sub/x.jpg", "...", ".hidden"}) {
        auto seq = parseBytes(rawHeader("sq11", 1, 1) + rawEntry(name), "/r/s.sqj");
        EXPECT_EQ(seq.status, SequenceStatus::Good) << name;
        EXPECT_EQ(seq.framePaths, paths({std::string("/r/") + name})) << name;
    }
    // "sq10" names are full paths by their form, but never climb out with "..".
    auto seq =
        parseBytes(rawHeader("sq10", 2, 1) + rawEntry("/r/a.jpg") + rawEntry("/r/../../etc/passwd"),
                   "/r/s.sqj");
    EXPECT_EQ(seq.status, SequenceStatus::OutOfLimits);
    EXPECT_EQ(seq.framePaths, paths({"/r/a.jpg"}));
}

// A named pipe (or any file that is not a regular file) in a sequence's place is not opened,
// so the reader cannot wait on it for ever; nor can the writer or the interval editor.
TEST(SequenceReader, NamedPipeIsNotOpenedAndNeverBlocks)
{
    TempFolder rec;
    const std::string pipe = rec.file("pipe.sqj");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const SequenceContents seq = readSequence(pipe);
    EXPECT_EQ(seq.status, SequenceStatus::OpenFailed);
    EXPECT_EQ(seq.openResult, HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    std::optional<SequenceWriter> writer;
    EXPECT_TRUE(FAILED(SequenceWriter::create(pipe, &writer)));
    EXPECT_EQ(readSequence(rec.path()).status, SequenceStatus::OpenFailed); // a folder
}

TEST(SequenceReader, HugeCountIsRefusedBeforeReading)
{
    TempFolder rec;
    std::string bytes = rawHeader("sq11", 4000000000u, 1);
    for (int i = 0; i < 100; ++i)
        bytes += rawEntry("f.jpg");
    writeBytes(rec.file("s.sqj"), bytes);
    auto seq = readSequence(rec.file("s.sqj"));
    EXPECT_EQ(seq.status, SequenceStatus::OutOfLimits);
    EXPECT_EQ(seq.header.frameCount, 4000000000u);
    EXPECT_TRUE(seq.framePaths.empty());
}

TEST(SequenceReader, MissingOrHeldFileIsReportedAsNotOpened)
{
    TempFolder rec;
    auto missing = readSequence(rec.file("none.sqj"));
    EXPECT_EQ(missing.status, SequenceStatus::OpenFailed);
    EXPECT_EQ(missing.openResult, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));

    std::optional<SequenceWriter> writer;
    ASSERT_EQ(SequenceWriter::create(rec.file("rec.sqj"), &writer), S_OK);
    auto held = readSequence(rec.file("rec.sqj"));
    EXPECT_EQ(held.status, SequenceStatus::OpenFailed);
    EXPECT_EQ(held.openResult, HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION));
    ASSERT_EQ(writer->finish(100), S_OK);
    EXPECT_EQ(readSequence(rec.file("rec.sqj")).status, SequenceStatus::Good);
}

TEST(SequenceReader, LongFileIsReadAcrossBufferBoundaries)
{
    TempFolder rec;
    std::optional<SequenceWriter> writer;
    ASSERT_EQ(SequenceWriter::create(rec.file("long.sqj"), &writer), S_OK);
    std::vector<std::string> expected;
    for (int i = 0; i < 5000; ++i) { // about 150 KB, several reads of the reader's buffer
        const std::string name = "Cam_20260101_000000_" + std::to_string(i) + ".jpg";
        ASSERT_EQ(writer->appendEntry(name), S_OK);
        writer->countFrame();
        expected.push_back(rec.file(name));
    }
    ASSERT_EQ(writer->finish(33), S_OK);
    auto seq = readSequence(rec.file("long.sqj"));
    EXPECT_EQ(seq.status, SequenceStatus::Good);
    EXPECT_EQ(seq.framePaths, expected);
}

} // namespace
