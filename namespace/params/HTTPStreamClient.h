#pragma once
// The parameter accessor's own small HTTP client: one GET at a time. The request is sent on a
// connection thread, which also answers the camera's password prompt and certificate question
// as the platform's error dialog did; the body is read on a data thread. So every wait of the
// calling thread has a deadline (net_timeout for the send, data_timeout for each read) however
// the camera behaves.
//
// Used from one thread at a time (the user-interface thread); the worker threads are owned
// here, touch only the request and the shared read job, and are joined by Close and the
// destructor. On the event loop's thread the wait for the send keeps the loop turning, so the
// built-in prompts, which the connection thread hands to that thread, can show.

#include "platform/base/Hresult.h"
#include "platform/com/Variant.h"

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace orvel::http {
class Connection;
class Request;
class Session;
} // namespace orvel::http

namespace foldra {

inline constexpr DWORD kDefaultNetTimeoutMs = 15000;
inline constexpr DWORD kDefaultDataTimeoutMs = 15000;
// How long Close and a time-out wait for a worker thread after aborting its call.
inline constexpr DWORD kThreadEndWaitMs = 1000;
// The body bytes an error page may have for its title to be found.
inline constexpr std::size_t kTitleSearchBytes = 2048;
// Sends of one OpenURL: the first and those after an answered prompt.
inline constexpr unsigned kMaxSendRounds = 8;

// Info levels of QueryHTTPResponse, numbered as the platform's internet library numbered them.
enum HttpQuery : DWORD {
    HttpQueryContentType = 1,
    HttpQueryContentLength = 5,
    HttpQueryStatusCode = 19,
    HttpQueryStatusText = 20,
    HttpQueryRawHeadersCrLf = 22,
    HttpQueryCustom = 65, // the header named by the text in the buffer
    HttpQueryFlagNumber = 0x20000000,
};

// The platform's numbers for two answers of QueryHTTPResponse.
inline constexpr unsigned long ERROR_HTTP_HEADER_NOT_FOUND = 12150;
inline constexpr unsigned long ERROR_HTTP_INVALID_HEADER = 12153;

class HTTPStreamClient {
public:
    HTTPStreamClient();
    // Closes what is open, as Close does.
    virtual ~HTTPStreamClient();
    HTTPStreamClient(const HTTPStreamClient&) = delete;
    HTTPStreamClient& operator=(const HTTPStreamClient&) = delete;

    // OpenURL without a referrer; on failure text (textSize bytes, always terminated when
    // textSize > 0) receives the response's status text ("Not Found"), else it is emptied.
    virtual HRESULT OpenURLWithText(const std::string& url, DWORD* status, char* text,
                                    std::size_t textSize);
    // GETs url (http or https; a URL's own user and password win over stream_uname and
    // stream_pwd). status (may be null): 200, or the HTTP status once one arrived. message (may
    // be null): the <title> of an error page.
    // \retval S_OK (a 2xx answer; its body is read with GetData), E_ACCESSDENIED (a 401 that
    //         the prompt did not answer), E_FAIL (another status, no status), the network
    //         failure as HRESULT_FROM_WIN32 of its 12xxx number (12002: time-out)
    virtual HRESULT OpenURL(const std::string& url, DWORD* status, const std::string& referrer,
                            std::string* message);
    // Reads up to size body bytes into buffer, waiting at most data_timeout. *count 0 with S_OK
    // is the end of the body. A time-out closes the request.
    // \retval S_OK, E_POINTER, E_HANDLE (nothing open), HRESULT_FROM_WIN32 of the failure
    virtual HRESULT GetData(std::size_t size, void* buffer, std::size_t* count);
    // A part of the response head (see HttpQuery): text terminated, *length its size without
    // the terminator; with HttpQueryFlagNumber a DWORD.
    // \retval S_OK, E_POINTER, E_HANDLE, E_INVALIDARG (level not known),
    //         HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER) with *length the size needed,
    //         HRESULT_FROM_WIN32(ERROR_HTTP_HEADER_NOT_FOUND / ERROR_HTTP_INVALID_HEADER)
    virtual HRESULT QueryHTTPResponse(DWORD infoLevel, DWORD* length, void* buffer);
    // Stops the data thread and closes the handles. Idempotent. \retval S_OK
    virtual HRESULT Close();
    // "net_timeout", "data_timeout" (VT_I4, ms), "stream_uname", "stream_pwd" (VT_BSTR); names
    // compare ignoring case. value is cleared first.
    // \retval S_OK, E_POINTER, E_INVALIDARG (other names)
    virtual HRESULT GetProperty(std::string_view name, VARIANT* value);
    // The time-outs take anything that converts to a positive integer; the strings anything
    // that converts to text. A refused value leaves the old one.
    // \retval S_OK, E_POINTER, E_INVALIDARG
    virtual HRESULT SetProperty(std::string_view name, const VARIANT* value);

private:
    struct SendRound;
    struct ReadJob;

    // Sends, then lets the prompts do what the error dialog did (ask for a password after a
    // 401, ask about an untrusted certificate) and sends again when they were answered.
    // Called on the connection thread.
    static void connectionThread(const std::shared_ptr<SendRound>& round,
                                 orvel::http::Request& request, const std::string& extraHeaders);
    // One read per request of the calling thread, until told to stop or a read fails.
    // dataTimeoutMs only bounds each of its waits. Called on the data thread.
    static void dataThread(const std::shared_ptr<ReadJob>& job,
                           const std::shared_ptr<orvel::http::Request>& request,
                           DWORD dataTimeoutMs);
    HRESULT sendRequest(const std::string& extraHeaders);
    HRESULT startDataThread();
    void stopDataThread();
    void closeHandles();
    std::string readTitle();

    DWORD m_netTimeoutMs = kDefaultNetTimeoutMs;
    DWORD m_dataTimeoutMs = kDefaultDataTimeoutMs;
    std::string m_user;
    std::string m_password;

    // The handles of the open request, closed innermost first.
    std::shared_ptr<orvel::http::Session> m_session;
    std::unique_ptr<orvel::http::Connection> m_connection;
    std::shared_ptr<orvel::http::Request> m_request;

    std::shared_ptr<ReadJob> m_job; // shared with the data thread
    std::thread m_dataThread;
};

// However a camera trickles its reply, readBody gives up after this long in all.
inline constexpr DWORD kWholeReplyWaitMs = 60000;

// Reads the open request's body through GetData, piece bytes at a time, until its end or
// until limit bytes are there, within kWholeReplyWaitMs in all. *complete (may be null): the
// end was reached.
// \retval S_OK, GetData's failures, HRESULT_FROM_WIN32(12002) when the whole wait ran out
HRESULT readBody(HTTPStreamClient& client, std::size_t limit, std::size_t piece, std::string& body,
                 bool* complete);

} // namespace foldra
