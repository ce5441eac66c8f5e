#include "control/tests/ControlHost.h"

#include "common/PictraClasses.h"
#include "platform/base/Utf.h"
#include "platform/com/PropertyBag.h"
#include "platform/com/Runtime.h"
#include "testsupport/RegisteredLibraries.h"

#include <QApplication>

namespace pictra::test {

void pumpEvents()
{
    QApplication::processEvents(QEventLoop::AllEvents, 5);
}

void ControlHostFixture::SetUp()
{
    m_root = std::make_unique<TempStateRoot>();
    std::string error;
    ASSERT_TRUE(registerTestLibraries({"Lumin.so", "Medrix.so", "Pictra.so"}, &error)) << error;
    static int argc = 1;
    static char name[] = "pictra_tests";
    static char* argv[] = {name, nullptr};
    m_app = std::make_unique<QApplication>(argc, argv);
    CoInitialize(nullptr);
}

void ControlHostFixture::TearDown()
{
    m_control.reset();
    if (m_site)
        m_site->close();
    m_site.reset();
    if (m_document)
        m_document->close();
    m_document.reset();
    m_page.reset();
    // Deferred deletes of the control's window.
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    CoUninitialize();
    m_app.reset();
    CoFreeUnusedLibraries();
    m_root.reset();
}

void ControlHostFixture::host(const Options& options)
{
    m_page = std::make_unique<QWidget>();
    m_page->resize(1400, 1000);
    if (options.showPage)
        m_page->show();
    m_document = ComPtr<pagehost::PageDocument>::attach(
        pagehost::PageDocument::createRaw(options.documentAddress, "test page"));
    ComPtr<MemoryPropertyBag> bag =
        ComPtr<MemoryPropertyBag>::attach(MemoryPropertyBag::createRaw());
    for (const auto& [name, value] : options.params)
        ASSERT_EQ(bag->writeText(utf8ToUtf16(name), value), S_OK);
    m_site = ComPtr<pagehost::ControlSite>::attach(pagehost::ControlSite::createRaw(
        options.documentAddress.empty() ? ComPtr<pagehost::PageDocument>() : m_document, "CamImage",
        options.mode, [this](const pagehost::ControlEvent& event) {
            m_events.emplace_back(event.name, std::chrono::steady_clock::now());
        }));
    m_site->setResizeHandler([this](int w, int h) { m_reportedSize = {w, h}; });
    m_hostedAt = std::chrono::steady_clock::now();
    std::string error;
    ASSERT_TRUE(m_site->create(CLSID_CamImage, bag.get(), m_page.get(),
                               RECT{10, 10, 10 + options.width, 10 + options.height}, &error))
        << error;
    m_control = m_site->controlAs<IOrvelCamControl>();
    ASSERT_TRUE(m_control);
}

QWidget* ControlHostFixture::controlWindow() const
{
    ComPtr<IOleInPlaceObject> inPlace = m_site->controlAs<IOleInPlaceObject>();
    HWND window = nullptr;
    if (!inPlace || FAILED(inPlace->GetWindow(&window)))
        return nullptr;
    return reinterpret_cast<QWidget*>(window);
}

int ControlHostFixture::count(const std::string& name) const
{
    int n = 0;
    for (const auto& event : m_events)
        n += event.first == name;
    return n;
}

void ControlHostFixture::pumpFor(std::chrono::milliseconds span)
{
    waitUntil([] { return false; }, span, [] { pumpEvents(); });
}

Text::Text(const std::string& utf8) : m_bstr(bstrFromUtf8(utf8)) {}

Text::~Text()
{
    SysFreeString(m_bstr);
}

std::string textProperty(IOrvelCamControl* control, HRESULT (IOrvelCamControl::*get)(BSTR*))
{
    BSTR value = nullptr;
    EXPECT_EQ((control->*get)(&value), S_OK);
    std::string text = bstrToUtf8(value);
    SysFreeString(value);
    return text;
}

} // namespace pictra::test
