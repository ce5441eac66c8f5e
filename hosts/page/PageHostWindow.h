#pragma once
// The page host's window: an address bar with Open, Reload and Stop (Esc), a design-mode
// switch for trying controls as a page editor would hold them, the page, and a pane that logs
// what the page's controls report.

#include "hosts/page/ControlSite.h"

#include <QMainWindow>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QScrollArea;

namespace pagehost {

class PageView;

class PageHostWindow final : public QMainWindow {
public:
    explicit PageHostWindow(UserMode mode = UserMode::Run);
    ~PageHostWindow() override;

    // Opens a file or an http(s) address; false (with the reason shown and logged) on failure.
    bool openLocation(const QString& location);
    void reload();
    void stopPage();

    PageView* view() const { return m_view; }
    QListWidget* eventLog() const { return m_log; }
    UserMode mode() const;

private:
    void logLine(const QString& text);
    void logEvent(const ControlEvent& event);
    void chooseFile();

    QLineEdit* m_address = nullptr;
    QCheckBox* m_design = nullptr;
    QScrollArea* m_scroll = nullptr;
    PageView* m_view = nullptr;
    QListWidget* m_log = nullptr;
    QString m_location;
    QString m_lastEvent; // the last logged event's text, repeated ones are counted
    int m_repeats = 0;
};

} // namespace pagehost
