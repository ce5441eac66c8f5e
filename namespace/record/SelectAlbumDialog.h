#pragma once
// Dialog 122 "Select Album": the albums of the namespace root in a one-column list with their
// icons; OK gives the chosen album's directory.

#include <QDialog>
#include <optional>
#include <string>

class QListWidget;

namespace foldra {

inline constexpr int IDD_SELECT_ALBUM = 122;

class SelectAlbumDialog final : public QDialog {
    Q_OBJECT
public:
    explicit SelectAlbumDialog(QWidget* parent);

    void accept() override;
    // The chosen album's directory once accepted.
    const std::optional<std::string>& chosenDirectory() const { return m_directory; }
    QListWidget* list() const { return m_list; }

private:
    QListWidget* m_list;
    std::optional<std::string> m_directory;
};

} // namespace foldra
