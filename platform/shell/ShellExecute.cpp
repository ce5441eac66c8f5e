#include "platform/shell/ShellExecute.h"

#include <QProcess>
#include <QString>
#include <mutex>

namespace {
std::mutex g_mutex;
IdListOpener g_opener;       // guarded by g_mutex
DocumentLauncher g_launcher; // guarded by g_mutex
} // namespace

void setIdListOpener(IdListOpener opener)
{
    std::lock_guard lock(g_mutex);
    g_opener = std::move(opener);
}

HRESULT shellExecuteIdList(HWND owner, LPCITEMIDLIST absolute, const std::string& verb)
{
    IdListOpener opener;
    {
        std::lock_guard lock(g_mutex);
        opener = g_opener;
    }
    return opener ? opener(owner, absolute, verb) : E_FAIL;
}

void setDocumentLauncher(DocumentLauncher launcher)
{
    std::lock_guard lock(g_mutex);
    g_launcher = std::move(launcher);
}

bool openDocument(const std::string& target)
{
    DocumentLauncher launcher;
    {
        std::lock_guard lock(g_mutex);
        launcher = g_launcher;
    }
    if (launcher)
        return launcher(target);
    return QProcess::startDetached("xdg-open", {QString::fromStdString(target)});
}
