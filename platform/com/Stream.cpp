#include "platform/com/Stream.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

// The bytes are shared with clones, as clones of one stream on Windows share their memory;
// each clone has its own position. Used on one thread at a time.
class MemoryStream final : public UnknownImpl<MemoryStream, IStream> {
public:
    explicit MemoryStream(std::shared_ptr<std::vector<BYTE>> bytes, ULONGLONG position = 0)
        : m_bytes(std::move(bytes)), m_position(position)
    {}

    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override
    {
        if (!pv)
            return STG_E_INVALIDPOINTER;
        const std::vector<BYTE>& bytes = *m_bytes;
        ULONG n = 0;
        if (m_position < bytes.size())
            n = static_cast<ULONG>(std::min<ULONGLONG>(cb, bytes.size() - m_position));
        if (n > 0)
            std::memcpy(pv, bytes.data() + m_position, n);
        m_position += n;
        if (pcbRead)
            *pcbRead = n;
        return S_OK;
    }

    HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override
    {
        if (pcbWritten)
            *pcbWritten = 0;
        if (!pv && cb > 0)
            return STG_E_INVALIDPOINTER;
        const ULONGLONG end = m_position + cb;
        if (end > kMaxMemoryStreamBytes)
            return STG_E_MEDIUMFULL;
        std::vector<BYTE>& bytes = *m_bytes;
        try {
            if (end > bytes.size())
                bytes.resize(static_cast<std::size_t>(end));
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        if (cb > 0)
            std::memcpy(bytes.data() + m_position, pv, cb);
        m_position = end;
        if (pcbWritten)
            *pcbWritten = cb;
        return S_OK;
    }

    HRESULT Seek(LONGLONG dlibMove, DWORD dwOrigin, ULONGLONG* plibNewPosition) override
    {
        LONGLONG base = 0;
        switch (dwOrigin) {
        case STREAM_SEEK_SET:
            break;
        case STREAM_SEEK_CUR:
            base = static_cast<LONGLONG>(m_position);
            break;
        case STREAM_SEEK_END:
            base = static_cast<LONGLONG>(m_bytes->size());
            break;
        default:
            return STG_E_INVALIDFUNCTION;
        }
        if ((dlibMove < 0 && -dlibMove > base) ||
            (dlibMove > 0 && static_cast<ULONGLONG>(dlibMove) > kMaxMemoryStreamBytes))
            return STG_E_INVALIDFUNCTION;
        m_position = static_cast<ULONGLONG>(base + dlibMove);
        if (plibNewPosition)
            *plibNewPosition = m_position;
        return S_OK;
    }

    HRESULT SetSize(ULONGLONG libNewSize) override
    {
        if (libNewSize > kMaxMemoryStreamBytes)
            return STG_E_MEDIUMFULL;
        try {
            m_bytes->resize(static_cast<std::size_t>(libNewSize));
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

    HRESULT CopyTo(IStream* pstm, ULONGLONG cb, ULONGLONG* pcbRead, ULONGLONG* pcbWritten) override
    {
        if (!pstm)
            return STG_E_INVALIDPOINTER;
        const std::vector<BYTE>& bytes = *m_bytes;
        ULONGLONG n = 0;
        if (m_position < bytes.size())
            n = std::min<ULONGLONG>(cb, bytes.size() - m_position);
        ULONGLONG written = 0;
        HRESULT hr = S_OK;
        while (written < n && SUCCEEDED(hr)) {
            ULONG chunk = static_cast<ULONG>(std::min<ULONGLONG>(n - written, 1u << 20));
            ULONG done = 0;
            hr = pstm->Write(bytes.data() + m_position + written, chunk, &done);
            written += done;
        }
        m_position += written;
        if (pcbRead)
            *pcbRead = written;
        if (pcbWritten)
            *pcbWritten = written;
        return hr;
    }

    HRESULT Commit(DWORD) override { return S_OK; }
    HRESULT Revert() override { return S_OK; }
    HRESULT LockRegion(ULONGLONG, ULONGLONG, DWORD) override { return STG_E_INVALIDFUNCTION; }
    HRESULT UnlockRegion(ULONGLONG, ULONGLONG, DWORD) override { return STG_E_INVALIDFUNCTION; }

    HRESULT Stat(STATSTG* pstatstg, DWORD) override
    {
        if (!pstatstg)
            return STG_E_INVALIDPOINTER;
        *pstatstg = {};
        pstatstg->type = STGTY_STREAM;
        pstatstg->cbSize = m_bytes->size();
        return S_OK;
    }

    HRESULT Clone(IStream** ppstm) override
    {
        return createInstance(nullptr, IID_IStream, reinterpret_cast<void**>(ppstm), m_bytes,
                              m_position);
    }

private:
    ~MemoryStream() override = default;

    std::shared_ptr<std::vector<BYTE>> m_bytes;
    ULONGLONG m_position;
};

} // namespace

HRESULT CreateStreamOnHGlobal(void* hGlobal, BOOL, IStream** ppstm)
{
    if (!ppstm)
        return E_POINTER;
    *ppstm = nullptr;
    if (hGlobal)
        return E_INVALIDARG;
    auto bytes = std::make_shared<std::vector<BYTE>>();
    return MemoryStream::createInstance(nullptr, IID_IStream, reinterpret_cast<void**>(ppstm),
                                        std::move(bytes));
}
