#include "viewer/app/AviCreation.h"

#include "common/ICamImageObject.h"
#include "common/MedrixClasses.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Runtime.h"
#include "recorder/sequence/avi/AviStreamInfo.h"
#include "recorder/sequence/avi/AviWriter.h"
#include "viewer/app/ControlBar.h"
#include "viewer/app/MainFrame.h"
#include "viewer/app/VistelDoc.h"
#include "viewer/app/VistelStrings.h"
#include "viewer/app/VistelView.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMetaObject>
#include <chrono>
#include <cstdio>

namespace vistel {

namespace {
// How often the view shows the frame being compressed: about a camera's frame rate.
constexpr auto kViewFramePeriod = std::chrono::milliseconds(40);
} // namespace

AviCreation::AviCreation(CVistelDoc* document, CMainFrame* frame, Event& creationEvent,
                         AviDialogs& dialogs)
    : m_document(document), m_frame(frame), m_creationEvent(creationEvent), m_dialogs(dialogs)
{}

AviCreation::~AviCreation()
{
    stopAndWait();
}

template <typename F> auto AviCreation::onWindowThread(F f)
{
    using R = decltype(f());
    if constexpr (std::is_void_v<R>) {
        QMetaObject::invokeMethod(m_frame, std::move(f), Qt::BlockingQueuedConnection);
    } else {
        R result{};
        QMetaObject::invokeMethod(m_frame, std::move(f), Qt::BlockingQueuedConnection, &result);
        return result;
    }
}

template <typename F> void AviCreation::post(F f)
{
    QMetaObject::invokeMethod(m_frame, std::move(f), Qt::QueuedConnection);
}

void AviCreation::start()
{
    if (m_thread.joinable())
        return;
    m_frames = m_document->frames();
    m_interval = m_document->frameInterval();
    m_finished = false;
    m_thread = std::thread([this] { run(); });
}

void AviCreation::stopAndWait()
{
    m_creationEvent.reset();
    if (!m_thread.joinable())
        return;
    // The thread's last act posts an empty call, so this wait always wakes.
    while (!m_finished.load())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    m_thread.join();
}

void AviCreation::run()
{
    CoInitialize(nullptr);
    {
        ComPtr<ICamImageObject> image;
        if (SUCCEEDED(CoCreateInstance(CLSID_CamImageObject, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_ICamImageObject, image.putVoid())))
            createAvi(image.get());
        else
            std::fprintf(stderr, "Vistel: AVI creation has no image object\n");
    }
    CoUninitialize();
    m_finished = true;
    post([] {}); // wakes stopAndWait
}

void AviCreation::createAvi(ICamImageObject* image)
{
    const std::string proposed = m_frames.empty() ? std::string() : proposedAviName(m_frames[0]);
    const std::optional<std::string> file =
        onWindowThread([&] { return m_dialogs.chooseOutputFile(m_frame, proposed); });

    bool success = false;
    if (file) {
        AviStreamInfo info = describeAviStream(m_interval, static_cast<UI4>(m_frames.size()));
        std::unique_ptr<AviWriter> writer;
        std::optional<CompressorChoice> choice;
        std::chrono::steady_clock::time_point lastShown;
        for (std::size_t i = 0; i < m_frames.size(); ++i) {
            if (!m_creationEvent.isSet())
                break; // cancelled: what was written stays
            // The view gets a decoded frame at a rate the eye follows; the other frames go to
            // the compressor straight from their JPEG bytes.
            const auto now = std::chrono::steady_clock::now();
            const bool show =
                !writer || i + 1 == m_frames.size() || now - lastShown >= kViewFramePeriod;
            _CAM_BIH header{};
            const std::uint8_t* bits = nullptr;
            if (show) {
                if (const HRESULT hr =
                        m_document->loadPixelBlock(image, m_frames[i], &header, &bits);
                    FAILED(hr)) {
                    std::fprintf(stderr, "Vistel: cannot read frame %s (0x%08X)\n",
                                 m_frames[i].c_str(), static_cast<unsigned>(hr));
                    success = false;
                    break;
                }
                lastShown = now;
                post([this] { m_frame->view()->update(); });
            }
            post([this, i] { m_frame->controlBar()->setPosition(static_cast<int>(i)); });
            if (!writer) {
                info.rcFrame = {0, 0, header.biWidth, header.biHeight};
                const std::vector<VideoCompressor> compressors = availableCompressors();
                choice = onWindowThread(
                    [&] { return m_dialogs.chooseCompressor(m_frame, compressors); });
                if (!choice)
                    break;
                info.fccHandler = choice->compressor.fourcc;
                std::string error;
                if (FAILED(AviWriter::create(*file, info, choice->compressor, choice->settings,
                                             &writer, &error))) {
                    std::fprintf(stderr, "Vistel: %s\n", error.c_str());
                    break;
                }
                post([this] { m_frame->statusPane()->setText(loadString(kStringCreatingAvi)); });
            }
            // Coded on the writer's workers while this thread goes on with the next frame.
            HRESULT hr = E_FAIL;
            if (show && choice->compressor.kind != CompressorKind::JpegCopy)
                hr = writer->queueBitmap(header, bits); // decoded already
            else
                hr = writer->queueJpegFile(m_frames[i]);
            if (FAILED(hr)) {
                std::fprintf(stderr, "Vistel: %s\n", writer->lastError().c_str());
                success = false;
                break;
            }
            success = true;
        }
        // The frames in flight are written, also after a cancel: what the file holds is
        // what was reported.
        if (writer && FAILED(writer->finish())) {
            std::fprintf(stderr, "Vistel: %s\n", writer->lastError().c_str());
            success = false;
        }
        m_document->freePixelBlock();
        if (!success)
            onWindowThread(
                [this] { m_dialogs.showFailure(m_frame, loadString(kStringCreateAviFailed)); });
    }
    // Finished, failed or declined: the viewer closes, unless a close already cancelled us.
    if (m_creationEvent.isSet())
        post([this] { m_frame->close(); });
}

} // namespace vistel
