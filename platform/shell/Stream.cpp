#include "platform/shell/Stream.h"

#include <algorithm>
#include <cstring>

namespace {

class MemoryStream final : public UnknownImpl<MemoryStream, IStream> {
public:
    explicit MemoryStream(std::shared_ptr<std::vector<BYTE>> bytes) : m_bytes(std::move(bytes)) {}

    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override
    {
        if (!pv && cb)
            return E_POINTER;
        std::size_t available = m_pos < m_bytes->size() ? m_bytes->size() - m_pos : 0;
        std::size_t n = std::min<std::size_t>(cb, available);
        if (n)
            std::memcpy(pv, m_bytes->data() + m_pos, n);
        m_pos += n;
        if (pcbRead)
            *pcbRead = static_cast<ULONG>(n);
        return S_OK;
    }
    HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override
    {
        if (!pv && cb)
            return E_POINTER;
        if (m_pos + cb > kMaxMemoryStreamBytes)
            return E_OUTOFMEMORY;
        if (m_bytes->size() < m_pos + cb)
            m_bytes->resize(m_pos + cb);
        if (cb)
            std::memcpy(m_bytes->data() + m_pos, pv, cb);
        m_pos += cb;
        if (pcbWritten)
            *pcbWritten = cb;
        return S_OK;
    }
    HRESULT Seek(LONGLONG move, DWORD origin, ULONGLONG* newPosition) override
    {
        LONGLONG base = origin == STREAM_SEEK_SET   ? 0
                        : origin == STREAM_SEEK_CUR ? static_cast<LONGLONG>(m_pos)
                        : origin == STREAM_SEEK_END ? static_cast<LONGLONG>(m_bytes->size())
                                                    : -1;
        if (base < 0 || base + move < 0 ||
            base + move > static_cast<LONGLONG>(kMaxMemoryStreamBytes))
            return E_INVALIDARG;
        m_pos = static_cast<std::size_t>(base + move);
        if (newPosition)
            *newPosition = m_pos;
        return S_OK;
    }
    HRESULT SetSize(ULONGLONG size) override
    {
        if (size > kMaxMemoryStreamBytes)
            return E_OUTOFMEMORY;
        m_bytes->resize(static_cast<std::size_t>(size));
        return S_OK;
    }
    HRESULT CopyTo(IStream*, ULONGLONG, ULONGLONG*, ULONGLONG*) override { return E_NOTIMPL; }
    HRESULT Commit(DWORD) override { return S_OK; }
    HRESULT Revert() override { return E_NOTIMPL; }
    HRESULT LockRegion(ULONGLONG, ULONGLONG, DWORD) override { return E_NOTIMPL; }
    HRESULT UnlockRegion(ULONGLONG, ULONGLONG, DWORD) override { return E_NOTIMPL; }
    HRESULT Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    HRESULT Clone(IStream**) override { return E_NOTIMPL; }

private:
    std::shared_ptr<std::vector<BYTE>> m_bytes;
    std::size_t m_pos = 0;
};

} // namespace

HRESULT createMemoryStream(std::shared_ptr<std::vector<BYTE>> bytes, DWORD grfMode,
                           IStream** stream)
{
    if (!stream)
        return E_POINTER;
    *stream = nullptr;
    if (!bytes)
        return E_INVALIDARG;
    if (grfMode & (STGM_WRITE | STGM_READWRITE))
        bytes->clear();
    return MemoryStream::createInstance(nullptr, IID_IStream, reinterpret_cast<void**>(stream),
                                        std::move(bytes));
}
