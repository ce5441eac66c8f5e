#pragma once
// How the control turns a property value into an address: against the page that hosts it, so
// a camera's own page can name its stream by a bare path.

#include <optional>
#include <string>
#include <string_view>

namespace pictra {

// Nothing for an empty value. Without a document address (no page, or the host gave none) the
// value as it is; also when it holds "http://" or "https://" anywhere (either case). Otherwise
// the document's scheme and host (with any port: the text up to the first "/" after its "//")
// followed by the value, with a "/" between them when the value lacks one. A document address
// without "//" leaves the value as it is.
std::optional<std::u16string> resolveAgainstDocument(std::u16string_view value,
                                                     const std::optional<std::u16string>& document);

} // namespace pictra
