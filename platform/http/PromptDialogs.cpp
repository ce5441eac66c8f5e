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

// Runs f on the GUI thread and waits for it; the sending thread blocks meanwhile.
template <typename F> void onGuiThread(F f)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (QThread::currentThread() == app->thread())
        f();
    else
        QMetaObject::invokeMethod(app, f, Qt::BlockingQueuedConnection);
}

} // namespace

std::optional<Credentials> askCredentialsWithDialog(const CredentialsQuestion& question)
{
    if (!haveGui())
        return std::nullopt;
    std::optional<Credentials> answer;
    onGuiThread([&] {
        QDialog dialog(ownerWidget(question.owner));
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
            answer = Credentials{user->text().toStdString(), password->text().toStdString()};
    });
    return answer;
}

bool askTrustWithDialog(const CertificateInfo& certificate, HWND owner)
{
    if (!haveGui())
        return false;
    bool accepted = false;
    onGuiThread([&] {
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
        accepted = box.exec() == QMessageBox::Yes;
    });
    return accepted;
}

} // namespace orvel::http
