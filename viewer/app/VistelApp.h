#pragma once
// The viewer application: startup (registration switches, automation start, a file from the
// command line), the document and its frame, and when the program ends.

#include "platform/base/Event.h"
#include "platform/base/WinTypes.h"
#include "viewer/app/AviDialogs.h"

#include <QObject>
#include <QStringList>
#include <memory>

namespace vistel {

class AviCreation;
class CMainFrame;
class CVistelDoc;
class StateLog;

class CVistelApp : public QObject {
    Q_OBJECT
public:
    CVistelApp();
    ~CVistelApp() override;

    // InitInstance: with "-Embedding" registers the class factory and waits hidden for the
    // creator; otherwise registers the server, then opens the file the arguments name (a
    // ".sqj" plays, anything else is shown as an image) or an empty window. False when the
    // program should end at once.
    bool InitInstance(const QStringList& arguments);

    // IVistel::SetUserCtrl: shows the frame at the image size and hands the program to the
    // user, so it outlives its creator.
    void SetUserCtrl();
    bool isUserControlled() const { return m_userControl; }

    CVistelDoc* document() const { return m_document.get(); }
    CMainFrame* frame() const { return m_frame.get(); }
    // Set while an AVI creation thread runs; reset to ask it to stop.
    Event& aviCreationEvent() { return m_aviCreationEvent; }
    // The questions AVI creation asks (the real dialogs unless replaced, as tests do).
    void setAviDialogs(std::unique_ptr<AviDialogs> dialogs) { m_aviDialogs = std::move(dialogs); }
    bool isCreatingAvi() const;

    // The class factory made the creator's object (window thread).
    void markServed() { m_served = true; }

private:
    bool startAutomation();
    void openFromCommandLine(const QString& path);
    void onClientGone();

    Event m_aviCreationEvent{EventReset::Manual};
    std::unique_ptr<CVistelDoc> m_document;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<StateLog> m_stateLog;
    std::unique_ptr<AviDialogs> m_aviDialogs;
    std::unique_ptr<AviCreation> m_aviCreation; // stopped before the frame goes
    bool m_userControl = false;
    bool m_served = false; // the creator's object was made
    DWORD m_classCookie = 0;
};

} // namespace vistel
