#include "hosts/page/PageHostWindow.h"

#include "hosts/page/PageSource.h"
#include "hosts/page/PageView.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollArea>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTime>
#include <QToolBar>
#include <QVBoxLayout>

namespace pagehost {
namespace {

// Lines kept in the event pane; the oldest go first.
constexpr int kMaxLogLines = 2000;

} // namespace

PageHostWindow::PageHostWindow(UserMode mode)
{
    setWindowTitle(QStringLiteral("Page Host"));
    QToolBar* bar = addToolBar(QStringLiteral("Page"));
    bar->setMovable(false);
    QAction* open = bar->addAction(QStringLiteral("Open…"));
    connect(open, &QAction::triggered, this, &PageHostWindow::chooseFile);
    m_address = new QLineEdit(this);
    m_address->setPlaceholderText(QStringLiteral("Page file or http:// address"));
    bar->addWidget(m_address);
    connect(m_address, &QLineEdit::returnPressed, this,
            [this] { openLocation(m_address->text().trimmed()); });
    QAction* reloadAction = bar->addAction(QStringLiteral("Reload"));
    connect(reloadAction, &QAction::triggered, this, &PageHostWindow::reload);
    QAction* stop = bar->addAction(QStringLiteral("Stop"));
    stop->setToolTip(QStringLiteral("Stop the page (Esc)"));
    connect(stop, &QAction::triggered, this, &PageHostWindow::stopPage);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &PageHostWindow::stopPage);
    m_design = new QCheckBox(QStringLiteral("Design mode"), this);
    m_design->setChecked(mode == UserMode::Design);
    m_design->setToolTip(QStringLiteral("Reopen the page with its controls in design mode"));
    bar->addWidget(m_design);
    connect(m_design, &QCheckBox::toggled, this, [this] { reload(); });

    auto* splitter = new QSplitter(Qt::Vertical, this);
    m_scroll = new QScrollArea(splitter);
    m_scroll->setWidgetResizable(true);
    m_view = new PageView;
    m_view->setEventHandler([this](const ControlEvent& event) { logEvent(event); });
    m_scroll->setWidget(m_view);
    auto* logPane = new QWidget(splitter);
    auto* logLayout = new QVBoxLayout(logPane);
    logLayout->setContentsMargins(4, 2, 4, 2);
    logLayout->addWidget(new QLabel(QStringLiteral("Events"), logPane));
    m_log = new QListWidget(logPane);
    logLayout->addWidget(m_log);
    splitter->addWidget(m_scroll);
    splitter->addWidget(logPane);
    splitter->setStretchFactor(0, 4);
    splitter->setStretchFactor(1, 1);
    setCentralWidget(splitter);
    resize(900, 720);
    splitter->setSizes({520, 160});
}

PageHostWindow::~PageHostWindow()
{
    m_view->closePage();
}

UserMode PageHostWindow::mode() const
{
    return m_design->isChecked() ? UserMode::Design : UserMode::Run;
}

bool PageHostWindow::openLocation(const QString& location)
{
    if (location.isEmpty())
        return false;
    m_address->setText(location);
    m_location = location;
    LoadedPage page;
    std::string error;
    statusBar()->showMessage(QStringLiteral("Opening %1…").arg(location));
    if (!loadPage(location.toStdString(), page, &error)) {
        m_view->closePage();
        const QString text = QString::fromStdString(error);
        statusBar()->showMessage(text);
        logLine(text);
        return false;
    }
    m_view->open(page, mode());
    const QString title = QString::fromStdString(m_view->page().title);
    setWindowTitle(title.isEmpty() ? QStringLiteral("Page Host")
                                   : title + QStringLiteral(" - Page Host"));
    const QString opened = QStringLiteral("Opened %1 (%2)")
                               .arg(QString::fromStdString(page.address),
                                    mode() == UserMode::Design ? QStringLiteral("design mode")
                                                               : QStringLiteral("run mode"));
    statusBar()->showMessage(opened);
    logLine(opened);
    return true;
}

void PageHostWindow::reload()
{
    if (!m_location.isEmpty())
        openLocation(m_location);
}

void PageHostWindow::stopPage()
{
    m_view->stop();
    logLine(QStringLiteral("Page stopped"));
    statusBar()->showMessage(QStringLiteral("Stopped"));
}

void PageHostWindow::chooseFile()
{
    const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Open Page"), {},
                                                      QStringLiteral("Pages (*.html *.htm)"));
    if (!file.isEmpty())
        openLocation(file);
}

void PageHostWindow::logLine(const QString& text)
{
    m_lastEvent.clear();
    m_repeats = 0;
    m_log->addItem(QTime::currentTime().toString(QStringLiteral("HH:mm:ss  ")) + text);
    while (m_log->count() > kMaxLogLines)
        delete m_log->takeItem(0);
    m_log->scrollToBottom();
}

void PageHostWindow::logEvent(const ControlEvent& event)
{
    const QString text = QString::fromStdString(event.objectId + ": " + event.name);
    // A stream's OnNewImage comes many times a second: count it on one line.
    if (text == m_lastEvent && m_log->count() > 0) {
        ++m_repeats;
        m_log->item(m_log->count() - 1)
            ->setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss  ")) + text +
                      QStringLiteral("  (×%1)").arg(m_repeats));
        return;
    }
    logLine(text);
    m_lastEvent = text;
    m_repeats = 1;
}

} // namespace pagehost
