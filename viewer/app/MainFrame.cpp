#include "viewer/app/MainFrame.h"

#include "viewer/app/AboutDialog.h"
#include "viewer/app/ControlBar.h"
#include "viewer/app/VistelDoc.h"
#include "viewer/app/VistelIcons.h"
#include "viewer/app/VistelStrings.h"
#include "viewer/app/VistelView.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace vistel {

namespace {
// Room SetUserCtrl leaves below the image for the bars before the view is fitted.
constexpr int kBarsAllowance = 100;
// How often a fit is applied again when the window system answered with another size.
constexpr int kFitRetries = 3;
} // namespace

CMainFrame::CMainFrame(CVistelDoc* document, QWidget* parent)
    : QMainWindow(parent), m_document(document)
{
    setObjectName(QStringLiteral("MainFrame"));
    setWindowIcon(applicationIcon());
    setWindowTitle(QStringLiteral("Untitled - ") + templateTitle());

    createToolBar();
    m_controlBar = new ControlBar(this);
    m_controlBar->setMovable(true); // a band with a gripper beside the tool bar
    addToolBar(Qt::TopToolBarArea, m_controlBar);

    m_statusPane = new QLabel(this);
    m_statusPane->setObjectName(QStringLiteral("StatusPane"));
    statusBar()->addWidget(m_statusPane, 1);
    statusBar()->setSizeGripEnabled(true);

    createMenus();

    m_view = new CVistelView(document, this);
    setCentralWidget(m_view);
    m_view->installEventFilter(this);

    connect(document, &CVistelDoc::titleChanged, this, [this](const QString& title) {
        setWindowTitle(title + QStringLiteral(" - ") + templateTitle());
        emit stateChanged(QStringLiteral("title"));
    });
    connect(document, &CVistelDoc::statusText, m_statusPane, &QLabel::setText);
    connect(document, &CVistelDoc::sliderRange, this, [this](int maximum) {
        m_controlBar->setRange(maximum);
        m_controlBar->setDocument(m_document);
    });
    connect(document, &CVistelDoc::sliderPosition, m_controlBar, &ControlBar::setPosition);
    connect(document, &CVistelDoc::barsHidden, this, [this] {
        m_toolBar->hide();
        m_controlBar->hide();
        m_statusBarCommand->setChecked(false); // hides the bar and keeps the menu's check true
    });
    connect(document, &CVistelDoc::commandsChanged, this, &CMainFrame::updateCommandUI);
    connect(document, &CVistelDoc::viewUpdate, this, [this](ViewHint hint) {
        if (hint == ViewHint::Repaint)
            emit stateChanged(QStringLiteral("frame"));
        else if (hint == ViewHint::Blank)
            emit stateChanged(QStringLiteral("blank"));
    });
    connect(m_view, &CVistelView::fitRequested, this, &CMainFrame::fitToImage);
    updateCommandUI();
}

CMainFrame::~CMainFrame() = default;

QAction* CMainFrame::addCommand(unsigned id, const QString& text)
{
    auto* action = new QAction(text, this);
    action->setObjectName(QString::number(id));
    const QString prompt = loadStringPart(id, 0);
    const QString tip = loadStringPart(id, 1);
    if (!prompt.isEmpty())
        action->setStatusTip(prompt);
    if (!tip.isEmpty())
        action->setToolTip(tip);
    m_commands[id] = action;
    return action;
}

QAction* CMainFrame::command(unsigned id) const
{
    auto it = m_commands.find(id);
    return it == m_commands.end() ? nullptr : it->second;
}

void CMainFrame::createToolBar()
{
    m_toolBar = new QToolBar(tr("Toolbar"), this);
    m_toolBar->setObjectName(QStringLiteral("128"));
    m_toolBar->setIconSize(kButtonImageSize);
    m_toolBar->setMovable(true);

    QAction* play = addCommand(kCommandPlay, tr("Play"));
    play->setIcon(playIcon());
    play->setCheckable(true);
    connect(play, &QAction::triggered, this, [this] { m_document->Play(); });

    QAction* pause = addCommand(kCommandPause, tr("Pause"));
    pause->setIcon(pauseIcon());
    pause->setCheckable(true);
    connect(pause, &QAction::triggered, this, [this] { m_document->TogglePause(); });

    QAction* stop = addCommand(kCommandStop, tr("Stop"));
    stop->setIcon(stopIcon());
    stop->setCheckable(true);
    connect(stop, &QAction::triggered, this, &CMainFrame::onStop);

    QAction* about = addCommand(kCommandAbout, tr("&About Vistel..."));
    about->setIcon(aboutIcon());
    connect(about, &QAction::triggered, this, &CMainFrame::showAbout);

    m_toolBar->addAction(play);
    m_toolBar->addAction(pause);
    m_toolBar->addAction(stop);
    m_toolBar->addSeparator();
    m_toolBar->addAction(about);
    addToolBar(Qt::TopToolBarArea, m_toolBar);
}

