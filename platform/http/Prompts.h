#pragma once
// What the platform's error dialog did after a send: a 401 asks the user for credentials, an
// untrusted certificate asks whether to trust it, and the caller sends again. The prompts are
// hooks so that tests and command-line programs can answer them; the built-in ones show Qt
// dialogs on the GUI thread when the process has a QApplication, and answer "no" otherwise.

#include "platform/base/WinTypes.h"
#include "platform/http/HttpError.h"
#include "platform/http/Request.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace orvel::http {

struct Credentials {
    std::string user;
    std::string password;
};

struct CredentialsQuestion {
    HWND owner = nullptr; // null: no owner window
    std::string host;
    std::uint16_t port = 0;
    std::string realm;  // from the server's challenge; may be empty
    std::string scheme; // "Basic", "Digest" ...
    std::string user;   // the user name tried last, to prefill
};

// nullopt: the user cancelled.
using CredentialsPrompt = std::function<std::optional<Credentials>(const CredentialsQuestion&)>;
// true: trust this certificate on this host for the rest of the process.
using TrustPrompt = std::function<bool(const CertificateInfo&, HWND owner)>;

// An empty function puts the built-in prompt back. Prompts are called on the sending thread,
// one at a time across the process.
void setCredentialsPrompt(CredentialsPrompt prompt);
void setTrustPrompt(TrustPrompt prompt);

enum class AfterSend {
    SendAgain, // the prompt was answered: send the request again
    Done,      // keep the outcome as it is (a 401 stands, a refused certificate fails)
};

// Called after Request::send with its result. Serialised across the process.
AfterSend resolveAfterSend(Request& request, HttpError sendResult, HWND owner);

// The sending thread waits for an answer at most this long; a prompt is answered by a person.
inline constexpr std::chrono::minutes kMaxPromptWait{5};
// How often a waiting sender looks whether its request was closed meanwhile.
inline constexpr std::chrono::milliseconds kPromptPollInterval{50};
// True once the prompt is no longer wanted (its request was closed).
using PromptCancelled = std::function<bool()>;

// Prompts through the built-in Qt dialogs (used when no hook is set), shown on the GUI thread.
// The sending thread waits at most kMaxPromptWait and gives up as soon as cancelled() holds:
// the dialog is then closed unanswered (or never shown) and the answer is "no".
std::optional<Credentials> askCredentialsWithDialog(const CredentialsQuestion& question,
                                                    const PromptCancelled& cancelled = {});
bool askTrustWithDialog(const CertificateInfo& certificate, HWND owner,
                        const PromptCancelled& cancelled = {});

} // namespace orvel::http
