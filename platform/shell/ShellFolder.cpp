#include "platform/shell/ShellFolder.h"

#include "platform/base/Utf.h"
#include "platform/com/TaskMemory.h"

#include <cstring>

std::string strRetToUtf8(STRRET* strret, LPCITEMIDLIST item)
{
    if (!strret)
        return {};
    switch (strret->uType) {
    case STRRET_WSTR: {
        std::string text = utf16ToUtf8(strret->pOleStr);
        CoTaskMemFree(strret->pOleStr);
        strret->pOleStr = nullptr;
        return text;
    }
    case STRRET_CSTR:
        return std::string(strret->cStr, strnlen(strret->cStr, sizeof strret->cStr));
    case STRRET_OFFSET:
        if (!item || strret->uOffset >= ILGetSize(item))
            return {};
        return reinterpret_cast<const char*>(item) + strret->uOffset;
    default:
        return {};
    }
}