void CMainFrame::createMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    QAction* exit = addCommand(kCommandExit, tr("E&xit"));
    // Posted, as the close message is: the current command finishes first.
    connect(exit, &QAction::triggered, this,
            [this] { QTimer::singleShot(0, this, &QWidget::close); });
    file->addAction(exit);

    QMenu* view = menuBar()->addMenu(tr("&View"));
    QAction* toolbar = m_toolBar->toggleViewAction();
    toolbar->setText(tr("&Toolbar"));
    toolbar->setStatusTip(tr("Show or hide the toolbar"));
    view->addAction(toolbar);
    QAction* status = m_statusBarCommand = view->addAction(tr("&Status Bar"));
    status->setCheckable(true);
    status->setChecked(true);
    status->setStatusTip(tr("Show or hide the status bar"));
    connect(status, &QAction::toggled, statusBar(), &QWidget::setVisible);

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(command(kCommandAbout));
}

void CMainFrame::showAbout()
{
    AboutDialog dialog(this);
    dialog.exec();
}

void CMainFrame::onStop()
{
    m_document->StopPlayback();
    if (m_document->aviMode())
        QTimer::singleShot(0, this, &QWidget::close);
}

void CMainFrame::updateCommandUI()
{
    const auto apply = [this](unsigned id, bool enabled, bool checked) {
        QAction* action = command(id);
        action->setEnabled(enabled);
        action->setChecked(checked);
    };
    apply(kCommandPlay, m_document->canPlay(), m_document->isPlayChecked());
    apply(kCommandPause, m_document->canPause(), m_document->isPauseChecked());
    apply(kCommandStop, m_document->canStop(), m_document->isStopChecked());
    m_controlBar->slider()->setEnabled(!m_document->aviMode() && !m_document->frames().empty());
    emit stateChanged(QStringLiteral("commands"));
}

void CMainFrame::showForUser(QSize imageSize)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QRect client(screen.width() / 2 - imageSize.width() / 2,
                 screen.height() / 2 - imageSize.height() / 2, imageSize.width(),
                 imageSize.height() + kBarsAllowance);
    setGeometry(client);
    // The decorations must stay on the screen too.
    const QRect outer = frameGeometry();
    const QPoint shift(std::max(0, -outer.left()), std::max(0, -outer.top()));
    if (!shift.isNull())
        move(pos() + shift);
    show();
    raise();
    activateWindow();
}

void CMainFrame::fitToImage(QSize imageSize)
{
    if (QLayout* frameLayout = layout())
        frameLayout->activate();
    const QSize client = m_view->size();
    resize(width() + imageSize.width() - client.width(),
           height() + imageSize.height() - client.height());
    show();
    if (m_view->size() != imageSize) {
        m_fitTarget = imageSize;
        m_fitTries = kFitRetries;
    }
    setWindowTitle(m_document->title() + QStringLiteral(" - ") + templateTitle());
    emit stateChanged(QStringLiteral("fit"));
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view && event->type() == QEvent::Resize) {
        // The size arrives later than the request on some window systems: fit once more.
        if (m_fitTarget.isValid() && m_view->size() != m_fitTarget && m_fitTries > 0) {
            --m_fitTries;
            const QSize target = m_fitTarget;
            QTimer::singleShot(0, this, [this, target] { fitToImage(target); });
        } else if (m_view->size() == m_fitTarget) {
            m_fitTarget = QSize();
        }
        emit stateChanged(QStringLiteral("resize"));
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_closeGuard)
        m_closeGuard();
    m_document->StopPlayback();
    event->accept();
    emit closed();
}

QString CMainFrame::describeState() const
{
    const auto flags = [this](unsigned id) {
        QAction* a = command(id);
        return QStringLiteral("%1%2")
            .arg(a->isEnabled() ? 'E' : '-')
            .arg(a->isChecked() ? 'C' : '-');
    };
    return QStringLiteral("visible=%1\tclient=%2x%3\tblank=%4\ttoolbar=%5\tcontrolbar=%6\t"
                          "statusbar=%7\tplay=%8\tpause=%9\tstop=%10\tslider=%11\tslidermax=%12\t"
                          "index=%13\tdoctitle=%14\ttitle=%15\tstatus=%16")
        .arg(isVisible() ? 1 : 0)
        .arg(m_view->width())
        .arg(m_view->height())
        .arg(m_view->isErasing() || m_view->isBlank() ? 1 : 0)
        .arg(m_toolBar->isVisible() ? 1 : 0)
        .arg(m_controlBar->isVisible() ? 1 : 0)
        .arg(statusBar()->isVisible() ? 1 : 0)
        .arg(flags(kCommandPlay), flags(kCommandPause), flags(kCommandStop))
        .arg(m_controlBar->slider()->value())
        .arg(m_controlBar->slider()->maximum())
        .arg(m_document->currentIndex())
        .arg(m_document->title(), windowTitle(), m_statusPane->text());
}

} // namespace vistel
