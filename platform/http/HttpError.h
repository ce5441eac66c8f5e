#pragma once
// Failures of the HTTP layer, numbered as the platform's internet library numbered them, so
// logs and callers that compare against those numbers (12030, 12031, 12045 ...) keep working.

#include "platform/base/WinTypes.h"

#include <string>

namespace orvel::http {

enum class HttpError : DWORD {
    None = 0,
    OutOfHandles = 12001,
    Timeout = 12002,
    InternalError = 12004,
    InvalidUrl = 12005,
    UnrecognizedScheme = 12006,
    NameNotResolved = 12007,
    OperationCancelled = 12017,
    IncorrectHandleState = 12019,
    CannotConnect = 12029,
    ConnectionAborted = 12030,
    ConnectionReset = 12031,
    ForceRetry = 12032,
    InvalidCa = 12045,
    InvalidServerResponse = 12152,
    SecurityChannelError = 12157,
};

constexpr DWORD errorNumber(HttpError e)
{
    return static_cast<DWORD>(e);
}

// A short English description for logs and command-line messages.
std::string describe(HttpError e);

} // namespace orvel::http
