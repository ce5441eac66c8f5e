#pragma once
// What the folder hands a content item's view when it creates it: the item's place and record,
// the store to read member records from, and the folder it belongs to.

#include "namespace/store/ItemKind.h"
#include "namespace/store/ItemRecord.h"
#include "namespace/store/ItemStore.h"
#include "platform/com/ComPtr.h"

#include <string>

namespace foldra {

struct ViewContext {
    ComPtr<IUnknown> folder; // keeps the folder alive while the view lives
    ItemStore store;
    std::string itemPath; // the item's ItemPath
    ItemKind kind = ItemKind::Camera;
    ItemRecord record; // read when the view was created; empty when it could not be read
    HWND owner = nullptr;
};

} // namespace foldra
