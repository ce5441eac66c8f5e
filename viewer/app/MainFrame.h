#pragma once
// The viewer's main frame: the tool bar (Play, Pause, Stop, About) and the control bar with
// the frame slider as bands of one rebar, the view, a one-pane status bar and menu 128.

#include <QMainWindow>
#include <QSize>
#include <functional>
#include <map>

class QAction;
class QLabel;
class QToolBar;

namespace vistel {

class CVistelDoc;
class CVistelView;
class ControlBar;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(CVistelDoc* document, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CVistelView* view() const { return m_view; }
    ControlBar* controlBar() const { return m_controlBar; }
    QToolBar* toolBar() const { return m_toolBar; }
    QLabel* statusPane() const { return m_statusPane; }
    // The command of a tool bar button or menu item by its id; null for an unknown id.
    QAction* command(unsigned id) const;

    // SetUserCtrl's placement: centred on the screen at the image size (and 100 more down
    // for the bars), shown, raised and active, then fitted so the view gets the image size.
    void showForUser(QSize imageSize);
    // Hint 1: resizes the frame so that the view's client area is exactly imageSize.
    void fitToImage(QSize imageSize);

    // Re-reads the commands' enable and check rules from the document.
    void updateCommandUI();

    // Runs before the frame closes (the AVI thread is stopped there).
    void setCloseGuard(std::function<void()> guard) { m_closeGuard = std::move(guard); }

    // One line describing what a user sees: title, view size and colour, bars, commands,
    // slider and status pane (for the state log).
    QString describeState() const;

signals:
    // The frame's close went through (the program ends once the user owns it).
    void closed();
    // Something a user would notice changed; event names what.
    void stateChanged(const QString& event);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* addCommand(unsigned id, const QString& text);
    void createToolBar();
    void createMenus();
    void showAbout();
    void onStop();

    CVistelDoc* m_document;
    CVistelView* m_view = nullptr;
    QToolBar* m_toolBar = nullptr;
    ControlBar* m_controlBar = nullptr;
    QLabel* m_statusPane = nullptr;
    QAction* m_statusBarCommand = nullptr;
    std::map<unsigned, QAction*> m_commands;
    QSize m_fitTarget;  // the view size a fit still waits for; invalid when none
    int m_fitTries = 0; // re-fits left when the window system changed the size
    std::function<void()> m_closeGuard;
};

} // namespace vistel
