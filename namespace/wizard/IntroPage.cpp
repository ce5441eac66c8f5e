#include "namespace/wizard/IntroPage.h"

#include <QLabel>
#include <QVBoxLayout>

namespace foldra {

IntroPage::IntroPage(EditedItem& item, const QString& title, const QString& text, QWidget* parent)
    : ItemPage(item, title, parent)
{
    auto* label = new QLabel(text, this);
    label->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addStretch();
}

} // namespace foldra
