#pragma once
// Tool bar pictures of the standard view buttons (VIEW_LARGEICONS … VIEW_VIEWMENU) and the
// browser's own Back and Up buttons.

#include <QIcon>

namespace browser {

QIcon viewButtonIcon(int bitmap);
QIcon backIcon();
QIcon upIcon();

} // namespace browser
