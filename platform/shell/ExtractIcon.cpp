#include "platform/shell/ExtractIcon.h"

HICON iconHandle(const QIcon& icon)
{
    return reinterpret_cast<HICON>(new QIcon(icon));
}

const QIcon* iconOf(HICON icon)
{
    return reinterpret_cast<const QIcon*>(icon);
}

void DestroyIcon(HICON icon)
{
    delete reinterpret_cast<QIcon*>(icon);
}
