#pragma once
// One member camera's live stream for the quad and switch views: a Luminent of its own, the
// member identified (stored model, else the banner within a time-out) to format its stream URL,
// and the client's sink notices carried to the window thread.
//
// Owned and used on the window thread. The sink runs on the client's threads; it only sets
// flags and stores the status text under a lock, and posts one call per notice kind to the
// window (a new image is posted once until the window has taken it, so a slow window never
// piles up calls).

#include "common/ICamImageObject.h"
#include "common/ICamMultipartRequest.h"
#include "namespace/store/ItemRecord.h"
#include "platform/com/ComPtr.h"

#include <QObject>
#include <functional>
#include <memory>
#include <string>

namespace foldra {

class StreamNotices;

enum class StreamNotice {
    Image,  // a JPEG part is in the image object
    Status, // statusText() changed
};

class MemberStream {
public:
    MemberStream() = default;
    ~MemberStream(); // closes
    MemberStream(const MemberStream&) = delete;
    MemberStream& operator=(const MemberStream&) = delete;

    // Creates the Luminent. Its failure is the creation's.
    HRESULT create();
    bool created() const { return static_cast<bool>(m_request); }
    HRESULT setUser(const std::string& user, const std::string& password);
    // The stream URL of member: GetTarget(model, firmware) when the record has a model, else
    // IdentifyTarget(address, ..., identifyTimeoutMs), then FormatVideoUrl. E_FAIL when the
    // camera is not identified or has no URL.
    HRESULT formatUrl(const ItemRecord& member, DWORD identifyTimeoutMs, std::string* url);
    // Advises the sink with a CamImageObject, sets the delay and opens url. notify runs on
    // receiver's thread for every notice until close(). window owns the credential prompts.
    HRESULT open(const std::string& url, UINT delayMs, QObject* receiver, HWND window,
                 std::function<void(StreamNotice)> notify);
    // Unadvises and stops the stream (the client's threads are joined); idempotent.
    void close();
    HRESULT setDelay(UINT delayMs);

    bool isOpen() const { return static_cast<bool>(m_notices); }
    // The newest image; null before open().
    ICamImageObject* image() const { return m_image.get(); }
    // The text the status bar shows for this stream's last status notice.
    std::string statusText() const;
    // Since open(): status 21 came (connected); a JPEG part came or the stream ended.
    bool connected() const;
    bool imageOrEnded() const;
    bool ended() const;

private:
    ComPtr<ICamMultipartRequest> m_request;
    ComPtr<ICamImageObject> m_image;
    std::shared_ptr<StreamNotices> m_notices;
};

} // namespace foldra
