// Item identifiers, item paths and the record stream encoding, as stored files and the shell
// see them.
#include "namespace/store/ItemPath.h"
#include "namespace/store/RecordStream.h"
#include "platform/base/Utf.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace foldra;

namespace {

// Little-endian stream builder for records written by older versions.
struct Bytes {
    std::vector<std::uint8_t> v;
    Bytes& u32(std::uint32_t x)
    {
        for (int i = 0; i < 4; ++i)
            v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
        return *this;
    }
    Bytes& str(const std::string& s)
    {
        if (s.empty())
            return u32(0);
        std::u16string w = utf8ToUtf16(s);
        u32(static_cast<std::uint32_t>(w.size() * 2 + 2));
        for (char16_t c : w) {
            v.push_back(static_cast<std::uint8_t>(c));
            v.push_back(static_cast<std::uint8_t>(c >> 8));
        }
        v.push_back(0);
        v.push_back(0);
        return *this;
    }
    // version, kind and the four fields every version has
    Bytes& head(std::uint32_t version, ItemKind kind)
    {
        return u32(version)
            .u32(static_cast<std::uint32_t>(kind))
            .str("cam1")
            .str("cam1:8080")
            .str("2")
            .str("320x240");
    }
};

IdList combine(LPCITEMIDLIST a, LPCITEMIDLIST b)
{
    return IdList(ILCombine(a, b));
}

} // namespace

TEST(CamItemIdTest, LayoutIsTheStoredSeventySixBytes)
{
    CamItemId id = CamItemId::make(ItemKind::Album, std::string("Pictures"));
    const auto* b = reinterpret_cast<const std::uint8_t*>(&id);
    EXPECT_EQ(b[0] | (b[1] << 8), 76);
    EXPECT_EQ(std::memcmp(b + 2, "CI1\0", 4), 0);
    EXPECT_EQ(b[6] | b[7], 0);
    EXPECT_EQ(b[8], 10);
    EXPECT_EQ(b[12], 'P');
    EXPECT_EQ(b[13], 0);
    EXPECT_EQ(b[12 + 2 * 8], 0) << "zero-padded after the name";

    // 32 units fill the field without terminator; longer names are cut to 32.
    std::string longName(40, 'x');
    CamItemId cut = CamItemId::make(ItemKind::Camera, longName);
    EXPECT_EQ(cut.nameUtf8(), std::string(32, 'x'));

    IdList list(cut.toIdList());
    EXPECT_EQ(ILGetSize(list.get()), 78u);
    ASSERT_NE(ownItemId(list.get()), nullptr);
    EXPECT_EQ(ownItemId(list.get())->nameUtf8(), std::string(32, 'x'));
}

TEST(CamItemIdTest, ForeignAndShortIdentifiersAreNotOwn)
{
    std::uint8_t foreign[] = {'M', 'C', 'o', 'm', 'p', 'u', 't', 'e', 'r'};
    IdList other(ILCreateFromBytes(foreign, sizeof foreign));
    EXPECT_EQ(ownItemId(other.get()), nullptr);

    // The signature on an item too short to hold the fields must not be trusted.
    std::uint8_t shortOwn[] = {'C', 'I', '1', 0, 0, 0, 1};
    IdList truncated(ILCreateFromBytes(shortOwn, sizeof shortOwn));
    EXPECT_EQ(ownItemId(truncated.get()), nullptr);
}

TEST(ItemPathTest, OwnNamesJoinedAndForeignOnesSkipped)
{
    std::uint8_t computer[] = {0x1F, 0x50, 0xE0, 0x4F};
    IdList myComputer(ILCreateFromBytes(computer, sizeof computer));
    IdList root(ILCreateFromBytes(computer, sizeof computer)); // root: no own identifier
    EXPECT_EQ(itemPathOf(root.get()), "");
    EXPECT_EQ(lastOwnItemId(root.get()), nullptr);

    IdList add(CamItemId::make(ItemKind::AddFolder, std::string("B70B3711")).toIdList());
    IdList item(CamItemId::make(ItemKind::AddCamera, std::string("Add Camera")).toIdList());
    IdList folder = combine(myComputer.get(), add.get());
    IdList full = combine(folder.get(), item.get());
    EXPECT_EQ(itemPathOf(full.get()), "B70B3711\\Add Camera");
    ASSERT_NE(lastOwnItemId(full.get()), nullptr);
    EXPECT_EQ(lastOwnItemId(full.get())->itemKind(), ItemKind::AddCamera);

    // Valid only when the final identifier is own.
    IdList trailingForeign = combine(full.get(), myComputer.get());
    EXPECT_EQ(lastOwnItemId(trailingForeign.get()), nullptr);
    EXPECT_EQ(splitItemPath("B70B3711\\Add Camera"),
              (std::vector<std::string>{"B70B3711", "Add Camera"}));
    EXPECT_TRUE(splitItemPath("").empty());
}

