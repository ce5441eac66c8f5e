#include "namespace/wizard/EditedItem.h"

namespace foldra {

std::string EditedItem::uniqueName(const std::string& base) const
{
    std::string name;
    if (base.empty() || FAILED(store.UniqueName(base, &name)))
        return {};
    return name;
}

void EditedItem::proposeName(const std::string& base)
{
    const std::string unique = uniqueName(base);
    record.name = unique.empty() ? base : unique;
}

} // namespace foldra
