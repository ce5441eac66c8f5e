#pragma once
// Hosts CamImage in a test as the page host does: a fresh state root with the client, media
// and control libraries registered, a QApplication, a page document with an address, and the
// control created by class id through a real client site with its <param> values as a
// property bag. The events it fires are counted.

#include "common/IOrvelCamControl.h"
#include "hosts/page/ControlSite.h"
#include "testsupport/TempStateRoot.h"
#include "testsupport/WaitUntil.h"

#include <QApplication>
#include <QWidget>
#include <chrono>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace pictra::test {

// Registers the libraries beside the test program into the test's state root and makes the
// QApplication; one per test.
class ControlHostFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    struct Options {
        std::string documentAddress; // empty: a page without a document
        pagehost::UserMode mode = pagehost::UserMode::Run;
        std::vector<std::pair<std::string, std::string>> params;
        int width = 320;
        int height = 240;
        bool showPage = true; // false: the host never paints the control

        explicit Options(std::string address = "http://127.0.0.1/")
            : documentAddress(std::move(address))
        {}
        Options& design()
        {
            mode = pagehost::UserMode::Design;
            return *this;
        }
        Options& param(std::string name, std::string value)
        {
            params.emplace_back(std::move(name), std::move(value));
            return *this;
        }
        Options& size(int w, int h)
        {
            width = w;
            height = h;
            return *this;
        }
        Options& hidden()
        {
            showPage = false;
            return *this;
        }
    };
    // Creates the control on a new page; fails the test when it cannot.
    void host(const Options& options);

    IOrvelCamControl* control() const { return m_control.get(); }
    pagehost::ControlSite* site() const { return m_site.get(); }
    pagehost::PageDocument* document() const { return m_document.get(); }
    QWidget* controlWindow() const;

    // Events fired so far, by name ("OnNewImage", "changed URL").
    int count(const std::string& name) const;
    std::vector<std::pair<std::string, std::chrono::steady_clock::time_point>> events() const
    {
        return m_events;
    }
    // The control's last size change reported to the site, or (0, 0).
    std::pair<int, int> reportedSize() const { return m_reportedSize; }

    // Waits for pred while the event loop turns.
    template <typename Pred> bool waitFor(Pred pred, std::chrono::milliseconds limit);
    // Turns the event loop for a while: for asserting that something does not happen.
    void pumpFor(std::chrono::milliseconds span);

    std::chrono::steady_clock::time_point hostedAt() const { return m_hostedAt; }

private:
    std::unique_ptr<TempStateRoot> m_root;
    std::unique_ptr<QApplication> m_app;
    std::unique_ptr<QWidget> m_page;
    ComPtr<pagehost::PageDocument> m_document;
    ComPtr<pagehost::ControlSite> m_site;
    ComPtr<IOrvelCamControl> m_control;
    std::vector<std::pair<std::string, std::chrono::steady_clock::time_point>> m_events;
    std::pair<int, int> m_reportedSize{0, 0};
    std::chrono::steady_clock::time_point m_hostedAt;
};

void pumpEvents();

template <typename Pred>
bool ControlHostFixture::waitFor(Pred pred, std::chrono::milliseconds limit)
{
    return waitUntil(pred, limit, [] { pumpEvents(); });
}

// A BSTR argument from UTF-8.
class Text {
public:
    explicit Text(const std::string& utf8);
    ~Text();
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    operator BSTR() const { return m_bstr; }

private:
    BSTR m_bstr;
};

// A string property of the control as UTF-8.
std::string textProperty(IOrvelCamControl* control, HRESULT (IOrvelCamControl::*get)(BSTR*));

} // namespace pictra::test
