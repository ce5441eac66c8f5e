#pragma once
// ICamDataObject over a DataObjectStore, for the media classes: they name their own interface
// first and inherit the six data-object operations.
//
//   class CamImageObject final : public DataObjectImpl<CamImageObject, ICamImageObject> {...};

#include "common/ICamDataObject.h"
#include "media/DataObjectStore.h"
#include "media/ModuleState.h"
#include "platform/com/UnknownImpl.h"

namespace medrix {

template <typename Derived, typename Primary>
class DataObjectImpl : public UnknownImpl<Derived, Primary, ICamDataObject> {
public:
    HRESULT SetProperty(BSTR name, BSTR value) override { return m_store.setProperty(name, value); }
    HRESULT GetProperty(BSTR name, BSTR* value) override
    {
        return m_store.getProperty(name, value);
    }
    HRESULT GetData(BOOL bNullTerminate, DWORD* pcb, BYTE** ppb) override
    {
        return m_store.getData(bNullTerminate, pcb, ppb);
    }
    HRESULT SetData(DWORD cb, BYTE* pb) override { return m_store.setData(cb, pb); }
    HRESULT Lock() override
    {
        m_store.mutex().lock();
        return S_OK;
    }
    HRESULT Unlock() override
    {
        m_store.mutex().unlock();
        return S_OK;
    }

protected:
    DataObjectImpl() : UnknownImpl<Derived, Primary, ICamDataObject>(&moduleLiveCount()) {}

    DataObjectStore m_store;
};

} // namespace medrix
