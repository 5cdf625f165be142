#pragma once
// The start-up dialog: whether the program starts with the desktop session. The choice
// is kept as F4 RG and carried out on the autostart entry at every close.

#include "platform/handlerguard.h"

#include <QDialog>
#include <functional>
#include <memory>

class Autostart;
class Dialogs;
class QButtonGroup;
namespace Ui {
class TForm4;
}

class TForm4 : public QDialog {
    Q_OBJECT
public:
    // Ends the program at once with the given status, running no close handlers.
    using Terminator = std::function<void(int status)>;
    static void exitAtOnce(int status);

    TForm4(Dialogs &dialogs, Autostart &autostart, QWidget *owner = nullptr,
           Terminator terminate = &TForm4::exitAtOnce);
    ~TForm4() override;

    // The selected choice: 0 "起動しない", 1 "起動する", -1 nothing selected.
    int itemIndex() const;
    void setItemIndex(int index);

    // Every way of closing (OK, Enter, the caption's close button, Escape) ends here.
    void done(int result) override;

private:
    void FormCreate();
    void Button1Click();
    void FormCloseQuery();

    std::unique_ptr<Ui::TForm4> ui;
    HandlerGuard m_guard;
    Dialogs &m_dialogs;
    Autostart &m_autostart;
    Terminator m_terminate;
    QButtonGroup *m_choices;
};
