#pragma once
// A property bag written into a stream and read back: how an object that saves itself by
// name keeps its properties in a stream or in a storage's stream. Names and values are
// stored as they are in the bag: VT_I4, VT_BOOL and VT_BSTR values (others are written as
// text).
//
// Layout, little-endian: "OPB1", a 32-bit count, then per entry a 32-bit name length in code
// units, the UTF-16 name, a 16-bit VARTYPE and the value (VT_I4: 32 bits, VT_BOOL: 16 bits,
// VT_BSTR: a 32-bit length in code units and the UTF-16 text).

#include "platform/com/PropertyBag.h"
#include "platform/com/Stream.h"

// Longest text value read back, in code units; a longer one marks the stream as foreign.
inline constexpr std::size_t kMaxStreamedTextLength = 64 * 1024;

// S_OK, or the stream's write error.
HRESULT writePropertyBag(IStream* stream, const MemoryPropertyBag& bag);
// Appends the stream's entries to bag. E_FAIL for a stream that is not in this layout, is cut
// short, or exceeds the bag's bounds; bag is then left as it was.
HRESULT readPropertyBag(IStream* stream, MemoryPropertyBag& bag);
