#include "platform/ui/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

std::mutex g_hookMutex;
MessageBoxHook g_hook; // guarded by g_hookMutex

QMessageBox::Icon iconOf(UINT type)
{
    switch (type & 0xF0) {
    case MB_ICONERROR:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONWARNING:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

struct ButtonAnswer {
    QMessageBox::StandardButton button;
    int id;
};

std::vector<ButtonAnswer> buttonsOf(UINT type)
{
    switch (type & 0x0F) {
    case MB_OKCANCEL:
        return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_YESNOCANCEL:
        return {
            {QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_YESNO:
        return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
    default:
        return {{QMessageBox::Ok, IDOK}};
    }
}

int showWithQt(const MessageBoxQuestion& question)
{
    std::vector<ButtonAnswer> buttons = buttonsOf(question.type);
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app) {
        std::fprintf(stderr, "%s: %s\n", question.caption.c_str(), question.text.c_str());
        return buttons.front().id;
    }
    int answer = buttons.back().id;
    auto ask = [&] {
        QMessageBox box(iconOf(question.type), QString::fromStdString(question.caption),
                        QString::fromStdString(question.text), QMessageBox::NoButton,
                        reinterpret_cast<QWidget*>(question.owner));
        for (const ButtonAnswer& b : buttons)
            box.addButton(b.button);
        box.setDefaultButton(buttons.front().button);
        auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
        for (const ButtonAnswer& b : buttons)
            if (b.button == pressed)
                answer = b.id;
    };
    if (QThread::currentThread() == app->thread())
        ask();
    else
        QMetaObject::invokeMethod(app, ask, Qt::BlockingQueuedConnection);
    return answer;
}

} // namespace

void setMessageBoxHook(MessageBoxHook hook)
{
    std::lock_guard lock(g_hookMutex);
    g_hook = std::move(hook);
}

int showMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type)
{
    MessageBoxQuestion question{owner, text, caption, type};
    MessageBoxHook hook;
    {
        std::lock_guard lock(g_hookMutex);
        hook = g_hook;
    }
    return hook ? hook(question) : showWithQt(question);
}

std::string formatMessage(std::string_view pattern, std::initializer_list<std::string_view> inserts)
{
    std::string out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            auto index = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (index < inserts.size()) {
                out.append(*(inserts.begin() + index));
                ++i;
                continue;
            }
        }
        out.push_back(c);
    }
    return out;
}
