// Object files as the store opens them: any bytes are refused or give an element tree whose
// records the store reads, and a tree read writes back to a file that reads the same.
#include "namespace/store/CompoundFile.h"
#include "namespace/store/RecordStream.h"

#include <cstdlib>

namespace {
void readRecords(const foldra::StorageElement& storage)
{
    for (const foldra::StorageElement& child : storage.children) {
        foldra::ItemRecord record;
        foldra::ItemKind kind{};
        if (child.type == foldra::ElementType::Stream)
            (void)foldra::decodeRecord(child.bytes, &record, &kind);
        else
            readRecords(child);
    }
}

std::size_t countElements(const foldra::StorageElement& storage)
{
    std::size_t n = storage.children.size();
    for (const foldra::StorageElement& child : storage.children)
        n += countElements(child);
    return n;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    foldra::StorageElement root;
    if (FAILED(foldra::readCompoundFile({data, size}, &root)))
        return 0;
    readRecords(root);
    std::vector<std::uint8_t> written;
    // Names the format cannot hold (read from a foreign file) may refuse the write.
    if (FAILED(foldra::writeCompoundFile(root, &written)))
        return 0;
    foldra::StorageElement again;
    if (FAILED(foldra::readCompoundFile(written, &again)) ||
        countElements(again) != countElements(root))
        std::abort();
    return 0;
}
