// The object file as a file: what another compound-file reader finds in it, and what a crash
// in the middle of an update leaves behind.
#include "namespace/store/RecordStream.h"
#include "namespace/tests/StoreFixture.h"

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace foldra;

namespace {

std::string hexOf(const std::vector<std::uint8_t>& bytes)
{
    std::string hex;
    char two[3];
    for (std::uint8_t b : bytes) {
        std::snprintf(two, sizeof two, "%02x", b);
        hex += two;
    }
    return hex;
}

std::string runChecker(const std::string& file)
{
    std::string command =
        std::string("/usr/bin/python3 ") + FOLDRA_CHECK_SCRIPT + " '" + file + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return {};
    std::string out;
    std::array<char, 4096> buffer{};
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
        out.append(buffer.data(), n);
    return ::pclose(pipe) == 0 ? out : std::string("checker failed: ") + out;
}

bool haveOlefile()
{
    return std::system("/usr/bin/python3 -c 'import olefile' >/dev/null 2>&1") == 0;
}

} // namespace

class ObjectFileTest : public StoreFixture {};

TEST_F(ObjectFileTest, AnotherCompoundFileReaderSeesTheElementTreeAndRecords)
{
    if (!haveOlefile())
        GTEST_SKIP() << "python3-olefile not installed";
    ItemRecord cam = cameraRecord("cam1", "10.0.0.7:8080");
    ASSERT_EQ(m_store.Create(cam, ItemKind::Camera, nullptr), S_OK);
    ItemRecord album;
    album.name = "Album";
    album.address = "/srv/pictures";
    ASSERT_EQ(m_store.Create(album, ItemKind::Album, nullptr), S_OK);

    std::vector<std::string> expected = {
        "storage B70B3711",
        "stream Album " + hexOf(encodeRecord(album, ItemKind::Album)),
        "stream cam1 " + hexOf(encodeRecord(cam, ItemKind::Camera)),
    };
    const std::pair<const char*, ItemKind> adds[] = {
        {"Add Camera", ItemKind::AddCamera},
        {"Add Live Video site", ItemKind::AddLiveSite},
        {"Add Album", ItemKind::AddAlbum},
        {"Add Quad View", ItemKind::AddQuadView},
        {"Add Camera Switching", ItemKind::AddSwitchCam}};
    for (const auto& [name, kind] : adds) {
        ItemRecord add;
        add.name = name;
        expected.push_back(std::string("stream B70B3711/") + name + " " +
                           hexOf(encodeRecord(add, kind)));
    }
    std::sort(expected.begin(), expected.end());
    std::ostringstream joined;
    for (std::size_t i = 0; i < expected.size(); ++i)
        joined << (i ? "\n" : "") << expected[i];
    EXPECT_EQ(runChecker(m_store.objectFilePath()), joined.str() + "\n");
}

// A writer killed at any moment leaves a file that opens and holds one of the records it
// was writing, never a mixture or nothing.
TEST_F(ObjectFileTest, AKillDuringAnUpdateLeavesTheOldOrTheNewFile)
{
    ItemRecord record = cameraRecord("cam1", "address-0");
    ASSERT_EQ(m_store.Create(record, ItemKind::Camera, nullptr), S_OK);
    std::mt19937 random(15);
    constexpr int kRounds = 12;
    int lastSeen = 0;
    for (int round = 0; round < kRounds; ++round) {
        int progress[2];
        ASSERT_EQ(::pipe(progress), 0);
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(progress[0]);
            ItemStore store(m_store.objectFilePath());
            // Growing records, so a torn write would also change the file's length.
            for (int n = 1;; ++n) {
                ItemRecord next = cameraRecord("cam1", "address-" + std::to_string(n));
                next.members.assign(static_cast<std::size_t>(n % 50), std::string(20, 'm'));
                if (FAILED(store.Save("cam1", next, ItemKind::Camera)))
                    ::_exit(3);
                char tick = 1;
                if (::write(progress[1], &tick, 1) != 1)
                    ::_exit(4);
            }
        }
        ::close(progress[1]);
        // Let it finish a few updates, then kill it somewhere inside the next ones.
        char tick;
        for (int i = 0; i < 2; ++i)
            ASSERT_EQ(::read(progress[0], &tick, 1), 1);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(progress[0]);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << status;

        ItemRecord read;
        ASSERT_EQ(m_store.Read("cam1", &read), S_OK) << "round " << round;
        ASSERT_EQ(read.address.rfind("address-", 0), 0u) << read.address;
        int n = std::stoi(read.address.substr(8));
        EXPECT_EQ(read.members.size(), static_cast<std::size_t>(n % 50));
        lastSeen = std::max(lastSeen, n);
        std::vector<CamItemId> items;
        ASSERT_EQ(m_store.Enumerate("B70B3711", &items), S_OK);
        EXPECT_EQ(items.size(), 5u);
    }
    EXPECT_GT(lastSeen, 0);
    // A writer's temporary file left by the kill is cleared by the next change.
    ASSERT_EQ(m_store.Save("cam1", record, ItemKind::Camera), S_OK);
    int leftovers = 0;
    std::string folder = std::filesystem::path(m_store.objectFilePath()).parent_path();
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().find(".rfo.") != std::string::npos &&
            entry.path().extension() != ".lock")
            ++leftovers;
    EXPECT_EQ(leftovers, 0);
}
