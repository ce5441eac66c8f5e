// The built-in prompts: Qt dialogs shown on the GUI thread, owned by the caller's window.
#include "platform/http/Prompts.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace orvel::http {

namespace {

bool haveGui()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

// An HWND stands for the QWidget behind it.
QWidget* ownerWidget(HWND owner)
{
    return reinterpret_cast<QWidget*>(owner);
}

// What the sending thread and the GUI thread share over one prompt. The GUI thread may still
// run it after the sender gave up, so it is shared, never on the sender's stack.
struct HandOff {
    std::mutex mutex;
    std::condition_variable changed;
    bool finished = false;  // the dialog was answered (or not shown); guarded by mutex
    bool abandoned = false; // the sender gave up: show nothing, close what shows; guarded
    QPointer<QDialog> dialog; // GUI thread only
};

// Runs show(dialogSlot) on the GUI thread and waits for it at most kMaxPromptWait, giving up
// as soon as cancelled() holds (the request was closed). A dialog still open then is closed
// unanswered, and one not yet shown never shows. True when show ran to its end in time.
template <typename Show> bool runPrompt(Show show, const PromptCancelled& cancelled)
{
    QCoreApplication* app = QCoreApplication::instance();
    auto state = std::make_shared<HandOff>();
    if (QThread::currentThread() == app->thread()) {
        show(state->dialog);
        return true;
    }
    QMetaObject::invokeMethod(
        app,
        [state, show]() mutable {
            {
                std::lock_guard lock(state->mutex);
                if (state->abandoned)
                    return;
            }
            show(state->dialog);
            std::lock_guard lock(state->mutex);
            state->finished = true;
            state->changed.notify_all();
        },
        Qt::QueuedConnection);

    const auto deadline = std::chrono::steady_clock::now() + kMaxPromptWait;
    std::unique_lock lock(state->mutex);
    while (!state->finished) {
        if ((cancelled && cancelled()) || std::chrono::steady_clock::now() >= deadline) {
            state->abandoned = true;
            lock.unlock();
            QMetaObject::invokeMethod(
                app,
                [state] {
                    if (state->dialog)
                        state->dialog->reject();
                },
                Qt::QueuedConnection);
            return false;
        }
        state->changed.wait_for(lock, kPromptPollInterval);
    }
    return true;
}

} // namespace

std::optional<Credentials> askCredentialsWithDialog(const CredentialsQuestion& question,
                                                    const PromptCancelled& cancelled)
{
    if (!haveGui())
        return std::nullopt;
    auto answer = std::make_shared<std::optional<Credentials>>();
    const bool answered = runPrompt(
        [question, answer](QPointer<QDialog>& shown) {
        QDialog dialog(ownerWidget(question.owner));
        shown = &dialog;
        dialog.setObjectName("orvelCredentialsDialog");
        dialog.setWindowTitle(QObject::tr("Enter Network Password"));
        auto* layout = new QFormLayout(&dialog);
        QString text = QObject::tr("The server %1 requires a user name and password.")
                           .arg(QString::fromStdString(question.host));
        if (!question.realm.empty())
            text += "\n" + QObject::tr("Realm: %1").arg(QString::fromStdString(question.realm));
        layout->addRow(new QLabel(text, &dialog));
        auto* user = new QLineEdit(QString::fromStdString(question.user), &dialog);
        user->setObjectName("user");
        auto* password = new QLineEdit(&dialog);
        password->setObjectName("password");
        password->setEchoMode(QLineEdit::Password);
        layout->addRow(QObject::tr("User name:"), user);
        layout->addRow(QObject::tr("Password:"), password);
        auto* buttons =
            new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        layout->addRow(buttons);
        if (dialog.exec() == QDialog::Accepted)
            *answer = Credentials{user->text().toStdString(), password->text().toStdString()};
        },
        cancelled);
    return answered ? *answer : std::nullopt;
}

bool askTrustWithDialog(const CertificateInfo& certificate, HWND owner,
                        const PromptCancelled& cancelled)
{
    if (!haveGui())
        return false;
    auto accepted = std::make_shared<bool>(false);
    const bool answered = runPrompt(
        [certificate, owner, accepted](QPointer<QDialog>& shown) {
        QMessageBox box(QMessageBox::Warning, QObject::tr("Security Alert"),
                        QObject::tr("The camera %1 shows a certificate that is not issued by a "
                                    "trusted authority.\n\nSubject: %2\nSHA-256 fingerprint:\n%3"
                                    "\n\nDo you want to trust this certificate?")
                            .arg(QString::fromStdString(certificate.host),
                                 QString::fromStdString(certificate.subject),
                                 QString::fromStdString(certificate.fingerprint)),
                        QMessageBox::Yes | QMessageBox::No, ownerWidget(owner));
        box.setObjectName("orvelTrustDialog");
        box.setDefaultButton(QMessageBox::No);
        shown = &box;
        *accepted = box.exec() == QMessageBox::Yes;
        },
        cancelled);
    return answered && *accepted;
}

} // namespace orvel::http
