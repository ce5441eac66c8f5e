#pragma once
// One live stream of a view: a Luminent, its sink, the CamImageObject it fills. Opening
// advises the sink before the stream starts, so the first image is not missed; closing
// detaches the sink first, so nothing reaches a window after it. Lives on the user-interface
// thread.

#include "common/ICamIdentifyTarget.h"
#include "common/ICamImageObject.h"
#include "common/ICamMultipartRequest.h"
#include "common/ICamSimpleRequest.h"
#include "namespace/store/ItemRecord.h"
#include "namespace/views/StreamSink.h"
#include "platform/com/ComPtr.h"

#include <string>

namespace foldra {

// How long a live view waits for a camera's greeting when the record has no model.
inline constexpr UI4 kSingleViewIdentifyMs = 5000;

class LiveStream {
public:
    LiveStream(QObject* receiver, int slot) : m_receiver(receiver), m_slot(slot) {}
    ~LiveStream() { close(); }
    LiveStream(const LiveStream&) = delete;
    LiveStream& operator=(const LiveStream&) = delete;

    // Creates the Luminent (again after close). \retval S_OK, or the creation failure
    HRESULT create();
    // The Luminent's identification interface; null before create().
    ComPtr<ICamIdentifyTarget> identifier() const;
    // Advises a new sink with CamImageObject, takes the image object, passes the user and
    // opens url. \retval S_OK, or the first failure (the stream is then closed)
    HRESULT open(const std::string& url, HWND window, const std::string& user = {},
                 const std::string& password = {});
    // Unadvises, closes and releases everything; nothing is posted afterwards.
    void close();

    bool isOpen() const { return m_open; }
    ICamMultipartRequest* request() const { return m_request.get(); }
    ICamImageObject* image() const { return m_image.get(); }
    // For fire-and-forget commands to the same camera (PTZ).
    ComPtr<ICamSimpleRequest> simpleRequest() const;
    // The window took an image event: the next image may post again.
    void imageTaken() const;

private:
    QObject* m_receiver;
    int m_slot;
    ComPtr<ICamMultipartRequest> m_request;
    ComPtr<StreamSink> m_sink;
    ComPtr<ICamImageObject> m_image;
    bool m_open = false;
};

// A camera item's target and stream URL: GetTarget for a stored model, else IdentifyTarget
// with timeoutMs; then FormatVideoUrl. A LiveSite's URL is its address (no target).
// \retval S_OK, or why there is no URL (the view then stays dark)
HRESULT resolveStream(ICamIdentifyTarget* identify, const ItemRecord& record, ItemKind kind,
                      UI4 timeoutMs, ComPtr<ICamTarget>* target, std::string* url);

} // namespace foldra
