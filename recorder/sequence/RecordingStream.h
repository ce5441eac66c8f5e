#pragma once
// The camera connection of a recording: a Luminent created in-process by class id, advised
// with this stream's own sink for CamImageObject data objects, and the live image object those
// refill. Used by the recorder's frame view and by "camctl record".

#include "common/ICamImageObject.h"
#include "common/ICamMultipartRequest.h"
#include "platform/com/ComPtr.h"

#include <memory>
#include <string>

class RecordingStreamListener {
public:
    // A JPEG part is in the image object. Callback thread; the client delivers no further
    // part until this returns.
    virtual void onImage() = 0;
    // A connection status (21, 51 ...). Request thread.
    virtual void onStatus(UI4 status) = 0;
    // The stream ended by itself (CamStatusStreamEnded). Callback thread.
    virtual void onStreamEnded() {}

protected:
    ~RecordingStreamListener() = default;
};

class RecordingStream {
public:
    // Creates the client and advises it. The listener must outlive close(). Fails with the
    // creation's or the advise's result; a stream without an image object is refused (E_FAIL).
    static HRESULT create(RecordingStreamListener& listener,
                          std::unique_ptr<RecordingStream>* stream);
    // Closes.
    ~RecordingStream();
    RecordingStream(const RecordingStream&) = delete;
    RecordingStream& operator=(const RecordingStream&) = delete;

    ICamImageObject* image() const { return m_image.get(); }
    ComPtr<ICamImageObject> imageRef() const { return m_image; }
    // OpenUrl(url, 0, owner): the stream opens asynchronously.
    HRESULT open(const std::string& url, HWND owner);
    // DataUnadvise and Close: no listener call starts after this returns. Idempotent.
    void close();

    class Sink;

private:
    RecordingStream() = default;
    ComPtr<ICamMultipartRequest> m_request;
    ComPtr<ICamImageObject> m_image;
    ComPtr<Sink> m_sink;
};
