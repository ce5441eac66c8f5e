#pragma once
// The control's own reader of a single-part sound stream: one endless HTTP response body,
// read in small pieces. Every blocking step has a bound: the send waits at most net_timeout,
// each read at most data_timeout, after which the request is closed and the read fails.
//
// Threads: one caller thread at a time calls Open, Read, QueryInfo and Close (the control's
// reader thread). Inside, a short-lived sending thread per Open and one reader thread make
// the blocking calls abortable.

#include "platform/base/Hresult.h"
#include "platform/base/WinTypes.h"
#include "platform/com/Variant.h"

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

namespace orvel::http {
class Connection;
class Request;
class Session;
} // namespace orvel::http

namespace pictra {

// Header query levels of QueryInfo, with the platform's numbers.
inline constexpr DWORD HTTP_QUERY_CONTENT_TYPE = 1;
inline constexpr DWORD HTTP_QUERY_CONTENT_LENGTH = 5;
inline constexpr DWORD HTTP_QUERY_STATUS_CODE = 19;
inline constexpr DWORD HTTP_QUERY_STATUS_TEXT = 20;
inline constexpr DWORD HTTP_QUERY_RAW_HEADERS_CRLF = 22;

class CamHTTPStreamClient {
public:
    static constexpr DWORD kDefaultNetTimeout = 15000;
    static constexpr DWORD kDefaultDataTimeout = 3000;

    CamHTTPStreamClient();
    virtual ~CamHTTPStreamClient();
    CamHTTPStreamClient(const CamHTTPStreamClient&) = delete;
    CamHTTPStreamClient& operator=(const CamHTTPStreamClient&) = delete;

    // GET url; *status receives the answer's status code. E_POINTER without status, E_FAIL
    // when the address does not parse, the camera cannot be reached or the answer takes longer
    // than net_timeout. A previous request is closed first.
    virtual HRESULT Open(std::string_view url, DWORD* status);
    // Up to size body bytes into buffer, at most data_timeout. E_POINTER, E_HANDLE without an
    // open request; E_FAIL when the read failed, the body ended or the time ran out: the
    // request is then closed and a later Read finds none.
    virtual HRESULT Read(DWORD size, void* buffer, DWORD* count);
    // A header of the open answer as text. *length: in, the buffer's size; out, the text's
    // length (or the size needed, with E_FAIL, when the buffer is too small).
    virtual HRESULT QueryInfo(DWORD level, DWORD* length, char* buffer);
    // Closes the request and everything under it; the reader thread is joined.
    virtual HRESULT Close();
    // "net_timeout" or "data_timeout" in milliseconds, as VT_I4; E_INVALIDARG for other names.
    virtual HRESULT GetOption(std::string_view name, VARIANT* value);
    // From any value that converts to a positive 32-bit integer; E_INVALIDARG otherwise, and
    // the old value stays.
    virtual HRESULT SetOption(std::string_view name, const VARIANT* value);

    // Any thread: a blocked or later Read fails at once (a stop that must not wait).
    void abort();

private:
    void readerLoop();
    void stopReader();

    std::atomic<DWORD> m_netTimeout{kDefaultNetTimeout};
    std::atomic<DWORD> m_dataTimeout{kDefaultDataTimeout};

    std::shared_ptr<orvel::http::Session> m_session;
    std::unique_ptr<orvel::http::Connection> m_connection;
    std::shared_ptr<orvel::http::Request> m_request;
    std::mutex m_abortMutex;
    std::shared_ptr<orvel::http::Request> m_abortable; // guarded by m_abortMutex

    // The read hand-off: one read at a time, start then done.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    void* m_buffer = nullptr;  // guarded by m_mutex
    DWORD m_size = 0;          // guarded by m_mutex
    DWORD m_count = 0;         // guarded by m_mutex
    bool m_readFailed = false; // guarded by m_mutex
    bool m_start = false;      // guarded by m_mutex
    bool m_done = false;       // guarded by m_mutex
    bool m_quit = false;       // guarded by m_mutex
    std::thread m_reader;
};

} // namespace pictra
