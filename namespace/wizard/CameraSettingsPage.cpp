#include "namespace/wizard/CameraSettingsPage.h"

#include "common/LuminClasses.h"
#include "namespace/resources/FoldraStrings.h"
#include "platform/com/Bstr.h"
#include "platform/com/Runtime.h"
#include "platform/com/TaskMemory.h"
#include "platform/ui/MessageBox.h"
#include "platform/window/WindowHandle.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <charconv>

namespace foldra {
namespace {

constexpr const char* kDefaultPort = "80";
constexpr const char* kModelOther = "Other";
constexpr int kMaxPort = 65535;

// The wait cursor for as long as the page asks the camera.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Takes the strings of a GetCaps answer and frees the block.
std::vector<std::string> takeCaps(INT count, BSTR* caps)
{
    std::vector<std::string> entries;
    for (INT i = 0; caps && i < count; ++i) {
        entries.push_back(bstrToUtf8(caps[i]));
        SysFreeString(caps[i]);
    }
    CoTaskMemFree(caps);
    return entries;
}

std::string trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Cuts at a character boundary so that at most maxBytes bytes remain.
std::string cutUtf8(std::string text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
    return text;
}

} // namespace

HostAndPort splitAddress(const std::string& address)
{
    const std::size_t colon = address.find(':');
    HostAndPort split;
    split.host = cutUtf8(address.substr(0, colon), kMaxHostLength);
    if (colon != std::string::npos)
        split.port = trimmed(address.substr(colon + 1)).substr(0, kMaxPortLength);
    if (split.port.empty())
        split.port = kDefaultPort;
    return split;
}

CameraSettingsPage::CameraSettingsPage(EditedItem& item, QWidget* parent)
    : ItemPage(item, QStringLiteral("Camera settings"), parent), m_host(new QLineEdit(this)),
      m_port(new QLineEdit(this)), m_type(new QLineEdit(this)),
      m_choose(new QPushButton(QStringLiteral("Choose..."), this)),
      m_resolution(new QComboBox(this)), m_camera(new QComboBox(this))
{
    m_host->setObjectName(QStringLiteral("hostEdit"));
    m_port->setObjectName(QStringLiteral("portEdit"));
    m_type->setObjectName(QStringLiteral("typeText"));
    m_choose->setObjectName(QStringLiteral("chooseButton"));
    m_resolution->setObjectName(QStringLiteral("resolutionList"));
    m_camera->setObjectName(QStringLiteral("cameraList"));
    m_host->setMaxLength(kMaxHostLength);
    m_port->setMaxLength(kMaxPortLength);
    m_port->setMaximumWidth(m_port->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 10);
    m_port->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_port));
    m_type->setReadOnly(true);
    m_type->setFocusPolicy(Qt::NoFocus);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Host:"), this), 0, 0);
    layout->addWidget(m_host, 0, 1, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("HTTP Port:"), this), 1, 0);
    layout->addWidget(m_port, 1, 1);
    layout->addWidget(new QLabel(QStringLiteral("Type:"), this), 2, 0);
    layout->addWidget(m_type, 2, 1);
    layout->addWidget(m_choose, 2, 2);
    layout->addWidget(new QLabel(QStringLiteral("Resolution:"), this), 3, 0);
    layout->addWidget(m_resolution, 3, 1, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("Camera:"), this), 4, 0);
    layout->addWidget(m_camera, 4, 1, 1, 2);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(5, 1);
    connect(m_choose, &QPushButton::clicked, this, &CameraSettingsPage::choose);
}

void CameraSettingsPage::activate()
{
    const WaitCursor wait;
    m_address = m_item.record.address;
    const HostAndPort split = splitAddress(m_address);
    m_host->setText(QString::fromStdString(split.host));
    m_port->setText(QString::fromStdString(split.port));
    m_type->clear();
    for (QComboBox* box : {m_resolution, m_camera}) {
        box->clear();
        box->setEnabled(false);
    }
    m_target.reset();
    m_source = TypeSource::None;

    if (!m_identify)
        CoCreateInstance(CLSID_Luminent, nullptr, CLSCTX_INPROC_SERVER, IID_ICamIdentifyTarget,
                         m_identify.putVoid());
    Bstr name;
    Bstr version;
    bool identified = false;
    if (m_identify) {
        const Bstr host(m_address);
        identified = m_identify->IdentifyTarget(host.get(), m_target.put(), name.out(),
                                                version.out(), kIdentifyTimeoutMs) == S_OK &&
                     m_target;
    }
    if (!identified)
        m_target.reset();
    std::string typeName = name.utf8();
    std::string typeVersion = version.utf8();
    std::string product;
    std::string firmware;
    m_parametersAnswered = m_item.record.caps->GetIdentity(m_address, product, firmware) == S_OK;
    if (m_parametersAnswered) {
        if (!product.empty())
            typeName = product;
        if (!firmware.empty())
            typeVersion = firmware;
    }

    if (identified) {
        m_source = TypeSource::Identified;
    } else if (m_parametersAnswered) {
        m_source = TypeSource::Parameters;
        m_firmware = typeVersion;
    } else {
        m_type->setText(QString::fromStdString(loadString(IDS_IDENTIFICATION_FAILED)));
        updateButtons();
        return;
    }
    m_type->setText(QString::fromStdString(typeName + " " + typeVersion));
    fillLists();
    updateButtons();
}

