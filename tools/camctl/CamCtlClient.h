#pragma once
// What the stream, snapshot, get and post subcommands share: a Luminent created by class id,
// a sink that prints one line per part and per status, and the options they all take.

#include "common/ICamMultipartRequest.h"
#include "common/ICamRequestSink.h"
#include "platform/com/ComPtr.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace camctl {

struct ClientOptions {
    std::string user;
    std::string password;
    bool insecure = false; // accept any certificate of an HTTPS camera
};

// Takes --user U, --password P and --insecure out of args; false (with a message) when one
// lacks its value.
bool takeClientOptions(std::vector<std::string>& args, ClientOptions& options, const char* command);
// Parses a positive number; false with a message otherwise.
bool parseNumber(const std::string& text, unsigned long& value, const char* command,
                 const char* what);

// Creates an object of the client library by class id; when the library is not registered,
// registers the one beside this program first, as every command does. Says on standard error
// why it failed.
HRESULT createClientLibraryObject(const IID& iid, void** object, const char* command);

struct PartRecord {
    unsigned long number = 0;
    UI4 type = 0;
    std::string data;
    std::string contentType;
};

class Client {
public:
    enum class Print { Lines, Quiet };

    // Null (with a message on standard error) when the client library cannot be had.
    static std::optional<Client> create(const ClientOptions& options, const char* command,
                                        Print print);
    Client(Client&&) = default;
    ~Client();

    ICamMultipartRequest* request() const { return m_request.get(); }
    HRESULT open(const std::string& url);
    void close();
    // Parts after the first count are neither counted nor printed (0: no limit), so that
    // "--frames N" prints N parts even when more arrive before the stream is closed.
    void setPartLimit(std::size_t count);

    // Waits until pred(shared state) holds or the deadline passes; true when it held. pred
    // runs under the state's lock.
    template <typename Pred>
    bool waitUntil(std::chrono::steady_clock::time_point deadline, Pred pred);

    std::size_t partCount();
    bool ended();
    std::optional<PartRecord> firstPartOfType(UI4 type);
    // True when the camera answered with a status of 400 or above (its page may still have
    // come as a part).
    bool answeredWithError();
    // Explains in one line on standard error why a camera gave no usable answer (refused
    // certificate, password asked for, an error status, the client's reason for ending);
    // false, saying nothing, when there is nothing to add.
    bool explainFailure(const char* command);
    // As explainFailure, but only the prompts' part: a refused certificate, a password asked for.
    bool explainPrompts(const char* command);

    struct Shared;

private:
    Client() = default;
    ComPtr<ICamMultipartRequest> m_request;
    ComPtr<ICamRequestSink> m_sink;
    std::shared_ptr<Shared> m_shared;
};

struct Client::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<PartRecord> parts; // kept whole only until one of each type was seen
    std::size_t partCount = 0;
    std::size_t partLimit = 0; // 0: none
    bool ended = false;
    bool sawJpeg = false;
    std::string refusedFingerprint;
    bool passwordAsked = false;
    std::string httpError; // "500 Internal Server Error"
    std::string endReason; // the client's one line on why the request ended
};

template <typename Pred>
bool Client::waitUntil(std::chrono::steady_clock::time_point deadline, Pred pred)
{
    std::unique_lock lock(m_shared->mutex);
    return m_shared->changed.wait_until(
        lock, deadline, [&] { return pred(static_cast<const Shared&>(*m_shared)); });
}

} // namespace camctl
