#include "namespace/album/ViewerLauncher.h"

#include "common/IVistel.h"
#include "common/VistelClasses.h"
#include "namespace/album/AlbumListing.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Runtime.h"

namespace foldra {

HRESULT startViewer(const std::string& path, ViewerAction action)
{
    const bool sequence = isSequenceFile(path);
    if (!sequence && (action == ViewerAction::CreateAvi || !isImageFile(path)))
        return E_INVALIDARG;
    ComPtr<IVistel> viewer;
    if (HRESULT hr = CoCreateInstance(CLSID_Vistel, nullptr, CLSCTX_LOCAL_SERVER, IID_IVistel,
                                      viewer.putVoid());
        FAILED(hr))
        return hr;
    const Bstr file(path);
    HRESULT hr = action == ViewerAction::CreateAvi ? viewer->SetSequenceCreateAVI(file.get())
                 : sequence                        ? viewer->SetSequence(file.get())
                                                   : viewer->SetImage(file.get());
    if (hr == S_OK)
        hr = viewer->SetUserCtrl();
    return hr;
}

} // namespace foldra
