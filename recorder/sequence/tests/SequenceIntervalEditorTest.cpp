#include "recorder/sequence/SequenceIntervalEditor.h"

#include "recorder/sequence/SequenceWriter.h"
#include "recorder/sequence/tests/SequenceTestFiles.h"

#include <gtest/gtest.h>

namespace {

TEST(SequenceIntervalEditor, RewritesOnlyTheIntervalBytes)
{
    TempFolder album;
    const std::string path = album.file("s.sqj");
    // Counted entries, an uncounted one and trailing bytes: all must survive as they are.
    const std::string before = rawHeader("Sq11", 2, 333) + rawEntry("a.jpg") + rawEntry("b.jpg") +
                               rawEntry("c.jpg") + "\x01\x02";
    writeBytes(path, before);

    std::optional<SequenceIntervalEditor> editor;
    ASSERT_EQ(SequenceIntervalEditor::open(path, &editor), S_OK);
    EXPECT_EQ(editor->frameInterval(), 333u);
    ASSERT_EQ(editor->setFrameInterval(60000), S_OK);
    EXPECT_EQ(editor->frameInterval(), 60000u);
    editor.reset();

    std::string after = before;
    after.replace(8, 4, le32(60000));
    EXPECT_EQ(readBytes(path), after);
}

TEST(SequenceIntervalEditor, LeavesForeignShortAndHeldFilesAlone)
{
    TempFolder album;
    std::optional<SequenceIntervalEditor> editor;
    for (std::string bytes :
         {std::string("RIFF\0\0\0\0\0\0\0\0", 12), std::string("sq11\1\0\0\0\5")}) {
        writeBytes(album.file("x.sqj"), bytes);
        EXPECT_EQ(SequenceIntervalEditor::open(album.file("x.sqj"), &editor),
                  HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
        EXPECT_FALSE(editor.has_value());
        EXPECT_EQ(readBytes(album.file("x.sqj")), bytes);
    }
    EXPECT_EQ(SequenceIntervalEditor::open(album.file("none.sqj"), &editor),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));

    std::optional<SequenceWriter> recording;
    ASSERT_EQ(SequenceWriter::create(album.file("rec.sqj"), &recording), S_OK);
    EXPECT_EQ(SequenceIntervalEditor::open(album.file("rec.sqj"), &editor),
              HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION));
}

} // namespace
