#pragma once
// The window of a live view: an image (or the quad view's canvas) of a known size placed in
// the client area in one of the three layout modes, scroll bars while the image keeps its own
// size, dark grey around it and wherever drawing fails. Repaints do not erase first. The
// content is drawn by the subclass. Lives on the user-interface thread.

#include "namespace/views/ImagePlacement.h"

#include <QAbstractScrollArea>

struct ICamImageObject;

namespace foldra {

class LiveImageArea : public QAbstractScrollArea {
public:
    // The image size before the first image arrives.
    static constexpr int kDefaultImageSide = 100;

    explicit LiveImageArea(QWidget* parent);

    int contentWidth() const { return m_width; }
    int contentHeight() const { return m_height; }
    // The content's size; recomputes the scroll ranges.
    void setContentSize(int width, int height);

    bool retainImageSize() const { return m_retain; }
    bool sizeToFit() const { return m_fit; }
    // Shows or hides both scroll bars.
    void setRetainImageSize(bool on);
    void setSizeToFit(bool on);
    Placement placement() const;

    // The client area and where the content goes in it now.
    RECT clientRect() const;
    RECT contentRect() const;

protected:
    // Draws the content into target (which may reach outside surface). False when nothing
    // could be drawn: the whole client area is then filled dark grey.
    virtual bool drawContent(orvel::draw::DrawSurface& surface, const RECT& target) = 0;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void updateScrollRanges();

    int m_width = kDefaultImageSide;
    int m_height = kDefaultImageSide;
    bool m_retain = true;
    bool m_fit = false;
};

// Draws an image object's newest image into target. False when there is none or it fails.
bool drawImage(ICamImageObject* image, orvel::draw::DrawSurface& surface, const RECT& target);

} // namespace foldra
