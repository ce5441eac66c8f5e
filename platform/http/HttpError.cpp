#include "platform/http/HttpError.h"

namespace orvel::http {

std::string describe(HttpError e)
{
    switch (e) {
    case HttpError::None:
        return "no error";
    case HttpError::OutOfHandles:
        return "out of handles";
    case HttpError::Timeout:
        return "the operation timed out";
    case HttpError::InternalError:
        return "internal error of the HTTP layer";
    case HttpError::InvalidUrl:
        return "the URL is invalid";
    case HttpError::UnrecognizedScheme:
        return "the URL scheme is not http or https";
    case HttpError::NameNotResolved:
        return "the server name could not be resolved";
    case HttpError::OperationCancelled:
        return "the request was closed";
    case HttpError::IncorrectHandleState:
        return "the request is not in a state for this operation";
    case HttpError::CannotConnect:
        return "cannot connect to the server";
    case HttpError::ConnectionAborted:
        return "the connection was aborted";
    case HttpError::ConnectionReset:
        return "the connection was reset";
    case HttpError::ForceRetry:
        return "the request must be sent again";
    case HttpError::InvalidCa:
        return "the server's certificate is not trusted";
    case HttpError::InvalidServerResponse:
        return "the server's answer is not valid HTTP";
    case HttpError::SecurityChannelError:
        return "the secure connection failed";
    }
    return "HTTP error " + std::to_string(static_cast<DWORD>(e));
}

} // namespace orvel::http
