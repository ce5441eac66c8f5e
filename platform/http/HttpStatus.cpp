#include "platform/http/HttpStatus.h"

namespace orvel::http {

std::string_view statusName(HttpStatus s)
{
    switch (s) {
    case HttpStatus::ResolvingName:
        return "INTERNET_STATUS_RESOLVING_NAME";
    case HttpStatus::NameResolved:
        return "INTERNET_STATUS_NAME_RESOLVED";
    case HttpStatus::ConnectingToServer:
        return "INTERNET_STATUS_CONNECTING_TO_SERVER";
    case HttpStatus::ConnectedToServer:
        return "INTERNET_STATUS_CONNECTED_TO_SERVER";
    case HttpStatus::SendingRequest:
        return "INTERNET_STATUS_SENDING_REQUEST";
    case HttpStatus::RequestSent:
        return "INTERNET_STATUS_REQUEST_SENT";
    case HttpStatus::ReceivingResponse:
        return "INTERNET_STATUS_RECEIVING_RESPONSE";
    case HttpStatus::ResponseReceived:
        return "INTERNET_STATUS_RESPONSE_RECEIVED";
    case HttpStatus::ClosingConnection:
        return "INTERNET_STATUS_CLOSING_CONNECTION";
    case HttpStatus::ConnectionClosed:
        return "INTERNET_STATUS_CONNECTION_CLOSED";
    case HttpStatus::HandleCreated:
        return "INTERNET_STATUS_HANDLE_CREATED";
    case HttpStatus::HandleClosing:
        return "INTERNET_STATUS_HANDLE_CLOSING";
    case HttpStatus::Redirect:
        return "INTERNET_STATUS_REDIRECT";
    case HttpStatus::IntermediateResponse:
        return "INTERNET_STATUS_INTERMEDIATE_RESPONSE";
    case HttpStatus::StateChange:
        return "INTERNET_STATUS_STATE_CHANGE";
    }
    return {};
}

} // namespace orvel::http
