#pragma once
// The pieces every answer of a simulated camera is made of: status line with the camera's
// Server header, reason phrases and the small HTML error page.

#include "tools/camsim/HttpRequest.h"

#include <string>

namespace camsim {

struct SimContext;

const char* reasonPhrase(int status);
std::string errorPage(int status);
// "HTTP/1.x <status> <reason>" in the request's version and the Server line, each with CR LF.
std::string replyHead(const SimContext& context, const HttpRequest& request, int status);

} // namespace camsim
