#include "platform/http/Prompts.h"

#include "platform/http/CertificateTrust.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace orvel::http {

namespace {

struct PromptHooks {
    std::mutex mutex;
    CredentialsPrompt credentials; // guarded by mutex
    TrustPrompt trust;             // guarded by mutex
};

PromptHooks& hooks()
{
    static PromptHooks instance;
    return instance;
}

// One dialog at a time across every client of the process. A flag under a condition variable
// rather than a timed mutex: the thread sanitizer of our toolchain cannot follow timed locks.
struct DialogGate {
    std::mutex mutex;
    std::condition_variable freed;
    bool busy = false; // guarded by mutex
};

DialogGate& dialogGate()
{
    static DialogGate instance;
    return instance;
}

// The right to show a dialog; handed back when it goes out of scope.
class DialogTurn {
public:
    DialogTurn() = default;
    DialogTurn(const DialogTurn&) = delete;
    DialogTurn& operator=(const DialogTurn&) = delete;
    ~DialogTurn()
    {
        if (!held_)
            return;
        DialogGate& gate = dialogGate();
        {
            std::lock_guard lock(gate.mutex);
            gate.busy = false;
        }
        gate.freed.notify_one();
    }

    // Waits at most kMaxPromptWait and no longer than the request stays open.
    bool take(const Request& request)
    {
        DialogGate& gate = dialogGate();
        const auto deadline = std::chrono::steady_clock::now() + kMaxPromptWait;
        std::unique_lock lock(gate.mutex);
        while (gate.busy) {
            if (request.isClosed() || std::chrono::steady_clock::now() >= deadline)
                return false;
            gate.freed.wait_for(lock, kPromptPollInterval);
        }
        gate.busy = true;
        held_ = true;
        return true;
    }

private:
    bool held_ = false;
};

// The value of name="..." (or name=token) inside an authentication challenge.
std::string challengeParameter(const std::string& challenge, const std::string& name)
{
    std::size_t pos = 0;
    while ((pos = challenge.find(name, pos)) != std::string::npos) {
        const bool startsWord = pos == 0 || challenge[pos - 1] == ' ' ||
                                challenge[pos - 1] == ',' || challenge[pos - 1] == '\t';
        std::size_t eq = pos + name.size();
        while (eq < challenge.size() && challenge[eq] == ' ')
            ++eq;
        if (startsWord && eq < challenge.size() && challenge[eq] == '=') {
            std::size_t v = eq + 1;
            while (v < challenge.size() && challenge[v] == ' ')
                ++v;
            if (v < challenge.size() && challenge[v] == '"') {
                const std::size_t end = challenge.find('"', v + 1);
                return challenge.substr(v + 1,
                                        end == std::string::npos ? std::string::npos : end - v - 1);
            }
            const std::size_t end = challenge.find_first_of(", ", v);
            return challenge.substr(v, end == std::string::npos ? std::string::npos : end - v);
        }
        pos += name.size();
    }
    return {};
}

} // namespace

void setCredentialsPrompt(CredentialsPrompt prompt)
{
    std::lock_guard lock(hooks().mutex);
    hooks().credentials = std::move(prompt);
}

void setTrustPrompt(TrustPrompt prompt)
{
    std::lock_guard lock(hooks().mutex);
    hooks().trust = std::move(prompt);
}

AfterSend resolveAfterSend(Request& request, HttpError sendResult, HWND owner)
{
    if (request.isClosed())
        return AfterSend::Done;
    DialogTurn turn;
    if (!turn.take(request))
        return AfterSend::Done;
    const PromptCancelled closed = [&request] {
        return request.isClosed();
    };

    if (sendResult == HttpError::InvalidCa) {
        const std::optional<CertificateInfo> certificate = request.refusedCertificate();
        if (!certificate)
            return AfterSend::Done;
        TrustPrompt prompt;
        {
            std::lock_guard lock(hooks().mutex);
            prompt = hooks().trust;
        }
        const bool accepted =
            prompt ? prompt(*certificate, owner) : askTrustWithDialog(*certificate, owner, closed);
        if (!accepted || request.isClosed())
            return AfterSend::Done;
        trustCertificate(certificate->host, certificate->fingerprint);
        return AfterSend::SendAgain;
    }

    if (sendResult != HttpError::None || request.statusCode() != 401)
        return AfterSend::Done;

    CredentialsQuestion question;
    question.owner = owner;
    question.host = request.target().host;
    question.port = request.target().port;
    question.user = request.user();
    const std::string challenge = request.header("WWW-Authenticate").value_or("");
    question.scheme = challenge.substr(0, challenge.find(' '));
    question.realm = challengeParameter(challenge, "realm");

    CredentialsPrompt prompt;
    {
        std::lock_guard lock(hooks().mutex);
        prompt = hooks().credentials;
    }
    const std::optional<Credentials> answer =
        prompt ? prompt(question) : askCredentialsWithDialog(question, closed);
    if (!answer || request.isClosed())
        return AfterSend::Done;
    request.setCredentials(answer->user, answer->password);
    return AfterSend::SendAgain;
}

} // namespace orvel::http
