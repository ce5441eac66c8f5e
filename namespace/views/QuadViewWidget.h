#pragma once
// The quad view's window ("QuadView"): four member cameras on a 704 x 576 logical canvas,
// placed like an image and split into quadrants (top-left, top-right, bottom-left,
// bottom-right). Each quadrant is drawn into an off-screen bitmap only when its camera sent a
// new image, then the changed part is copied to the window, so names never flicker and one
// camera's frame does not redraw the other three. The content of a ContentView, as the single
// view is. On the user-interface thread.

#include "namespace/store/ItemKind.h"
#include "namespace/store/ItemRecord.h"
#include "namespace/store/ItemStore.h"
#include "namespace/views/ImagePlacement.h"
#include "namespace/views/MemberStream.h"
#include "namespace/views/QuadCanvas.h"
#include "namespace/views/ViewContent.h"
#include "namespace/views/ViewContext.h"
#include "platform/draw/MemorySurface.h"

#include <QTimer>
#include <QWidget>
#include <array>
#include <chrono>
#include <cstdint>
#include <memory>

namespace foldra {

inline constexpr const char* kQuadViewClass = "QuadView";
inline constexpr DWORD kQuadIdentifyTimeoutMs = 2000;
inline constexpr UINT kLimitedRateDelayMs = 100;
// A member whose stream ended is opened again after this pause; one that sent nothing for the
// stall time is closed and opened again.
inline constexpr std::chrono::milliseconds kMemberReconnectDelay{5000};
inline constexpr std::chrono::milliseconds kMemberStallTime{10000};

class QuadViewWidget final : public QWidget, public ViewContent {
    Q_OBJECT
public:
    // The quad view's record and kind from context; its members are read from context's store.
    QuadViewWidget(const ViewContext& context, ViewHost& host, QWidget* parent);
    ~QuadViewWidget() override;

    // ViewContent
    QWidget* widget() override { return this; }
    void start() override;
    void stop() override;
    const std::vector<ViewMenuItem>& menuItems() const override;
    CommandState commandState(UINT id) const override;
    bool runCommand(UINT id) override;

    // What the window shows (tests, the benchmark).
    int openStreams() const;
    QString slotName(int slot) const { return m_slots.at(slot).name; }
    std::string slotStatus(int slot) const;
    std::uint64_t framesArrived(int slot) const { return m_slots.at(slot).arrived; }
    std::uint64_t framesPainted(int slot) const { return m_slots.at(slot).painted; }
    RECT quadrant(int slot) const { return m_quadrants.at(slot); }
    bool namesShown() const { return m_showNames; }
    bool limitedRate() const { return m_limitedRate; }
    const std::string& shownStatus() const { return m_status; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;

private:
    using Clock = std::chrono::steady_clock;
    struct Slot {
        QString name;
        std::string url; // empty: nothing to show
        MemberStream stream;
        bool dirty = true;
        bool newFrame = false;
        bool drawnImage = false;
        std::uint64_t arrived = 0;
        std::uint64_t painted = 0;
        Clock::time_point lastActivity{};
        Clock::time_point endedSeen{};
        std::string problem;     // shown in the quadrant while the stream is down
        bool stallShown = false; // the stall's reason is up; the stream reopens at the next tick
    };

    void openSlot(int index);
    void onNotice(int index, StreamNotice notice);
    void watchStreams();
    void layOut();
    void drawSlot(int index);
    void invalidateSlot(int index);
    void markAllDirty();
    void showStatus(const std::string& text);

    ItemRecord m_own;
    ItemKind m_kind;
    ItemStore m_store;
    ViewHost& m_host;
    std::string m_status;
    std::array<Slot, kQuadSlots> m_slots;
    bool m_showNames = true;
    bool m_limitedRate = true;
    bool m_retainSize = false;
    bool m_sizeToFit = false;
    std::unique_ptr<orvel::draw::MemorySurface> m_canvas; // the off-screen bitmap
    bool m_layoutDirty = true;
    RECT m_canvasRect{};
    std::array<RECT, kQuadSlots> m_quadrants{};
    QTimer m_watch;
};

} // namespace foldra
