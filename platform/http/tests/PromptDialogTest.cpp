// The built-in prompts: Qt dialogs shown on the GUI thread while the sending thread waits,
// owned by the caller's window. The test answers them as a user would, by finding them
// among the top-level widgets.
#include "platform/http/CertificateTrust.h"
#include "platform/http/Connection.h"
#include "platform/http/Prompts.h"
#include "platform/http/Request.h"
#include "platform/http/Session.h"
#include "platform/http/tests/TestServer.h"
#include "testsupport/WaitUntil.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

using namespace orvel::http;
using namespace std::chrono_literals;
using test::Peer;
using test::RequestHead;
using test::TestServer;

namespace {

// Sends on a worker thread, letting the prompts run, and returns the final status code.
int sendWithPrompts(const TestServer& server, DWORD flags, QWidget* owner, QApplication& app)
{
    std::atomic<int> status{-1};
    std::thread worker([&] {
        auto session = Session::create();
        auto request =
            session->connect("127.0.0.1", server.port(), {}, {})->openRequest("GET", "/", flags);
        HttpError sent = request->send();
        int rounds = 0;
        while (resolveAfterSend(*request, sent, reinterpret_cast<HWND>(owner)) ==
                   AfterSend::SendAgain &&
               rounds++ < 3)
            sent = request->send();
        status = sent == HttpError::None ? request->statusCode() : 0;
        QMetaObject::invokeMethod(
            &app, [] { QApplication::quit(); }, Qt::QueuedConnection);
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &app, [] { QApplication::quit(); });
    deadline.start(20000);
    app.exec();
    worker.join();
    return status;
}

} // namespace

TEST(PromptDialogs, CredentialsAndTrustDialogsAnswerForTheRequest)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int argc = 1;
    char name[] = "http_prompt_tests";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QWidget owner;

    TestServer server([](Peer& peer, const RequestHead& head) {
        if (head.header("Authorization") == "Basic cm9vdDpwYXNz") // root:pass
            peer.respond(200, "image");
        else
            peer.respond(401, "denied", "WWW-Authenticate: Basic realm=\"cam\"\r\n");
    });
    int dialogs = 0;
    QWidget* dialogParent = nullptr;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == "orvelCredentialsDialog" && w->isVisible()) {
                ++dialogs;
                dialogParent = w->parentWidget();
                w->findChild<QLineEdit*>("user")->setText("root");
                w->findChild<QLineEdit*>("password")->setText("pass");
                static_cast<QDialog*>(w)->accept();
            } else if (w->objectName() == "orvelTrustDialog" && w->isVisible()) {
                ++dialogs;
                dialogParent = w->parentWidget();
                static_cast<QMessageBox*>(w)->button(QMessageBox::Yes)->click();
            }
        }
    });
    answer.start(20);

    EXPECT_EQ(sendWithPrompts(server, 0, &owner, app), 200);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(dialogParent, &owner);

    TestServer secure([](Peer& peer, const RequestHead&) { peer.respond(200, "secure"); },
                      TestServer::Tls::SelfSigned);
    dialogs = 0;
    dialogParent = nullptr;
    EXPECT_EQ(sendWithPrompts(secure, FlagSecure | FlagIgnoreCertCnInvalid, &owner, app), 200);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(dialogParent, &owner);
    EXPECT_TRUE(isCertificateTrusted("127.0.0.1", secure.fingerprint()));
}

// The sending thread's wait for a dialog ends as soon as its request is closed (here: the flag
// the closing sets), not when somebody answers: the dialog then goes away unanswered, and a
// dialog not yet shown never shows for the closed request.
TEST(PromptDialogs, ClosingTheRequestEndsTheWaitAndTheDialog)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int argc = 1;
    char name[] = "http_prompt_tests";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    auto showing = [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "orvelCredentialsDialog" && w->isVisible())
                return true;
        return false;
    };
    const auto turnEvents = [] {
        QCoreApplication::processEvents();
    };

    std::atomic<bool> closed{false};
    std::atomic<bool> returned{false};
    std::optional<Credentials> answer = Credentials{"x", "y"};
    std::thread worker([&] {
        CredentialsQuestion question;
        question.host = "camera";
        answer = askCredentialsWithDialog(question, [&] { return closed.load(); });
        returned = true;
    });
    // The dialog runs its own event loop on this thread: the test watches from a timer.
    bool shown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (showing()) {
            shown = true;
            closed = true; // Close() on the GUI thread while the dialog shows
        } else if (returned) {
            QApplication::quit();
        }
    });
    watch.start(20);
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [] { QApplication::quit(); });
    deadline.start(20000);
    app.exec();
    watch.stop();
    EXPECT_TRUE(shown) << "the dialog never showed";
    EXPECT_TRUE(returned) << "the sender still waits";
    EXPECT_FALSE(showing()) << "the dialog stayed";
    closed = true;
    worker.join(); // at once: the flag is set
    EXPECT_FALSE(answer.has_value());

    // Closed before the GUI thread got to it: no dialog at all.
    returned = false;
    std::thread late([&] {
        CredentialsQuestion question;
        question.host = "camera";
        answer = askCredentialsWithDialog(question, [] { return true; });
        returned = true;
    });
    late.join(); // returns without the GUI thread turning
    EXPECT_TRUE(returned);
    bool everShown = false;
    waitUntil(
        [&] {
            everShown |= showing();
            return everShown;
        },
        300ms, turnEvents);
    EXPECT_FALSE(everShown);
    EXPECT_FALSE(answer.has_value());
}
