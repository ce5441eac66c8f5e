#pragma once
// The camera switching's window ("SwitchCamView"): the members of a SwitchCam item one after
// another, each for the record's display time, on one stream at a time. Member URLs are
// found in the first pass (identification) and reused after it. The content of a ContentView,
// as the single view is. On the user-interface thread.

#include "namespace/store/ItemKind.h"
#include "namespace/store/ItemRecord.h"
#include "namespace/store/ItemStore.h"
#include "namespace/views/MemberStream.h"
#include "namespace/views/SwitchSchedule.h"
#include "namespace/views/ViewContent.h"
#include "namespace/views/ViewContext.h"
#include "platform/draw/MemorySurface.h"

#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

namespace foldra {

inline constexpr const char* kSwitchCamViewClass = "SwitchCamView";
inline constexpr DWORD kSwitchIdentifyTimeoutMs = 2000;
// A stored display time is kept within these bounds, so a damaged record neither spins the
// timer nor parks the view on one camera for days.
inline constexpr std::uint32_t kMinDisplayTimeMs = 500;
inline constexpr std::uint32_t kMaxDisplayTimeMs = 24u * 3600 * 1000;

class SwitchCamWidget final : public QWidget, public ViewContent {
    Q_OBJECT
public:
    // The switching's record and kind from context; its members are read from context's store.
    SwitchCamWidget(const ViewContext& context, ViewHost& host, QWidget* parent);
    ~SwitchCamWidget() override;

    // ViewContent: start() reads the view state (version 4), saveState() writes it.
    QWidget* widget() override { return this; }
    void start() override;
    void stop() override;
    HRESULT saveState(IStream* stream) override;
    const std::vector<ViewMenuItem>& menuItems() const override;
    CommandState commandState(UINT id) const override;
    bool runCommand(UINT id) override;

    // What the window shows (tests).
    std::size_t currentMember() const { return m_schedule.current(); }
    bool firstPass() const { return m_schedule.firstPass(); }
    std::uint64_t ticks() const { return m_ticks; }
    std::uint64_t switches() const { return m_switches; }
    std::uint64_t framesPainted() const { return m_painted; } // since the last switch
    bool streaming() const { return m_stream && m_stream->isOpen(); }
    QString shownName() const { return m_name; }
    const std::string& cachedUrl(std::size_t member) const { return m_urls.at(member); }
    bool namesShown() const { return m_showNames; }
    bool retainSize() const { return m_retainSize; }
    bool sizeToFit() const { return m_sizeToFit; }
    std::uint32_t displayTimeMs() const;
    RECT imageRect() const { return m_imageRect; }
    const std::string& shownStatus() const { return m_status; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;

private:
    void switchTo(std::size_t index);
    void onTick();
    void onNotice(StreamNotice notice);
    void closeStream();
    void showStatus(const std::string& text);

    ItemRecord m_own;
    ItemKind m_kind;
    ItemStore m_store;
    ViewHost& m_host;
    std::string m_status;
    std::vector<ItemRecord> m_members;
    std::vector<std::string> m_urls; // cached per member; empty: none
    SwitchSchedule m_schedule;
    std::unique_ptr<MemberStream> m_stream;
    QString m_name;
    LONG m_imageWidth = 100;
    LONG m_imageHeight = 100;
    bool m_firstImage = true;
    bool m_showNames = true;
    bool m_retainSize = true;
    bool m_sizeToFit = false;
    bool m_newFrame = false;
    std::uint64_t m_ticks = 0;
    std::uint64_t m_switches = 0;
    std::uint64_t m_painted = 0;
    RECT m_imageRect{};
    std::unique_ptr<orvel::draw::MemorySurface> m_canvas; // the off-screen bitmap
    QTimer m_timer;
};

} // namespace foldra
