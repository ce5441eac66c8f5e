#include "control/SoundStream.h"

#include "common/LuminClasses.h"
#include "platform/base/ThreadPriority.h"
#include "platform/base/Utf.h"
#include "platform/com/Runtime.h"
#include "platform/com/TaskMemory.h"

#include <vector>

namespace pictra {

bool SoundSink::ours(UI4 cookie) const
{
    // Statuses can come before DataAdvise has returned the cookie; this sink serves the sound
    // request alone, so those are ours too.
    const UI4 known = m_channel->cookie.load();
    return known == 0 || cookie == known;
}

HRESULT SoundSink::OnDataAvailable(UI4 dwCookie, UI4 dwType)
{
    if (dwType != CamTypeAudio || !ours(dwCookie))
        return S_OK;
    {
        std::lock_guard hold(m_channel->mutex);
        if (!m_channel->dataObject)
            return S_OK;
        DWORD size = 0;
        BYTE* block = nullptr;
        if (SUCCEEDED(m_channel->dataObject->GetData(FALSE, &size, &block)) && block)
            m_channel->player->play(block, size);
        CoTaskMemFree(block);
    }
    m_channel->poster->post(AudioNotice::NewSoundSample);
    return S_OK;
}

HRESULT SoundSink::OnStatusChanged(UI4 dwCookie, UI4 dwStatus, BSTR)
{
    if (!ours(dwCookie))
        return S_OK;
    if (dwStatus == 21 || dwStatus == 51)
        m_channel->poster->post(AudioNotice::SoundStatus, static_cast<int>(dwStatus));
    return S_OK;
}

SoundStream::SoundStream(std::shared_ptr<SoundPlayer> player, std::shared_ptr<AudioPoster> poster)
    : m_channel(std::make_shared<SoundChannel>())
{
    m_channel->player = std::move(player);
    m_channel->poster = std::move(poster);
    m_sink = ComPtr<ICamRequestSink>::attach(SoundSink::createRaw(m_channel));
}

SoundStream::~SoundStream()
{
    stop();
}

bool SoundStream::openMultipart(const std::string& soundUrl, HWND window)
{
    if (m_request)
        return true;
    ComPtr<ICamMultipartRequest> request;
    if (FAILED(CoCreateInstance(CLSID_Luminent, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ICamMultipartRequest, request.putVoid())))
        return false;
    // Advised before the stream opens: on a near camera "connected" (21) is reported before
    // OpenUrl returns, and it decides whether this listener may stay.
    UI4 cookie = 0;
    if (FAILED(request->DataAdvise(m_sink.get(), nullptr, &cookie)))
        return false;
    Bstr url(utf8ToUtf16(soundUrl + "?http-type=multipart").c_str());
    if (FAILED(request->OpenUrl(url.get(), kChunkBytes, window))) {
        request->DataUnadvise();
        return false;
    }
    m_channel->cookie = cookie;
    GUID iid = IID_ICamDataObject;
    ComPtr<ICamDataObject> dataObject;
    if (SUCCEEDED(request->QueryDataObject(&iid, dataObject.putVoid()))) {
        std::lock_guard hold(m_channel->mutex);
        m_channel->dataObject = std::move(dataObject);
    }
    m_request = std::move(request);
    return true;
}

bool SoundStream::openSinglepart(const std::string& soundUrl)
{
    if (m_reader.joinable())
        stop();
    DWORD status = 0;
    if (FAILED(m_client.Open(soundUrl + "?http-type=singlepart", &status)) || status != 200) {
        m_client.Close();
        return false;
    }
    {
        std::lock_guard hold(m_stopMutex);
        m_stop = false;
    }
    m_readerEnded = false;
    m_reader = std::thread([this] { readLoop(); });
    return true;
}

void SoundStream::readLoop()
{
    // Called on the reader thread.
    setCurrentThreadPriority(orvel::ThreadPriority::Highest);
    std::vector<std::uint8_t> buffer(kChunkBytes);
    for (;;) {
        {
            std::unique_lock lock(m_stopMutex);
            if (m_stopWake.wait_for(lock, std::chrono::milliseconds(5), [&] { return m_stop; }))
                break;
        }
        DWORD count = 0;
        if (FAILED(m_client.Read(kChunkBytes, buffer.data(), &count)))
            break;
        if (count > 0)
            m_channel->player->play(buffer.data(), count);
    }
    m_readerEnded = true;
}

void SoundStream::stop()
{
    if (m_reader.joinable()) {
        {
            std::lock_guard hold(m_stopMutex);
            m_stop = true;
            m_stopWake.notify_all();
        }
        m_client.abort(); // a read in progress returns at once
        m_reader.join();
        m_client.Close();
    }
    if (ComPtr<ICamMultipartRequest> request = std::move(m_request)) {
        m_channel->cookie = 0;
        {
            std::lock_guard hold(m_channel->mutex);
            m_channel->dataObject.reset();
        }
        // Outside the channel's lock: Close waits for the callback thread, which may wait for it.
        request->DataUnadvise();
        request->Close();
    }
}

} // namespace pictra
