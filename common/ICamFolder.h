#pragma once
// The camera namespace's own interface. It has no operations: the folder is used through the
// shell-folder interfaces; this id only names the class's interface in its type library.

#include "platform/com/Unknown.h"

inline constexpr IID IID_ICamFolder = makeGuid("{B70B3710-525C-11D4-B070-009027BD8645}");

struct ICamFolder : IUnknown {
protected:
    ~ICamFolder() = default;
};
template <> inline constexpr IID iidOf<ICamFolder> = IID_ICamFolder;
