#include "namespace/store/ItemPath.h"

namespace foldra {

std::string itemPathOf(LPCITEMIDLIST absolute)
{
    std::string path;
    for (LPCITEMIDLIST p = absolute; !ILIsEmpty(p); p = ILNext(p))
        if (const CamItemId* id = ownItemId(p))
            path = joinItemPath(path, id->nameUtf8());
    return path;
}

std::string joinItemPath(const std::string& path, const std::string& name)
{
    if (path.empty())
        return name;
    return path + kItemPathSeparator + name;
}

std::vector<std::string> splitItemPath(const std::string& path)
{
    std::vector<std::string> parts;
    if (path.empty())
        return parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = path.find(kItemPathSeparator, start);
        parts.push_back(path.substr(start, end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

const CamItemId* lastOwnItemId(LPCITEMIDLIST absolute)
{
    const CamItemId* last = nullptr;
    bool finalIsOwn = false;
    for (LPCITEMIDLIST p = absolute; !ILIsEmpty(p); p = ILNext(p)) {
        const CamItemId* id = ownItemId(p);
        finalIsOwn = id != nullptr;
        if (id)
            last = id;
    }
    return finalIsOwn ? last : nullptr;
}

} // namespace foldra
