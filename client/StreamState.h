#pragma once
// What a Luminent shares with its worker threads. ClientCore lives as long as the Luminent or
// any worker that still runs (a thread left hanging in a sink after Close may outlive the
// object); OpenStream is one opened URL with its handles, signals and queues.

#include "client/PartHeaders.h"
#include "common/ICamDataObject.h"
#include "common/ICamRequestSink.h"
#include "platform/base/CriticalSection.h"
#include "platform/base/Event.h"
#include "platform/base/MessageQueue.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/http/Connection.h"
#include "platform/http/Request.h"
#include "platform/http/Session.h"

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lumin {

class DefaultDataObject;

inline constexpr UINT WM_CAM_DATA = WM_USER + 101;
inline constexpr UINT WM_CAM_STATUS = WM_USER + 102;
inline constexpr UINT WM_CAM_SIMPLE_JOB = WM_USER + 103;

inline constexpr UI4 kDefaultReadSize = 2920;

struct ClientCore {
    explicit ClientCore(UI4 id) : identity(id) {}

    // The sinks advised now, each with a reference of its own, into out (its storage reused);
    // none once the owner is gone.
    void sinks(std::vector<ComPtr<ICamRequestSink>>& out);
    void forgetOwner();
    void setOwner(ConnectionPointImpl* point);

    const UI4 identity;
    CriticalSection clientLock; // the data object and each refill
    ComPtr<ICamDataObject> dataObject ORVEL_GUARDED_BY(clientLock);
    // dataObject itself when it is the client's own (no class named at advise): refilled
    // without copying each part.
    DefaultDataObject* ownObject ORVEL_GUARDED_BY(clientLock) = nullptr;

private:
    std::mutex m_ownerMutex;
    ConnectionPointImpl* m_sinks = nullptr; // guarded by m_ownerMutex
};

struct OpenStream {
    std::shared_ptr<ClientCore> core;
    std::string url;
    std::string path;
    HWND owner = nullptr;
    UI4 readSize = kDefaultReadSize;
    bool secure = false;

    std::shared_ptr<orvel::http::Session> session;
    std::mutex handleMutex; // guards the four handles and the flag below
    std::unique_ptr<orvel::http::Connection> connection;
    std::shared_ptr<orvel::http::Request> request;
    std::unique_ptr<orvel::http::Connection> simpleConnection;
    std::shared_ptr<orvel::http::Request> simpleRequest;
    bool handlesClosed = false; // set by stop: a request opened later is closed at once

    Event partConsumed{EventReset::Auto, EventState::Set};
    Event simpleIdle{EventReset::Manual, EventState::Set};
    Event stopSignal{EventReset::Manual}; // set by stop: ends a delay early
    Event callbackStarted{EventReset::Manual};
    Event requestOpened{EventReset::Manual};
    Event simpleStarted{EventReset::Manual};
    MessageQueue callbackQueue;
    MessageQueue simpleQueue;

    // Joined by stop once they have ended; a thread left hanging is detached instead. Touched
    // only by the client's own thread.
    std::thread requestWorker;
    std::thread callbackWorker;
    std::thread simpleWorker;

    std::atomic<DWORD> requestThread{0};
    std::atomic<DWORD> callbackThread{0};
    std::atomic<DWORD> simpleThread{0};

    int callbackProcessor = -1;      // where the callback thread is kept; request thread only
    std::atomic<long> sinkMicros{0}; // the sinks' time over the last part

    // Why the request is ending, set by the request thread before it posts CamStatusEndReason.
    std::mutex reasonMutex;
    std::string endReason; // guarded by reasonMutex
    std::string httpError; // "500 Internal Server Error"; guarded by reasonMutex

    // Frame-rate state, callback thread only.
    DWORD rateTick = 0;
    UI4 rateCount = 0;
    float lastRate = 0.0f;

    void closeSimpleHandles();
    void closeAllHandles();
};

// A job for the simple-request thread, handed over in a message and freed by that thread.
struct SimpleJob {
    std::shared_ptr<orvel::http::Request> request;
    UI4 timeout = 0;
    std::vector<BYTE> body;
};

} // namespace lumin
