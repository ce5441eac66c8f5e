#include "tools/camsim/HttpReply.h"

#include "tools/camsim/SimContext.h"

namespace camsim {

const char* reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 413:
        return "Payload Too Large";
    case 415:
        return "Unsupported Media Type";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 501:
        return "Not Implemented";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

std::string errorPage(int status)
{
    std::string title = std::to_string(status) + " " + reasonPhrase(status);
    return "<html><head><title>" + title + "</title></head><body><h1>" + title +
           "</h1></body></html>\r\n";
}

std::string replyHead(const SimContext& context, const HttpRequest& request, int status)
{
    return (request.version == "HTTP/1.1" ? "HTTP/1.1 " : "HTTP/1.0 ") + std::to_string(status) +
           " " + reasonPhrase(status) + "\r\nServer: " + std::string(context.model.name) + "/" +
           context.firmware + "\r\n";
}

} // namespace camsim
