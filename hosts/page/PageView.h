#pragma once
// The page itself: its text blocks as labels and its controls, each hosted through a client
// site at the object's width and height, flowed left to right and top to bottom across the
// view's width. One open page at a time; on the window thread.

#include "hosts/page/ControlSite.h"
#include "hosts/page/PageParser.h"
#include "hosts/page/PageSource.h"

#include <QWidget>
#include <vector>

namespace pagehost {

// An object without a width or height in the page gets this size.
inline constexpr int kDefaultObjectWidth = 320;
inline constexpr int kDefaultObjectHeight = 240;

class PageView final : public QWidget {
public:
    explicit PageView(QWidget* parent = nullptr);
    ~PageView() override;

    void setEventHandler(EventHandler handler) { m_onEvent = std::move(handler); }

    // Replaces the shown page. Problems with single objects go to the event handler; the page
    // shows what it can.
    void open(const LoadedPage& page, UserMode mode);
    // Closes every control and forgets the page.
    void closePage();
    // The document's stop event (Esc or Stop).
    void stop();

    const ParsedPage& page() const { return m_page; }
    PageDocument* document() const { return m_document.get(); }
    // The sites of the page's objects, in page order (null where creation failed).
    const std::vector<ComPtr<ControlSite>>& sites() const { return m_sites; }

    // Lays the page out across width (the view's own width when 0).
    void relayout(int width = 0);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Placed {
        QWidget* widget = nullptr;   // a label or a placeholder
        ControlSite* site = nullptr; // or a control
        int width = 0;
        int height = 0;
        bool block = false; // starts and ends a line
        bool lineBreak = false;
    };

    void report(const std::string& objectId, const std::string& text);

    EventHandler m_onEvent;
    ParsedPage m_page;
    ComPtr<PageDocument> m_document;
    std::vector<ComPtr<ControlSite>> m_sites;
    std::vector<Placed> m_placed;
    int m_laidOutWidth = -1;
    bool m_relayoutPending = false;
};

} // namespace pagehost
