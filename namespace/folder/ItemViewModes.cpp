#include "namespace/folder/ItemViewModes.h"

#include "namespace/folder/CamFolder.h"
#include "platform/shell/ShellView.h"

#include <QHeaderView>
#include <QListView>
#include <QStackedLayout>
#include <QTreeView>

namespace foldra {

namespace {
constexpr ViewModeCommand kCommands[] = {
    {IDM_VIEW_LARGEICONS, FVM_ICON, "Lar&ge Icons"},
    {IDM_VIEW_SMALLICONS, FVM_SMALLICON, "S&mall Icons"},
    {IDM_VIEW_LIST, FVM_LIST, "&List"},
    {IDM_VIEW_DETAILS, FVM_DETAILS, "&Details"},
};
} // namespace

std::span<const ViewModeCommand> viewModeCommands()
{
    return kCommands;
}

UINT viewModeOfCommand(UINT id)
{
    for (const ViewModeCommand& command : kCommands)
        if (command.id == id)
            return command.mode;
    return 0;
}

void stackItemViews(QStackedLayout* stack, QListView* list, QTreeView* details)
{
    stack->setContentsMargins(0, 0, 0, 0);
    details->setRootIsDecorated(false);
    details->setItemsExpandable(false);
    details->header()->setSectionsClickable(false);
    details->header()->setStretchLastSection(false);
    stack->addWidget(list);
    stack->addWidget(details);
}

void showListMode(QStackedLayout* stack, QListView* list, UINT mode, const ListModeLayout& layout)
{
    const bool large = mode == FVM_ICON;
    list->setViewMode(large ? QListView::IconMode : QListView::ListMode);
    list->setFlow(mode == FVM_LIST ? QListView::TopToBottom : QListView::LeftToRight);
    list->setWrapping(true);
    list->setResizeMode(QListView::Adjust);
    list->setMovement(QListView::Static);
    list->setWordWrap(large);
    list->setIconSize(layout.icon);
    list->setGridSize(layout.grid);
    list->setSpacing(layout.spacing);
    stack->setCurrentWidget(list);
}

void showDetailsMode(QStackedLayout* stack, QTreeView* details, QSize icon, int width)
{
    details->setIconSize(icon);
    details->setColumnWidth(0, width * 2 / 3);
    stack->setCurrentWidget(details);
}

} // namespace foldra
