#pragma once
// An HWND names the QWidget behind it, where an interface passes a window: these two are the
// only places the mapping is written.

#include "platform/base/WinTypes.h"

class QWidget;

inline HWND hwndOf(QWidget* widget)
{
    return reinterpret_cast<HWND>(widget);
}

inline QWidget* widgetOf(HWND hwnd)
{
    return reinterpret_cast<QWidget*>(hwnd);
}
