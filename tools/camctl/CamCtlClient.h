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
    // Explains, on standard error, why a camera gave no usable answer (refused certificate,
    // password asked for); nothing when there is nothing to add.
    void explainFailure(const char* command);

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
};

template <typename Pred>
bool Client::waitUntil(std::chrono::steady_clock::time_point deadline, Pred pred)
{
    std::unique_lock lock(m_shared->mutex);
    return m_shared->changed.wait_until(
        lock, deadline, [&] { return pred(static_cast<const Shared&>(*m_shared)); });
}

} // namespace camctl
