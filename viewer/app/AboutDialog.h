#pragma once
// Dialog 100: the program's name, version and what it is for.

#include <QDialog>

namespace vistel {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

} // namespace vistel
