#pragma once
// The record a wizard or a property sheet edits, and what its pages share about it.

#include "namespace/store/ItemKind.h"
#include "namespace/store/ItemRecord.h"
#include "namespace/store/ItemStore.h"

#include <string>

namespace foldra {

// -1 while a property sheet edits an existing item, 0 while a wizard runs, 1 once the user
// confirmed (Finish, or OK in the sheet). Stored nowhere; the values follow the old sheets.
enum class EditState : int { Properties = -1, Wizard = 0, Confirmed = 1 };

struct EditedItem {
    ItemRecord record;
    ItemKind kind = ItemKind::Camera; // the kind created or edited
    EditState state = EditState::Wizard;
    bool inSheet = false; // a property sheet edits an existing item
    ItemStore store;

    // Pages propose a default name only for a new item (the user page confirms before the
    // sheet's other pages are done, so the state alone cannot say).
    bool proposesNames() const { return !inSheet; }
    // base, or base(2) … base(99), whichever is not yet an item of the root; empty when all
    // are taken or the object file cannot be read.
    std::string uniqueName(const std::string& base) const;
    // Sets the record's name to uniqueName(base), or to base itself when there is none.
    void proposeName(const std::string& base);
};

} // namespace foldra
