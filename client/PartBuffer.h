#pragma once
// The bytes of one part as the splitter assembles them and the client's own data object keeps
// them: grown without clearing (each byte is written before it is read), so one buffer can be
// handed from the splitter to the data object and the object's previous one back again.

#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace lumin {

template <typename T> struct UninitializedAllocator : std::allocator<T> {
    template <typename U> struct rebind {
        using other = UninitializedAllocator<U>;
    };
    template <typename U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <typename U, typename... A> void construct(U* p, A&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<A>(args)...);
    }
};

using PartBuffer = std::vector<char, UninitializedAllocator<char>>;

} // namespace lumin
