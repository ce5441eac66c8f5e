#pragma once
// The "Choose" dialog of ChooseTarget: the user names a model and a firmware version, picked
// from the registry model table or typed. A Qt dialog, modal to the active window, shown on
// the calling thread (which must be the GUI thread).

#include <QDialog>
#include <string>

class QComboBox;

namespace lumin {

class TargetChooserDialog : public QDialog {
public:
    explicit TargetChooserDialog(QWidget* parent = nullptr);

    // The texts as entered, at most 260 characters each; meaningful after Accepted.
    std::string chosenName() const;
    std::string chosenVersion() const;

    QComboBox* nameList() const { return m_names; }       // control 201, object "nameList"
    QComboBox* versionList() const { return m_versions; } // control 202, object "versionList"

private:
    void nameChosen(int index);

    QComboBox* m_names;
    QComboBox* m_versions;
    QString m_other;
};

} // namespace lumin
