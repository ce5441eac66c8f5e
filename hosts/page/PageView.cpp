#include "hosts/page/PageView.h"

#include "platform/base/Utf.h"
#include "platform/com/PropertyBag.h"

#include <QFont>
#include <QLabel>
#include <QResizeEvent>
#include <QTimer>
#include <algorithm>

namespace pagehost {
namespace {

constexpr int kMargin = 8;
constexpr int kSpacing = 6;

std::string nameOfObject(const PageObject& object, std::size_t index)
{
    return object.id.empty() ? "object " + std::to_string(index + 1) : object.id;
}

} // namespace

PageView::PageView(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
}

PageView::~PageView()
{
    closePage();
}

void PageView::report(const std::string& objectId, const std::string& text)
{
    if (m_onEvent)
        m_onEvent({objectId, text});
}

void PageView::closePage()
{
    for (ComPtr<ControlSite>& site : m_sites)
        if (site)
            site->close();
    m_sites.clear();
    for (Placed& placed : m_placed)
        delete placed.widget;
    m_placed.clear();
    if (m_document)
        m_document->close();
    m_document.reset();
    m_page = {};
    m_laidOutWidth = -1;
}

void PageView::open(const LoadedPage& loaded, UserMode mode)
{
    closePage();
    m_page = parsePage(loaded.html);
    m_document =
        ComPtr<PageDocument>::attach(PageDocument::createRaw(loaded.address, m_page.title));
    for (const std::string& warning : m_page.warnings)
        report("page", warning);

    m_sites.resize(m_page.objects.size());
    for (const PageItem& item : m_page.items) {
        Placed placed;
        if (item.kind == PageItem::Kind::Break) {
            placed.lineBreak = true;
            m_placed.push_back(placed);
            continue;
        }
        if (item.kind == PageItem::Kind::Text) {
            auto* label = new QLabel(QString::fromStdString(item.text), this);
            label->setWordWrap(true);
            label->setTextFormat(Qt::PlainText);
            if (item.heading > 0) {
                QFont font = label->font();
                font.setBold(true);
                font.setPointSizeF(font.pointSizeF() * (item.heading <= 2 ? 1.6 : 1.2));
                label->setFont(font);
            }
            label->show();
            placed.widget = label;
            placed.block = true;
            m_placed.push_back(placed);
            continue;
        }
        const PageObject& object = m_page.objects[item.object];
        const std::string name = nameOfObject(object, item.object);
        placed.width = object.width > 0 ? object.width : kDefaultObjectWidth;
        placed.height = object.height > 0 ? object.height : kDefaultObjectHeight;
        std::string error;
        if (!object.clsid) {
            error = "the object's classid \"" + object.classId + "\" names no class";
        } else {
            ComPtr<MemoryPropertyBag> bag =
                ComPtr<MemoryPropertyBag>::attach(MemoryPropertyBag::createRaw());
            for (const PageParam& param : object.params)
                if (!param.name.empty() && bag)
                    bag->writeText(utf8ToUtf16(param.name), param.value);
            ComPtr<ControlSite> site = ComPtr<ControlSite>::attach(
                ControlSite::createRaw(m_document, name, mode, m_onEvent));
            const std::size_t index = m_placed.size();
            site->setResizeHandler([this, index](int width, int height) {
                if (index < m_placed.size()) {
                    m_placed[index].width = width;
                    m_placed[index].height = height;
                }
                // Not inside the control's own paint: lay out once the paint is over.
                if (!m_relayoutPending) {
                    m_relayoutPending = true;
                    QTimer::singleShot(0, this, [this] {
                        m_relayoutPending = false;
                        relayout();
                    });
                }
            });
            const RECT rect{kMargin, kMargin, kMargin + placed.width, kMargin + placed.height};
            if (site->create(*object.clsid, bag.get(), this, rect, &error)) {
                placed.site = site.get();
                m_sites[item.object] = site;
            }
        }
        if (!placed.site) {
            report(name, error);
            auto* placeholder = new QLabel(QString::fromStdString(error), this);
            placeholder->setWordWrap(true);
            placeholder->setAlignment(Qt::AlignCenter);
            placeholder->setFrameShape(QFrame::Box);
            placeholder->show();
            placed.widget = placeholder;
        }
        m_placed.push_back(placed);
    }
    relayout();
}

void PageView::stop()
{
    if (m_document)
        m_document->fireStop();
}

void PageView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (event->size().width() != m_laidOutWidth)
        relayout(event->size().width());
}

void PageView::relayout(int width)
{
    if (width <= 0)
        width = this->width();
    m_laidOutWidth = width;
    const int right = std::max(width - kMargin, kMargin + 1);
    int x = kMargin;
    int y = kMargin;
    int lineHeight = 0;
    auto newLine = [&] {
        if (x > kMargin || lineHeight > 0) {
            y += lineHeight + kSpacing;
            x = kMargin;
            lineHeight = 0;
        }
    };
    for (Placed& placed : m_placed) {
        if (placed.lineBreak) {
            newLine();
            continue;
        }
        if (placed.block) {
            newLine();
            const int w = right - kMargin;
            const int h = placed.widget->heightForWidth(w);
            placed.widget->setGeometry(kMargin, y, w, std::max(h, 1));
            y += std::max(h, 1) + kSpacing;
            continue;
        }
        if (x > kMargin && x + placed.width > right)
            newLine();
        const RECT rect{x, y, x + placed.width, y + placed.height};
        if (placed.site)
            placed.site->move(rect);
        else
            placed.widget->setGeometry(x, y, placed.width, placed.height);
        x += placed.width + kSpacing;
        lineHeight = std::max(lineHeight, placed.height);
    }
    newLine();
    setMinimumHeight(y + kMargin);
}

} // namespace pagehost
