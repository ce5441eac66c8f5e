#pragma once
// The album view ("CamImageView") of an Album item: the content the shared content view hosts,
// with the entries of menu 209 and their enable rules. On the user-interface thread.

#include "namespace/views/ViewContent.h"
#include "namespace/views/ViewContext.h"

#include <QPointer>
#include <string>

namespace foldra {

class AlbumViewWidget;

inline constexpr const char* kAlbumViewClass = "CamImageView";

class CamImageView final : public ViewContent {
public:
    CamImageView(const ViewContext& context, ViewHost& host, QWidget* pane);
    ~CamImageView() override;

    QWidget* widget() override;
    void start() override;
    const std::vector<ViewMenuItem>& menuItems() const override;
    CommandState commandState(UINT id) const override;
    bool runCommand(UINT id) override;

    // For the window: the album record's directory, read afresh (empty when the record cannot
    // be read), and the browser's status bar.
    std::string albumDirectory() const;
    void setStatusText(const std::string& text);

private:
    ItemStore m_store;
    std::string m_itemPath;
    ViewHost& m_host;
    QPointer<AlbumViewWidget> m_widget;
};

} // namespace foldra
