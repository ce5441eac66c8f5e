#include "recorder/sequence/AlbumSequence.h"

#include "recorder/sequence/SequenceMembership.h"
#include "recorder/sequence/SequenceReader.h"
#include "recorder/sequence/tests/SequenceTestFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

TEST(CreateSequenceInterval, FollowsTheImagesTimes)
{
    EXPECT_EQ(createSequenceInterval(1, 1000, 1000), 500u);     // span 1, rate 2
    EXPECT_EQ(createSequenceInterval(10, 1000, 1005), 333u);    // rate 10 / 5 + 1 = 3
    EXPECT_EQ(createSequenceInterval(10, 1000, 1000), 90u);     // equal times: span 1, rate 11
    EXPECT_EQ(createSequenceInterval(3, 1000, 1060), 500u);     // rate 1 gives 1000, capped
    EXPECT_EQ(createSequenceInterval(2000, 0, 1), 0u);          // rate 2001 rounds down to 0 ms
    EXPECT_EQ(createSequenceInterval(10, 1005, 1000), 500u);    // last older than first
    EXPECT_EQ(createSequenceInterval(0xFFFFFFFFu, 7, 7), 500u); // rate wraps to 0, taken as 1
}

class AlbumSequenceTest : public testing::Test {
protected:
    std::string image(const std::string& name, std::int64_t mtime)
    {
        const std::string path = m_album.file(name);
        writeBytes(path, "\xFF\xD8 jpeg " + name);
        const timespec times[2] = {{static_cast<time_t>(mtime), 0},
                                   {static_cast<time_t>(mtime), 0}};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
        return path;
    }
    TempFolder m_album;
};

TEST_F(AlbumSequenceTest, ListsChosenJpegsNamedAfterTheFirst)
{
    std::vector<std::string> chosen;
    chosen.push_back(m_album.file("notes.txt")); // not an image: skipped
    writeBytes(chosen.back(), "text");
    for (int i = 0; i < 10; ++i) // ten images over five seconds, listed newest first
        chosen.push_back(image("Yard" + std::to_string(9 - i) + (i == 3 ? ".JPG" : ".jpg"),
                               1'000'000'000 + (i * 5) / 9));
    chosen.push_back(m_album.file("gone.jpg")); // deleted since it was listed: skipped

    std::string sequencePath;
    ASSERT_EQ(createAlbumSequence(chosen, &sequencePath), S_OK);
    EXPECT_EQ(sequencePath, m_album.file("Yard9.sqj"));

    std::string expected = rawHeader("sq11", 10, 333);
    for (int i = 0; i < 10; ++i)
        expected += rawEntry("Yard" + std::to_string(9 - i) + (i == 3 ? ".JPG" : ".jpg"));
    EXPECT_EQ(readBytes(sequencePath), expected);
}

TEST_F(AlbumSequenceTest, SingleImageAndNoImage)
{
    const std::string only = image("one.jpg", 1'700'000'000);
    writeBytes(m_album.file("one.sqj"), std::string(100, 'x')); // an older file is replaced
    std::string sequencePath;
    ASSERT_EQ(createAlbumSequence({only}, &sequencePath), S_OK);
    EXPECT_EQ(readBytes(sequencePath), rawHeader("sq11", 1, 500) + rawEntry("one.jpg"));

    std::string untouched = "unchanged";
    EXPECT_EQ(createAlbumSequence({m_album.file("a.png"), m_album.file("missing.jpg")}, &untouched),
              S_FALSE);
    EXPECT_EQ(untouched, "unchanged");
}

TEST_F(AlbumSequenceTest, MembersAreFoundCaseInsensitivelyByFullPath)
{
    const std::string a = image("Gate_1.jpg", 100);
    const std::string b = image("Gate_2.jpg", 101);
    const std::string loose = image("Other.jpg", 102);
    std::string sequencePath;
    ASSERT_EQ(createAlbumSequence({a, b}, &sequencePath), S_OK);

    const SequenceContents seq = readSequence(sequencePath);
    SequenceMembership owned;
    owned.add(seq);
    EXPECT_TRUE(owned.contains(a));
    EXPECT_TRUE(owned.contains(lowerCasePath(b)));
    EXPECT_TRUE(isSequenceMember(seq, m_album.path() + "/GATE_1.JPG"));
    EXPECT_FALSE(owned.contains(loose));
    EXPECT_FALSE(owned.contains("Gate_1.jpg")) << "bare names are not full paths";

    // An uncounted entry owns nothing.
    writeBytes(m_album.file("empty.sqj"), rawHeader("sq11", 0, 9) + rawEntry("Other.jpg"));
    SequenceMembership none;
    none.add(readSequence(m_album.file("empty.sqj")));
    EXPECT_FALSE(none.contains(loose));
}

} // namespace
