#pragma once
// The browser's own item identifiers: My Computer at the top of every list, and one junction
// per namespace registered under My Computer's NameSpace key, carrying its class id.

#include "platform/com/Guid.h"
#include "platform/shell/ItemIdList.h"

namespace browser {

// An absolute list holding My Computer only.
IdList myComputerList();
// My Computer followed by the junction of clsid.
IdList junctionList(const CLSID& clsid);
// The class id of a junction item; false for any other item.
bool junctionClass(LPCITEMIDLIST item, CLSID* clsid);

} // namespace browser
