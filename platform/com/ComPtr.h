#pragma once
// The one smart pointer for COM references: AddRef on copy, Release on destruction, so every
// reference held anywhere in the suite balances by construction.

#include "platform/com/Unknown.h"

#include <type_traits>
#include <utility>

template <typename T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference on p.
    explicit ComPtr(T* p) : m_p(p)
    {
        if (m_p)
            m_p->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.m_p) {}
    ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    template <typename U, typename = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    ComPtr(const ComPtr<U>& other) : ComPtr(static_cast<T*>(other.get()))
    {}
    ~ComPtr() { reset(); }

    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(m_p, other.m_p);
        return *this;
    }

    // Adopts a reference the caller already owns (an out-parameter filled by a callee).
    static ComPtr attach(T* p)
    {
        ComPtr c;
        c.m_p = p;
        return c;
    }
    T* detach() { return std::exchange(m_p, nullptr); }
    void reset()
    {
        if (T* p = std::exchange(m_p, nullptr))
            p->Release();
    }

    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    // For out-parameters: releases what is held, then hands the slot to the callee.
    T** put()
    {
        reset();
        return &m_p;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    // Queries another interface of the object; a null ComPtr when it has none.
    template <typename U> ComPtr<U> as() const
    {
        ComPtr<U> out;
        if (m_p)
            m_p->QueryInterface(iidOf<U>, out.putVoid());
        return out;
    }
    template <typename U> HRESULT queryInterface(ComPtr<U>* out) const
    {
        if (!m_p)
            return E_POINTER;
        return m_p->QueryInterface(iidOf<U>, out->putVoid());
    }

    // Hands a new reference to a raw out-parameter.
    HRESULT copyTo(T** out) const
    {
        if (!out)
            return E_POINTER;
        *out = m_p;
        if (m_p)
            m_p->AddRef();
        return S_OK;
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.m_p == b.m_p; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.m_p == nullptr; }

private:
    T* m_p = nullptr;
};
