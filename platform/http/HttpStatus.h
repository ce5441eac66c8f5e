#pragma once
// Connection progress reported to a session's status callback, with the platform's numbers:
// the camera client passes 20, 21, 50 and 51 through to its sinks unchanged.

#include "platform/base/WinTypes.h"

#include <cstdint>
#include <functional>
#include <string_view>

namespace orvel::http {

enum class HttpStatus : DWORD {
    ResolvingName = 10,
    NameResolved = 11,
    ConnectingToServer = 20,
    ConnectedToServer = 21,
    SendingRequest = 30,
    RequestSent = 31,
    ReceivingResponse = 40,
    ResponseReceived = 41,
    ClosingConnection = 50,
    ConnectionClosed = 51,
    HandleCreated = 60,
    HandleClosing = 70,
    Redirect = 110,
    IntermediateResponse = 120,
    StateChange = 200,
};

// The context a connection or request was opened with; 0 means "report nothing".
using Context = std::uintptr_t;

// Called on the thread that is inside the HTTP call (or that closes the request).
using StatusCallback = std::function<void(Context context, HttpStatus status)>;

// "INTERNET_STATUS_CONNECTED_TO_SERVER" and so on: the names the client log uses.
std::string_view statusName(HttpStatus s);

} // namespace orvel::http
