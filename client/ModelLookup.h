#pragma once
// The registry model table under HKEY_LOCAL_MACHINE\Software\Orvel Works\Lumin\Settings:
// its default value names the default target; one subkey per model, whose default value is
// the model's target and whose string values map firmware versions to targets; a "Hidden"
// value (any type, any data) keeps a model out of the chooser.

#include "platform/base/Hresult.h"
#include "platform/com/Guid.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumin {

inline constexpr const char* kModelTableKey = "Software\\Orvel Works\\Lumin\\Settings";
// Longest model name or version the chooser and the lookup take, as the dialog's buffers did.
inline constexpr std::size_t kMaxChoiceText = 260;

// Model key → version value, else the model's default; no model key → the table's default.
// An empty name or version counts as unknown. \retval S_OK, E_FAIL (no table, or an empty or
// missing class text; logs "LookupTarget failed" at level 1), or CLSIDFromString's failure.
HRESULT lookupTarget(std::string_view name, std::string_view version, CLSID* clsid);

// The chooser's name list: model keys without a "Hidden" value, in registry order.
std::vector<std::string> chooserModelNames();
// The value names of a model's key (the default value left out); nullopt when the name is
// longer than kMaxChoiceText or the key cannot be opened.
std::optional<std::vector<std::string>> modelVersionNames(std::string_view name);

} // namespace lumin
