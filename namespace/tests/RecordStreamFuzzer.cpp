// Item records from an object file: any bytes either decode or fail, in linear time, and a
// decoded record encodes and decodes to itself.
#include "namespace/store/RecordStream.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    foldra::ItemRecord record;
    foldra::ItemKind kind{};
    if (FAILED(foldra::decodeRecord({data, size}, &record, &kind)))
        return 0;
    std::vector<std::uint8_t> again = foldra::encodeRecord(record, kind);
    foldra::ItemRecord reread;
    foldra::ItemKind rekind{};
    if (FAILED(foldra::decodeRecord(again, &reread, &rekind)) || rekind != kind ||
        reread.name != record.name || reread.members != record.members ||
        reread.password != record.password)
        std::abort();
    return 0;
}
