#pragma once
// The version information box: modal, owned by the main window, released when closed.

#include <QDialog>

namespace Ui {
class TAboutBox;
}

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *owner);
    ~TAboutBox() override;

    Ui::TAboutBox *const ui;
};

// The box on screen, or null.
extern TAboutBox *AboutBox;
