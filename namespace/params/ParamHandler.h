#pragma once
// Reads and sets camera parameters through the parameter CGI. Every operation uses a fresh
// HTTPStreamClient, set up from the optional property source, and deletes it at the end. Used
// on the user-interface thread; each call blocks for as long as its client's time-outs allow.

#include "namespace/params/HTTPStreamClient.h"
#include "namespace/params/ParamList.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace foldra {

// Whoever knows the time-outs and credentials to use ("net_timeout", "data_timeout",
// "stream_uname", "stream_pwd"): a control's property bag, a settings page.
class PropertySource {
public:
    virtual ~PropertySource() = default;
    // value: cleared by the caller; filled on success.
    virtual HRESULT GetProperty(std::string_view name, VARIANT* value) = 0;
};

// The body pieces ReadAll asks for, and what it takes in all.
inline constexpr std::size_t kReadAllPiece = 100;
inline constexpr std::size_t kMaxReadAllBytes = 1024 * 1024;
// A parameter list this long or longer is refused by GetParams.
inline constexpr std::size_t kMaxParamListBytes = 8192;
// The reply of a parameter update that is kept as its message.
inline constexpr std::size_t kMaxSetReplyBytes = 1024;

class ParamHandler {
public:
    // source: not owned, may be null; when given it outlives the handler.
    explicit ParamHandler(PropertySource* source = nullptr) : m_source(source) {}
    ParamHandler(const ParamHandler&) = delete;
    ParamHandler& operator=(const ParamHandler&) = delete;

    // The whole response body.
    // \retval S_OK, the OpenURL and GetData failures, E_FAIL (a body beyond kMaxReadAllBytes)
    HRESULT ReadAll(const std::string& url, std::string& body);
    // The "name=value" lines of the reply, in order.
    // \retval S_OK, the OpenURL and GetData failures, E_FAIL (a reply of kMaxParamListBytes or
    //         more: "too much param info")
    HRESULT GetParams(const std::string& url, std::vector<Param>& params);
    // Sends a parameter update; message: the camera's answer to it (up to kMaxSetReplyBytes),
    // or the title of the error page it sent instead.
    // \retval S_OK, the OpenURL and GetData failures
    HRESULT SetParams(const std::string& url, std::string& message);

private:
    // A new client with the source's settings ("parhand init http").
    HTTPStreamClient& initClient();
    // Opens url on a new client; traces a failure under operation.
    HRESULT open(const char* operation, const std::string& url, DWORD* status,
                 std::string* message);
    void endClient();

    PropertySource* m_source;
    std::unique_ptr<HTTPStreamClient> m_client; // the request in progress; none between calls
};

} // namespace foldra
