#include "namespace/wizard/SwitchCamerasPage.h"

#include "namespace/resources/FoldraStrings.h"
#include "namespace/wizard/CameraChecklist.h"
#include "platform/ui/MessageBox.h"
#include "platform/window/WindowHandle.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>
#include <limits>

namespace foldra {
namespace {

constexpr std::uint32_t kMsPerSecond = 1000;
constexpr std::size_t kMaxDisplayTimeText = 16;

// Two stacked check boxes, ticked or empty: the images of the check-all and uncheck-all buttons.
QPixmap checkBoxesPixmap(bool ticked)
{
    constexpr int kSize = 20;
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 2; ++i) {
        const QRectF box(2.5 + 4 * i, 2.5 + 8 * i, 9, 9);
        painter.setPen(QPen(QColor(40, 40, 40), 1));
        painter.setBrush(Qt::white);
        painter.drawRect(box);
        if (ticked) {
            painter.setPen(QPen(QColor(0, 120, 0), 2, Qt::SolidLine, Qt::RoundCap));
            painter.drawPolyline(
                QPolygonF({box.topLeft() + QPointF(2, 4.5), box.topLeft() + QPointF(4, 7),
                           box.topLeft() + QPointF(7.5, 2)}));
        }
    }
    return pixmap;
}

} // namespace

std::optional<std::uint32_t> displayTimeOf(const std::string& seconds)
{
    if (seconds.empty() || seconds.size() > kMaxDisplayTimeText)
        return std::nullopt;
    std::uint64_t whole = 0;
    std::uint64_t fraction = 0;
    int places = 0;
    bool point = false;
    bool digits = false;
    for (char c : seconds) {
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            digits = true;
            if (!point) {
                whole = whole * 10 + static_cast<unsigned>(c - '0');
            } else if (++places <= 3) {
                fraction = fraction * 10 + static_cast<unsigned>(c - '0');
            } else {
                return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
        if (whole > std::numeric_limits<std::uint32_t>::max() / kMsPerSecond)
            return std::nullopt;
    }
    for (; places < 3; ++places)
        fraction *= 10;
    const std::uint64_t ms = whole * kMsPerSecond + fraction;
    if (!digits || ms == 0 || ms > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    return static_cast<std::uint32_t>(ms);
}

std::string displayTimeText(std::uint32_t ms)
{
    std::string text = std::to_string(ms / kMsPerSecond);
    if (const std::uint32_t rest = ms % kMsPerSecond) {
        std::string places = std::to_string(rest + kMsPerSecond).substr(1); // three digits
        while (places.back() == '0')
            places.pop_back();
        text += "." + places;
    }
    return text;
}

SwitchCamerasPage::SwitchCamerasPage(EditedItem& item, QWidget* parent)
    : ItemPage(item, QStringLiteral("SwitchCam cameras"), parent),
      m_cameras(new CameraChecklist(this)), m_checkAll(new QToolButton(this)),
      m_uncheckAll(new QToolButton(this)), m_displayTime(new QLineEdit(this))
{
    m_cameras->setObjectName(QStringLiteral("cameraList"));
    m_checkAll->setObjectName(QStringLiteral("checkAllButton"));
    m_uncheckAll->setObjectName(QStringLiteral("uncheckAllButton"));
    m_displayTime->setObjectName(QStringLiteral("displayTimeEdit"));
    m_checkAll->setIcon(QIcon(checkBoxesPixmap(true)));
    m_uncheckAll->setIcon(QIcon(checkBoxesPixmap(false)));
    m_checkAll->setIconSize(QSize(20, 20));
    m_uncheckAll->setIconSize(QSize(20, 20));
    m_checkAll->setToolTip(QStringLiteral("Check all"));
    m_uncheckAll->setToolTip(QStringLiteral("Uncheck all"));
    m_displayTime->setMaxLength(static_cast<int>(kMaxDisplayTimeText));
    m_displayTime->setMaximumWidth(
        m_displayTime->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 12);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_checkAll);
    buttons->addWidget(m_uncheckAll);
    buttons->addStretch();
    auto* list = new QHBoxLayout;
    list->addWidget(m_cameras, 1);
    list->addLayout(buttons);
    auto* time = new QFormLayout;
    time->addRow(QStringLiteral("Display time (sec):"), m_displayTime);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Cameras:"), this));
    layout->addLayout(list, 1);
    layout->addLayout(time);

    connect(m_checkAll, &QToolButton::clicked, this, [this] { m_cameras->setAllChecked(true); });
    connect(m_uncheckAll, &QToolButton::clicked, this, [this] { m_cameras->setAllChecked(false); });
    connect(m_cameras, &CameraChecklist::checksChanged, this, [this] { updateButtons(); });
}

void SwitchCamerasPage::activate()
{
    m_cameras->fill(m_item.store, m_item.record.members);
    m_displayTime->setText(QString::fromStdString(displayTimeText(m_item.record.displayTimeMs)));
}

bool SwitchCamerasPage::canGoOn() const
{
    return m_cameras->checkedCount() > 0;
}

bool SwitchCamerasPage::leave()
{
    const std::string text = m_displayTime->text().trimmed().toStdString();
    const std::optional<std::uint32_t> ms = displayTimeOf(text);
    if (!ms) {
        showMessageBox(hwndOf(window()), formatMessage(loadString(IDS_BAD_DISPLAY_TIME), {text}),
                       loadString(IDS_CAPTION_ERROR), MB_ICONWARNING | MB_OK);
        m_displayTime->setFocus();
        return false;
    }
    m_item.record.displayTimeMs = *ms;
    m_item.record.members = m_cameras->checkedNames();
    if (m_item.proposesNames())
        m_item.proposeName(loadString(IDS_DEFAULT_SWITCH_NAME));
    return true;
}

} // namespace foldra
