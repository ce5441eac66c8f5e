#include "namespace/record/RecordSettings.h"

#include "namespace/resources/FoldraStrings.h"
#include "namespace/server/Registration.h"
#include "platform/registry/RegistryKey.h"

#include <cstdlib>

namespace foldra {
namespace {

// A missing value, or one that is no dword, reads as 0.
DWORD readDword(HKEY key, const char* name)
{
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return 0;
    return value;
}

std::string temporaryDirectory()
{
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

// Cut to the byte limit, never inside a UTF-8 sequence.
std::string cut(const std::string& text)
{
    if (text.size() <= kMaxRecordPath)
        return text;
    std::size_t end = kMaxRecordPath;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

} // namespace

DWORD durationUnitSeconds(DWORD unit)
{
    switch (unit) {
    case 1:
        return 60;
    case 2:
        return 3600;
    default:
        return 1;
    }
}

RecordSettings startingRecordSettings(const std::string& viewDirectory,
                                      const std::string& viewPrefix, const RecordValues& view)
{
    RecordSettings s;
    s.prefix = loadString(IDS_SEQUENCE_PREFIX);
    s.rateUnit = view.unit;
    s.rate = view.speed;
    s.durationSeconds = view.duration;
    s.durationUnit = view.durationUnit;
    s.maxSizeMb = view.maxSize;
    RegistryKey key;
    if (!key.open(HKEY_CURRENT_USER, kFoldraSettingsKey, KEY_ALL_ACCESS))
        return s;
    s.directory = viewDirectory;
    if (s.directory.empty())
        s.directory = key.text("LastSaveDir");
    if (s.directory.empty())
        s.directory = temporaryDirectory();
    if (!viewPrefix.empty()) {
        s.prefix = viewPrefix;
        return s;
    }
    s.prefix = key.text("SequencePrefix");
    if (s.prefix.empty())
        s.prefix = loadString(IDS_SEQUENCE_PREFIX);
    s.rateUnit = readDword(key.get(), "RecordUnit");
    s.rate = readDword(key.get(), "RecordSpeed");
    s.durationSeconds = readDword(key.get(), "RecordDuration");
    s.durationUnit = readDword(key.get(), "RecordDurationUnit");
    s.maxSizeMb = readDword(key.get(), "RecordMaxSize");
    return s;
}

bool storeRecordSettings(const RecordSettings& s, std::string* viewDirectory,
                         std::string* viewPrefix, RecordValues* view)
{
    RegistryKey key;
    if (!key.open(HKEY_CURRENT_USER, kFoldraSettingsKey, KEY_ALL_ACCESS))
        return false;
    const std::string directory = cut(s.directory);
    const std::string prefix = cut(s.prefix);
    if (viewDirectory)
        *viewDirectory = directory;
    if (viewPrefix)
        *viewPrefix = prefix;
    if (view)
        *view = RecordValues{s.rateUnit, s.rate, s.durationSeconds, s.durationUnit, s.maxSizeMb};
    bool stored =
        key.setString("LastSaveDir", directory) && key.setString("SequencePrefix", prefix);
    stored = key.setDword("RecordUnit", s.rateUnit) && stored;
    stored = key.setDword("RecordSpeed", s.rate) && stored;
    stored = key.setDword("RecordDuration", s.durationSeconds) && stored;
    stored = key.setDword("RecordDurationUnit", s.durationUnit) && stored;
    return key.setDword("RecordMaxSize", s.maxSizeMb) && stored;
}

} // namespace foldra