TEST(RecordStreamTest, VersionSixRoundTripsEveryField)
{
    ItemRecord record;
    record.name = "Quad Café";
    record.members = {"cam1", "", "cam3", ""};
    record.displayTimeMs = 7000;
    record.user = "root";
    record.password = "pässwörd";
    std::vector<std::uint8_t> bytes = encodeRecord(record, ItemKind::QuadView);
    EXPECT_EQ(bytes[0], 6);
    EXPECT_EQ(bytes[4], 2);

    ItemRecord read;
    ItemKind kind = ItemKind::Camera;
    ASSERT_EQ(decodeRecord(bytes, &read, &kind), S_OK);
    EXPECT_EQ(kind, ItemKind::QuadView);
    EXPECT_EQ(read.name, record.name);
    EXPECT_EQ(read.members, record.members);
    EXPECT_EQ(read.displayTimeMs, 7000u);
    EXPECT_EQ(read.password, record.password);

    // Empty strings are a zero count and nothing else: 4 + 4 + 6 × 4 + 4 + ...
    std::vector<std::uint8_t> empty = encodeRecord(ItemRecord{}, ItemKind::Camera);
    EXPECT_EQ(empty.size(), 4u + 4 + 6 * 4 + 4 + 4 + 2 * 4);
}

TEST(RecordStreamTest, OlderVersionsKeepTheDefaultsOfLaterFields)
{
    ItemRecord v1;
    ItemKind kind{};
    ASSERT_EQ(decodeRecord(Bytes().head(1, ItemKind::Camera).v, &v1, &kind), S_OK);
    EXPECT_EQ(v1.address, "cam1:8080");
    EXPECT_EQ(v1.resolution, "320x240");
    EXPECT_TRUE(v1.model.empty() && v1.firmware.empty() && v1.members.empty());
    EXPECT_EQ(v1.displayTimeMs, 5000u);
    EXPECT_TRUE(v1.user.empty() && v1.password.empty());

    ItemRecord v4;
    Bytes b4;
    b4.head(4, ItemKind::SwitchCam).str("OC30").str("3.00").u32(2).str("a").str("b");
    ASSERT_EQ(decodeRecord(b4.v, &v4, &kind), S_OK);
    EXPECT_EQ(kind, ItemKind::SwitchCam);
    EXPECT_EQ(v4.members, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(v4.displayTimeMs, 5000u);

    ItemRecord v5;
    Bytes b5;
    b5.head(5, ItemKind::SwitchCam).str("").str("").u32(0).u32(9000);
    ASSERT_EQ(decodeRecord(b5.v, &v5, &kind), S_OK);
    EXPECT_EQ(v5.displayTimeMs, 9000u);
}

TEST(RecordStreamTest, VersionTwoClassIdsMapThroughTheLegacyTable)
{
    ItemRecord known;
    ItemKind kind{};
    Bytes b;
    b.head(2, ItemKind::Camera).str("{134D21E6-1EBC-11D5-B0AB-009027BD8645}");
    ASSERT_EQ(decodeRecord(b.v, &known, &kind), S_OK);
    EXPECT_EQ(known.model, "OC30");
    EXPECT_EQ(known.firmware, "3.00");

    for (const char* text : {"{00000000-1111-2222-3333-444444444444}", "not a class id", ""}) {
        ItemRecord unknown;
        unknown.model = "stale";
        Bytes u;
        u.head(2, ItemKind::Camera).str(text);
        ASSERT_EQ(decodeRecord(u.v, &unknown, &kind), S_OK) << text;
        EXPECT_TRUE(unknown.model.empty() && unknown.firmware.empty()) << text;
    }
}

TEST(RecordStreamTest, TrailingBytesAreIgnoredAndShortStreamsFail)
{
    ItemRecord record;
    record.name = "cam";
    record.address = "10.0.0.1";
    std::vector<std::uint8_t> bytes = encodeRecord(record, ItemKind::Camera);
    std::vector<std::uint8_t> stale = bytes;
    // What remains of a longer record written before.
    for (int i = 0; i < 40; ++i)
        stale.push_back(static_cast<std::uint8_t>(0xA0 + i));
    ItemRecord read;
    ItemKind kind{};
    ASSERT_EQ(decodeRecord(stale, &read, &kind), S_OK);
    EXPECT_EQ(read.address, "10.0.0.1");

    // Cut inside the address: the name read before it stays.
    ItemRecord partial;
    std::span<const std::uint8_t> cut(bytes.data(), 8 + 4 + 8 + 6);
    EXPECT_EQ(decodeRecord(cut, &partial, &kind), E_FAIL);
    EXPECT_EQ(partial.name, "cam");

    // An odd byte count or a count of one cannot be UTF-16 with its terminator.
    EXPECT_EQ(decodeRecord(Bytes().u32(6).u32(0).u32(3).u32(0).v, &partial, &kind), E_FAIL);
    EXPECT_EQ(decodeRecord(Bytes().u32(6).u32(0).u32(1).u32(0).v, &partial, &kind), E_FAIL);
    EXPECT_EQ(decodeRecord(Bytes().u32(0).u32(0).v, &partial, &kind), E_FAIL) << "version 0";

    // A member count far beyond the stream fails at once instead of allocating.
    Bytes huge;
    huge.head(4, ItemKind::QuadView).str("").str("").u32(0xFFFFFFFF);
    EXPECT_EQ(decodeRecord(huge.v, &partial, &kind), E_FAIL);
}
