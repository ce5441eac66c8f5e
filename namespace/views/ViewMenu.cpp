#include "namespace/views/ViewMenu.h"

#include "namespace/folder/CamFolder.h"
#include "namespace/folder/FolderModule.h"
#include "platform/shell/CommandEvent.h"
#include "platform/shell/ShellExecute.h"
#include "platform/shell/ShellMenu.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/PostedEvents.h"

#include <QMenuBar>
#include <QPointer>
#include <QShortcut>

namespace foldra {
namespace {

QAction* addItem(QMenu* menu, int position, const ViewMenuItem& item, QWidget* window,
                 const CommandRunner& run)
{
    if (item.id == 0)
        return insertMenuSeparator(menuHandle(menu), static_cast<UINT>(position));
    QAction* action =
        insertMenuItem(menuHandle(menu), static_cast<UINT>(position), item.id, item.text);
    action->setCheckable(item.checkable);
    if (run) {
        const UINT id = item.id;
        QObject::connect(action, &QAction::triggered, window, [run, id] { run(id); });
    }
    return action;
}

// Greys and checks the menu's entries each time it opens, as the state is at that moment.
void updateOnShow(QMenu* menu, QWidget* window, const CommandStateQuery& query)
{
    if (!query)
        return;
    auto update = [menu, query] {
        for (QAction* action : menu->actions()) {
            const UINT id = menuItemId(action);
            if (id == 0 || action->isSeparator() || action->menu())
                continue;
            const CommandState state = query(id);
            action->setEnabled(state.enabled);
            if (action->isCheckable())
                action->setChecked(state.checked);
        }
    };
    QObject::connect(menu, &QMenu::aboutToShow, window, update);
    update();
}

// Takes the CommandEvents of the window it filters.
class CommandEventFilter final : public QObject {
public:
    CommandEventFilter(std::function<bool(UINT)> run, QObject* parent)
        : QObject(parent), m_run(std::move(run))
    {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Filters see the window's posted events before its event() does.
        syncPostedEvents();
        if (watched != parent() || event->type() != CommandEvent::eventType())
            return false;
        event->setAccepted(m_run(static_cast<CommandEvent*>(event)->id()));
        return true;
    }

private:
    std::function<bool(UINT)> m_run;
};

} // namespace

std::vector<ViewMenuItem> withContextCopy(std::vector<ViewMenuItem> items)
{
    const std::size_t count = items.size();
    for (std::size_t i = 0; i < count; ++i)
        if (items[i].group != MenuGroup::Context)
            items.push_back({MenuGroup::Context, items[i].id, items[i].text, items[i].checkable});
    return items;
}

void insertHelpItems(QMenu* help, QWidget* owner)
{
    QAction* contents = insertMenuItem(menuHandle(help), 0, IDM_HELP_CONTENTS, "Nuvo &Help");
    QObject::connect(contents, &QAction::triggered,
                     [] { openDocument(moduleFolder() + "/help.htm"); });
    QAction* about = insertMenuItem(menuHandle(help), 1, IDM_ABOUT, "&About Nuvo...");
    QPointer<QWidget> guarded(owner);
    QObject::connect(about, &QAction::triggered, [guarded] {
        showMessageBox(reinterpret_cast<HWND>(guarded.data()),
                       "Nuvo Network Cameras\nCamera namespace version 1.2.4", "About Nuvo",
                       MB_ICONINFORMATION | MB_OK);
    });
    insertMenuSeparator(menuHandle(help), 2);
}

void mergeViewMenus(IShellBrowser* browser, QWidget* window, UINT state,
                    const std::vector<ViewMenuItem>& items, const CommandRunner& run,
                    const CommandStateQuery& query)
{
    if (!browser)
        return;
    if (state == SVUIA_DEACTIVATE || !window) {
        browser->SetMenuSB(nullptr, nullptr, nullptr);
        return;
    }
    // A new shared menu each time, as the browser hands its own menus out afresh.
    auto* bar = new QMenuBar;
    HMENU shared = menuHandle(bar);
    browser->InsertMenusSB(shared, nullptr);
    if (QMenu* file = findSubMenu(shared, FCIDM_MENU_FILE)) {
        int at = 0;
        for (const ViewMenuItem& item : items)
            if (item.group == MenuGroup::File)
                addItem(file, at++, item, window, run);
        if (at)
            insertMenuSeparator(menuHandle(file), static_cast<UINT>(at));
        updateOnShow(file, window, query);
    }
    if (QMenu* view = findSubMenu(shared, FCIDM_MENU_VIEW)) {
        bool first = true;
        for (const ViewMenuItem& item : items) {
            if (item.group != MenuGroup::View)
                continue;
            if (first)
                view->addSeparator();
            first = false;
            addItem(view, -1, item, window, run);
        }
        updateOnShow(view, window, query);
    }
    if (QMenu* help = findSubMenu(shared, FCIDM_MENU_HELP))
        insertHelpItems(help, window);
    browser->SetMenuSB(shared, nullptr, reinterpret_cast<HWND>(window));
}

QMenu* buildContextMenu(QWidget* parent, const std::vector<ViewMenuItem>& items,
                        const CommandStateQuery& query)
{
    auto* menu = new QMenu(parent);
    for (const ViewMenuItem& item : items)
        if (item.group == MenuGroup::Context)
            addItem(menu, -1, item, parent, nullptr);
    updateOnShow(menu, parent, query);
    return menu;
}

void showContextMenu(QWidget* parent, const std::vector<ViewMenuItem>& items,
                     const CommandStateQuery& query, const CommandRunner& run,
                     const QPoint& globalPos)
{
    QMenu* menu = buildContextMenu(parent, items, query);
    const UINT chosen = trackPopupMenu(menuHandle(menu), globalPos);
    menu->deleteLater();
    if (chosen && run)
        run(chosen);
}

void installCommandEvents(QWidget* window, std::function<bool(UINT id)> run)
{
    window->installEventFilter(new CommandEventFilter(std::move(run), window));
}

void installViewAccelerators(QWidget* window, const CommandRunner& run)
{
    const std::pair<QKeySequence, UINT> table[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_A), IDM_SELECT_ALL},
        {QKeySequence(Qt::Key_Delete), IDM_DELETE},
        {QKeySequence(Qt::Key_F1), IDM_HELP_CONTENTS},
        {QKeySequence(Qt::Key_F11), IDM_FULL_SCREEN},
    };
    for (const auto& [keys, id] : table) {
        auto* shortcut = new QShortcut(keys, window);
        shortcut->setContext(Qt::WindowShortcut);
        const UINT command = id;
        QObject::connect(shortcut, &QShortcut::activated, window, [run, command] { run(command); });
    }
}

} // namespace foldra
