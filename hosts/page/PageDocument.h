#pragma once
// The open page as its controls see it: the container behind every client site, answering
// IHTMLDocument2 (its address and title) and offering HTMLDocumentEvents, whose stop event
// the host raises when the user stops the page. On the host's window thread.

#include "common/IHTMLDocument2.h"
#include "common/OleControl.h"

#include <string>

namespace pagehost {

class PageDocument final : public UnknownImpl<PageDocument, IOleContainer, DualImpl<IHTMLDocument2>,
                                              IConnectionPointContainer> {
public:
    PageDocument(std::string address, std::string title);

    HRESULT LockContainer(BOOL fLock) override;
    HRESULT get_URL(BSTR* p) override;
    HRESULT get_title(BSTR* p) override;
    HRESULT EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

    // The document's stop event (DISPID 1026) to every advised sink.
    void fireStop();
    // Drops the sinks: the page is closing.
    void close();
    std::size_t listenerCount() const { return m_events.count(); }

private:
    ~PageDocument() override;

    std::string m_address;
    std::string m_title;
    ConnectionPointImpl m_events{this, DIID_HTMLDocumentEvents};
    ConnectionPointList m_points{&m_events};
};

} // namespace pagehost
