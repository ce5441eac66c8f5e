#pragma once
// What the desktop did for "open" and "explore" of an item list and for starting a program
// with a document: the browser host opens item lists; anything else goes to xdg-open.

#include "platform/base/Hresult.h"
#include "platform/shell/ItemIdList.h"

#include <functional>
#include <string>

// The browser's handler of item lists: verb "open" or "explore". Set by the browser host.
using IdListOpener =
    std::function<HRESULT(HWND owner, LPCITEMIDLIST absolute, const std::string& verb)>;
void setIdListOpener(IdListOpener opener);
// E_FAIL when no browser handles item lists in this process.
HRESULT shellExecuteIdList(HWND owner, LPCITEMIDLIST absolute, const std::string& verb);

// Opens a web address or a file with the desktop's program for it ("iexplore" and "open" of
// the other platform). Tests replace the launcher; the built-in one starts xdg-open detached.
using DocumentLauncher = std::function<bool(const std::string& target)>;
void setDocumentLauncher(DocumentLauncher launcher);
bool openDocument(const std::string& target);
