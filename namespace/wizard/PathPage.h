#pragma once
// The directory of an album. A plain folder name is taken inside the user's Documents folder;
// a directory that does not exist is offered for creation.

#include "namespace/wizard/ItemPage.h"

#include <string>

class QLineEdit;
class QPushButton;

namespace foldra {

// The user's Documents folder (without a trailing "/"); the home folder when there is none.
std::string documentsFolder();
// The directory a typed text names: an absolute path as typed, "~/..." inside the home folder,
// anything else inside documents, unless the joined path would be longer than kMaxPathLength.
std::string albumPathOf(const std::string& text, const std::string& documents);

inline constexpr std::size_t kMaxPathLength = 4096;

class PathPage final : public ItemPage {
    Q_OBJECT
public:
    explicit PathPage(EditedItem& item, QWidget* parent = nullptr);

    void activate() override;
    // Asks to create a missing directory (1006) and stays when that fails (1007), when the
    // user declines, or when the path names something other than a directory (1008).
    bool leave() override;

private:
    bool canGoOn() const override;
    void browse();

    QLineEdit* m_path;     // 219, "pathEdit"
    QPushButton* m_browse; // 221, "browseButton"
};

} // namespace foldra