bool CameraSettingsPage::canGoOn() const
{
    return m_source != TypeSource::None;
}

void CameraSettingsPage::choose()
{
    if (!m_identify && FAILED(CoCreateInstance(CLSID_Luminent, nullptr, CLSCTX_INPROC_SERVER,
                                               IID_ICamIdentifyTarget, m_identify.putVoid())))
        return;
    ComPtr<ICamTarget> target;
    Bstr name;
    Bstr version;
    if (m_identify->ChooseTarget(target.put(), name.out(), version.out()) != S_OK || !target)
        return;
    m_target = std::move(target);
    m_source = TypeSource::Chosen;
    m_model = name.utf8();
    m_firmware = version.utf8();
    m_type->setText(QString::fromStdString(m_model + " " + m_firmware));
    for (QComboBox* box : {m_resolution, m_camera}) {
        box->clear();
        box->setEnabled(false);
    }
    fillLists();
    updateButtons();
}

void CameraSettingsPage::fillLists()
{
    fillList(m_resolution, CamCapsVideoResolutions, m_item.record.resolution);
    fillList(m_camera, CamCapsCameras, m_item.record.camera);
}

void CameraSettingsPage::fillList(QComboBox* box, INT flag, const std::string& selected)
{
    INT count = 0;
    BSTR* caps = nullptr;
    INT defaultIndex = 0;
    // A camera whose parameter list could not be read just now would only be asked again.
    HRESULT hr = m_parametersAnswered
                     ? m_item.record.caps->GetCaps(m_address, flag, &count, &caps, &defaultIndex)
                     : E_FAIL;
    std::vector<std::string> entries = takeCaps(count, caps);
    if ((FAILED(hr) || entries.empty()) && m_target) {
        count = 0;
        caps = nullptr;
        defaultIndex = 0;
        hr = m_target->GetCaps(flag, &count, &caps, &defaultIndex);
        entries = takeCaps(SUCCEEDED(hr) ? count : 0, caps);
    }
    box->clear();
    for (const std::string& entry : entries)
        box->addItem(QString::fromStdString(entry));
    box->setEnabled(!entries.empty());
    if (entries.empty())
        return;
    int index = -1;
    if (m_item.state == EditState::Properties)
        index = box->findText(QString::fromStdString(selected));
    if (index < 0)
        index = defaultIndex >= 0 && defaultIndex < box->count() ? defaultIndex : 0;
    box->setCurrentIndex(index);
}

bool CameraSettingsPage::leave()
{
    const std::string host = m_host->text().trimmed().toStdString();
    const std::string port = m_port->text().trimmed().toStdString();
    if (host.empty()) {
        showMessageBox(hwndOf(window()), "Enter the camera's address or name.",
                       loadString(IDS_CAPTION_ERROR), MB_ICONWARNING | MB_OK);
        m_host->setFocus();
        return false;
    }
    int number = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
    if (!port.empty() && (error != std::errc() || end != port.data() + port.size() || number < 1 ||
                          number > kMaxPort)) {
        showMessageBox(hwndOf(window()), formatMessage("%1 is not a valid port.", {port}),
                       loadString(IDS_CAPTION_ERROR), MB_ICONWARNING | MB_OK);
        m_port->setFocus();
        return false;
    }
    m_item.record.address = port.empty() ? host : host + ":" + port;
    switch (m_source) {
    case TypeSource::Identified:
        m_item.record.model.clear();
        m_item.record.firmware.clear();
        break;
    case TypeSource::Parameters:
        m_item.record.model = kModelOther;
        m_item.record.firmware = m_firmware;
        break;
    case TypeSource::Chosen:
        m_item.record.model = m_model;
        m_item.record.firmware = m_firmware;
        break;
    case TypeSource::None:
        break; // nothing found: what the item had stays
    }
    m_item.record.resolution = m_resolution->currentText().toStdString();
    m_item.record.camera = m_camera->currentText().toStdString();
    return true;
}

} // namespace foldra
