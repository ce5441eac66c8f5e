#include "platform/shell/DataObject.h"

#include <QString>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

// Registered formats start where the desktop's do.
constexpr CLIPFORMAT kFirstRegisteredFormat = 0xC000;

std::mutex g_formatsMutex;
std::vector<std::string>* g_formats; // guarded by g_formatsMutex; index + 0xC000

struct Block {
    std::size_t size;
    alignas(std::max_align_t) unsigned char bytes[1];
};

Block* blockOf(HGLOBAL handle)
{
    return reinterpret_cast<Block*>(handle);
}

} // namespace

CLIPFORMAT RegisterClipboardFormatA(const char* name)
{
    if (!name || !*name)
        return 0;
    std::lock_guard lock(g_formatsMutex);
    if (!g_formats)
        g_formats = new std::vector<std::string>;
    for (std::size_t i = 0; i < g_formats->size(); ++i)
        if (QString::fromStdString((*g_formats)[i]).compare(QString(name), Qt::CaseInsensitive) ==
            0)
            return static_cast<CLIPFORMAT>(kFirstRegisteredFormat + i);
    if (g_formats->size() >= 0x3FFF)
        return 0;
    g_formats->push_back(name);
    return static_cast<CLIPFORMAT>(kFirstRegisteredFormat + g_formats->size() - 1);
}

std::string clipboardFormatName(CLIPFORMAT format)
{
    std::lock_guard lock(g_formatsMutex);
    if (!g_formats || format < kFirstRegisteredFormat ||
        format - kFirstRegisteredFormat >= static_cast<int>(g_formats->size()))
        return {};
    return (*g_formats)[format - kFirstRegisteredFormat];
}

HGLOBAL GlobalAllocBytes(std::size_t size)
{
    void* memory = std::calloc(1, offsetof(Block, bytes) + size + 1);
    if (!memory)
        return nullptr;
    auto* block = static_cast<Block*>(memory);
    block->size = size;
    return reinterpret_cast<HGLOBAL>(block);
}

std::size_t GlobalSize(HGLOBAL handle)
{
    return handle ? blockOf(handle)->size : 0;
}

void* GlobalLock(HGLOBAL handle)
{
    return handle ? blockOf(handle)->bytes : nullptr;
}

void GlobalUnlock(HGLOBAL) {}

void GlobalFree(HGLOBAL handle)
{
    std::free(handle);
}

void ReleaseStgMedium(STGMEDIUM* medium)
{
    if (!medium)
        return;
    if (medium->pUnkForRelease)
        medium->pUnkForRelease->Release();
    else if (medium->tymed == TYMED_HGLOBAL)
        GlobalFree(medium->hGlobal);
    medium->hGlobal = nullptr;
    medium->pUnkForRelease = nullptr;
}
