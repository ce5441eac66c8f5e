// The live view's Record command: the Record dialog, then a recorder process of its own.
#include "namespace/views/RecordCommand.h"

#include "common/ICamRecord.h"
#include "common/RecoraClasses.h"
#include "namespace/record/RecordDialog.h"
#include "namespace/record/RecordSettings.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Runtime.h"

#include <QApplication>

namespace foldra {
namespace {

// The recorder's size limit is 32 bits of bytes.
DWORD maxSizeBytes(DWORD megabytes)
{
    constexpr DWORD kMegabyte = 1048576;
    return megabytes >= 4096 ? 0xFFFFFFFFu : megabytes * kMegabyte;
}

} // namespace

bool recordCommandAvailable()
{
    return true;
}

void runRecordCommand(const RecordRequest& request)
{
    const RecordValues values = request.values ? *request.values : RecordValues{};
    RecordSettings settings = startingRecordSettings(
        request.saveDirectory ? *request.saveDirectory : std::string(),
        request.sequencePrefix ? *request.sequencePrefix : std::string(), values);
    QWidget* owner = QApplication::activeWindow();
    if (!owner)
        owner = reinterpret_cast<QWidget*>(request.owner);
    RecordDialog dialog(owner, settings);
    if (dialog.exec() != QDialog::Accepted)
        return;
    settings = dialog.settings();

    // The recorder belongs to the user once started: nothing here waits for it or stops it.
    ComPtr<ICamRecord> recorder;
    if (FAILED(CoCreateInstance(CLSID_CamRecord, nullptr, CLSCTX_LOCAL_SERVER, IID_ICamRecord,
                                recorder.putVoid())))
        return;
    recorder->Init(Bstr(request.streamUrl).get(), Bstr(request.itemName).get());
    const HRESULT hr = recorder->Start(Bstr(settings.directory).get(), Bstr(settings.prefix).get(),
                                       static_cast<LONG>(settings.intervalMs),
                                       settings.durationSeconds, maxSizeBytes(settings.maxSizeMb));
    recorder.reset();
    if (hr == S_OK)
        storeRecordSettings(settings, request.saveDirectory, request.sequencePrefix,
                            request.values);
}

} // namespace foldra
