#pragma once
// A recording ICamRequestSink for the stream tests: every part (type, bytes, content type, time)
// and every status, read through the client's data object during OnDataAvailable as real
// consumers do. Waits are bounded by deadlines.

#include "common/ICamMultipartRequest.h"
#include "common/ICamRequestSink.h"
#include "platform/com/UnknownImpl.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace lumin::test {

struct SeenPart {
    UI4 cookie = 0;
    UI4 type = 0;
    std::string data;
    std::string contentType; // "-" when the data object holds none
    std::chrono::steady_clock::time_point at;
};

struct SeenStatus {
    UI4 cookie = 0;
    UI4 status = 0;
    std::string info; // "(null)" for a null BSTR
    std::chrono::steady_clock::time_point at;
};

class StreamSink final : public UnknownImpl<StreamSink, ICamRequestSink> {
public:
    StreamSink() = default;

    // The client whose data object is read; not referenced (the test holds it).
    void watch(ICamMultipartRequest* client) { m_client = client; }
    // Runs inside OnDataAvailable after the part was recorded (to block, for instance).
    void onPart(std::function<void()> hook) { m_hook = std::move(hook); }

    HRESULT OnDataAvailable(UI4 dwCookie, UI4 dwType) override;
    HRESULT OnStatusChanged(UI4 dwCookie, UI4 dwStatus, BSTR bstrInfo) override;

    bool waitParts(std::size_t count, std::chrono::milliseconds timeout);
    bool waitStatus(UI4 status, std::chrono::milliseconds timeout);
    std::vector<SeenPart> parts();
    std::vector<SeenStatus> statuses();

private:
    ~StreamSink() override = default;

    ICamMultipartRequest* m_client = nullptr;
    std::function<void()> m_hook;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<SeenPart> m_parts;      // guarded by m_mutex
    std::vector<SeenStatus> m_statuses; // guarded by m_mutex
};

} // namespace lumin::test
