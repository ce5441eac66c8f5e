#pragma once
// The Record command (24578) of the single live view. The view calls runRecordCommand with
// what the Record dialog starts from; the album and recording code defines both functions.

#include "namespace/views/ViewState.h"

#include <string>

namespace foldra {

struct RecordRequest {
    HWND owner = nullptr;  // the view window
    std::string streamUrl; // the view's stream URL (Init's bstrUrl)
    std::string itemName;  // the item's name (Init's bstrName)
    // The view's own copy: the dialog starts from it, and a started recording stores into it.
    std::string* saveDirectory = nullptr;
    std::string* sequencePrefix = nullptr;
    RecordValues* values = nullptr;
};

// Whether the command can run at all (the view greys it otherwise).
bool recordCommandAvailable();
// Shows the Record dialog and starts the recorder; on the user-interface thread.
void runRecordCommand(const RecordRequest& request);

} // namespace foldra
