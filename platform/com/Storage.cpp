#include "platform/com/Storage.h"

#include "platform/com/ComPtr.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Element {
    std::u16string name;
    ComPtr<IStream> stream; // its own position is reset at each open
};

// Named streams in memory; used on one thread at a time.
class MemoryStorage final : public UnknownImpl<MemoryStorage, IStorage> {
public:
    MemoryStorage() = default;

    HRESULT CreateStream(const OLECHAR* pwcsName, DWORD grfMode, DWORD, DWORD,
                         IStream** ppstm) override
    {
        if (!ppstm)
            return STG_E_INVALIDPOINTER;
        *ppstm = nullptr;
        std::u16string name;
        if (!validName(pwcsName, name))
            return STG_E_INVALIDNAME;
        if (Element* existing = find(name)) {
            if (!(grfMode & STGM_CREATE))
                return STG_E_FILEALREADYEXISTS;
            existing->stream->SetSize(0);
            existing->stream->Seek(0, STREAM_SEEK_SET, nullptr);
            return existing->stream.copyTo(ppstm);
        }
        if (m_elements.size() >= kMaxElements)
            return STG_E_MEDIUMFULL;
        ComPtr<IStream> stream;
        if (HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, stream.put()); FAILED(hr))
            return hr;
        m_elements.push_back({std::move(name), stream});
        return stream.copyTo(ppstm);
    }

    HRESULT OpenStream(const OLECHAR* pwcsName, void*, DWORD, DWORD, IStream** ppstm) override
    {
        if (!ppstm)
            return STG_E_INVALIDPOINTER;
        *ppstm = nullptr;
        std::u16string name;
        if (!validName(pwcsName, name))
            return STG_E_INVALIDNAME;
        Element* element = find(name);
        if (!element)
            return STG_E_FILENOTFOUND;
        element->stream->Seek(0, STREAM_SEEK_SET, nullptr);
        return element->stream.copyTo(ppstm);
    }

    HRESULT CreateStorage(const OLECHAR*, DWORD, DWORD, DWORD, IStorage** ppstg) override
    {
        if (ppstg)
            *ppstg = nullptr;
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT OpenStorage(const OLECHAR*, IStorage*, DWORD, SNB, DWORD, IStorage** ppstg) override
    {
        if (ppstg)
            *ppstg = nullptr;
        return STG_E_FILENOTFOUND;
    }
    HRESULT CopyTo(DWORD, const IID*, SNB, IStorage*) override { return STG_E_INVALIDFUNCTION; }
    HRESULT MoveElementTo(const OLECHAR*, IStorage*, const OLECHAR*, DWORD) override
    {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT Commit(DWORD) override { return S_OK; }
    HRESULT Revert() override { return S_OK; }
    HRESULT EnumElements(DWORD, void*, DWORD, IEnumSTATSTG** ppenum) override
    {
        if (ppenum)
            *ppenum = nullptr;
        return E_NOTIMPL;
    }
    HRESULT DestroyElement(const OLECHAR* pwcsName) override
    {
        std::u16string name;
        if (!validName(pwcsName, name))
            return STG_E_INVALIDNAME;
        for (auto it = m_elements.begin(); it != m_elements.end(); ++it)
            if (it->name == name) {
                m_elements.erase(it);
                return S_OK;
            }
        return STG_E_FILENOTFOUND;
    }
    HRESULT RenameElement(const OLECHAR* pwcsOldName, const OLECHAR* pwcsNewName) override
    {
        std::u16string from, to;
        if (!validName(pwcsOldName, from) || !validName(pwcsNewName, to))
            return STG_E_INVALIDNAME;
        if (find(to))
            return STG_E_FILEALREADYEXISTS;
        Element* element = find(from);
        if (!element)
            return STG_E_FILENOTFOUND;
        element->name = std::move(to);
        return S_OK;
    }
    HRESULT SetElementTimes(const OLECHAR*, const void*, const void*, const void*) override
    {
        return S_OK;
    }
    HRESULT SetClass(REFCLSID clsid) override
    {
        m_clsid = clsid;
        return S_OK;
    }
    HRESULT SetStateBits(DWORD, DWORD) override { return S_OK; }
    HRESULT Stat(STATSTG* pstatstg, DWORD) override
    {
        if (!pstatstg)
            return STG_E_INVALIDPOINTER;
        *pstatstg = {};
        pstatstg->type = STGTY_STORAGE;
        pstatstg->clsid = m_clsid;
        return S_OK;
    }

private:
    static constexpr std::size_t kMaxElements = 256;

    ~MemoryStorage() override = default;

    static bool validName(const OLECHAR* text, std::u16string& name)
    {
        if (!text)
            return false;
        std::size_t length = 0;
        while (length <= kMaxStorageNameLength && text[length] != 0)
            ++length;
        if (length == 0 || length > kMaxStorageNameLength)
            return false;
        name.assign(text, length);
        return true;
    }
    Element* find(const std::u16string& name)
    {
        for (Element& element : m_elements)
            if (element.name == name)
                return &element;
        return nullptr;
    }

    std::vector<Element> m_elements;
    CLSID m_clsid = GUID_NULL;
};

} // namespace

HRESULT createMemoryStorage(IStorage** ppstg)
{
    if (!ppstg)
        return E_POINTER;
    return MemoryStorage::createInstance(nullptr, IID_IStorage, reinterpret_cast<void**>(ppstg));
}
