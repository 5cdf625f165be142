#pragma once
// The dialogs service on the desktop: QMessageBox and QColorDialog.

#include "platform/dialogs.h"

class DesktopDialogs : public Dialogs {
public:
    // appTitle captions the plain notices and the error box.
    explicit DesktopDialogs(QString appTitle);

    void showMessage(QWidget *owner, const QString &text) override;
    int messageBox(QWidget *owner, const QString &text, const QString &caption, int flags) override;
    void showError(QWidget *owner, const QString &text) override;
    std::optional<QColor> chooseColor(QWidget *owner, const QColor &initial) override;

private:
    QString m_appTitle;
};
