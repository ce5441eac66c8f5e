#pragma once
// CamRecord: the recorder's automation object, one per process (single-use registration). It
// keeps the URL and name of Init and hands Start to the process's recording; Stop is not
// offered. Called on the main thread (the server posts every call there).

#include "common/ICamRecord.h"
#include "platform/com/Dispatch.h"
#include "platform/com/UnknownImpl.h"
#include "recorder/engine/ShutdownMonitor.h"

#include <string>

class RecorderProcess;

class CamRecord final : public UnknownImpl<CamRecord, DualImpl<ICamRecord>> {
public:
    explicit CamRecord(RecorderProcess& process);

    // The class factory's creation function, for the process set with serve().
    static HRESULT create(IUnknown* outer, REFIID riid, void** ppv);
    static void serve(RecorderProcess* process);

    HRESULT Start(BSTR bstrDirectory, BSTR bstrPrefix, LONG lElapse, DWORD dwDuration,
                  DWORD dwMaxSize) override;
    HRESULT Stop() override { return E_NOTIMPL; }
    HRESULT Init(BSTR bstrUrl, BSTR bstrName) override;

private:
    RecorderProcess& m_process;
    ModuleLock m_lock; // one module lock while the object exists
    std::string m_url;
    std::string m_name;
};
