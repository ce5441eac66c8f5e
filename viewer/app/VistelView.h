#pragma once
// The viewer's view: draws the document's current picture stretched over its whole client
// area (no aspect correction), on a dark grey background while the erase flag is set.

#include "viewer/app/VistelDoc.h"

#include <QColor>
#include <QWidget>

namespace vistel {

inline constexpr QColor kBackground{64, 64, 64};

class CVistelView : public QWidget {
    Q_OBJECT
public:
    CVistelView(CVistelDoc* document, QWidget* parent = nullptr);

    bool isErasing() const { return m_erase; }
    // A paint that found nothing to draw left the view dark grey.
    bool isBlank() const { return m_blank; }

    QSize sizeHint() const override;

    // The document's hints.
    void OnUpdate(ViewHint hint);

signals:
    // Hint 1 asks the frame to fit itself so this view gets the image size.
    void fitRequested(QSize imageSize);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CVistelDoc* m_document;
    bool m_erase = true;
    bool m_blank = true;
};

} // namespace vistel
