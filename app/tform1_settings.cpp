// The window's values in the settings store: loaded at start-up, saved at close, and the
// reload command "最新の設定に更新(&N)".

#include "app/tform1.h"

#include "app/apptitle.h"
#include "platform/dialogs.h"
#include "settings/colourtext.h"
#include "settings/settingsstore.h"
#include "ui_tform1.h"

#include <QComboBox>

using namespace Qt::StringLiterals;

namespace {
const QString F1 = u"F1"_s, F3 = u"F3"_s, F8 = u"F8"_s;
constexpr int Memo1 = 0, Edit1 = 1, Edit3 = 2;
constexpr int WarningBox = 48; // exclamation icon, OK button

// The destination box never has list entries, so no stored index selects one; the text
// typed into the box stays as it is.
void selectDestinationItem(QComboBox *box, int index)
{
    if (index >= 0 && index < box->count())
        box->setCurrentIndex(index);
}
} // namespace

void TForm1::connectSettings()
{
    connect(ui->N2, &QAction::triggered, this, guard([this] { N2Click(); }));
}

// A settings file that could not be read was kept aside; the window starts from defaults.
void TForm1::reportSettingsFileProblem(const SettingsStore &store)
{
    if (!store.fileProblem().isEmpty())
        m_services.dialogs.messageBox(this, store.fileProblem(), applicationTitle(), WarningBox);
}

// Each value is applied as soon as it is read, so an error leaves the later ones as they
// were. The window already stands at its centred place, which is the default position.
void TForm1::loadWindowSettings(SettingsStore &store)
{
    const QPoint centred = pos();
    move(store.readInteger(F1, u"X"_s, centred.x()), y());
    move(x(), store.readInteger(F1, u"Y"_s, centred.y()));
    selectFontSizeItem(store.readInteger(F1, u"CB"_s, 0));
    selectDestinationItem(ui->ComboBox3, store.readInteger(F1, u"CB3"_s, 0));
    ui->Edit2->setText(store.readText(F1, u"MyName"_s, QString()));
    const QString defaultText = QString::number(Colour::WindowText);
    for (const int field : {Memo1, Edit1, Edit3})
        setTextColour(field, textToColour(store.readText(F1, u"FC"_s, defaultText)));
    const QString defaultBackground = QString::number(Colour::Window);
    for (const int field : {Memo1, Edit1, Edit3})
        setBackgroundColour(field, textToColour(store.readText(F1, u"BK"_s, defaultBackground)));
    setMemo1FontSize(store.readInteger(F1, u"F"_s, 9));
    Live.NotifyOnReceipt = store.readFlag(F3, u"CK"_s, true);
    Live.SendOwnIp = store.readFlag(F3, u"CK2"_s, false);
    Live.ShowAfterNotice = store.readFlag(F3, u"CK3"_s, false);
    Live.StartInTray = store.readFlag(F3, u"CK4"_s, false);
    Live.PasswordOnPopup = store.readFlag(F3, u"CK5"_s, false);
    Live.WarnNoMac = store.readFlag(F3, u"CK6"_s, false);
}

void TForm1::loadServerSettings(SettingsStore &store)
{
    Live.ServerHost = store.readText(F8, u"HOST"_s, QString());
    Live.ServerLinkEnabled = store.readFlag(F8, u"CB"_s, false);
}

// X and Y are the outer window's top-left corner, as they are applied at start-up; a
// window hidden in the tray keeps the place it had.
void TForm1::saveWindowSettings()
{
    SettingsStore store;
    store.writeInteger(F1, u"X"_s, pos().x());
    store.writeInteger(F1, u"Y"_s, pos().y());
    store.writeInteger(F1, u"CB3"_s, ui->ComboBox3->currentIndex());
    // Written once per field; what stays is Edit3's.
    for (const int field : {Memo1, Edit1, Edit3})
        store.writeText(F1, u"FC"_s, colourToText(m_fieldColours.at(field).text));
    for (const int field : {Memo1, Edit1, Edit3})
        store.writeText(F1, u"BK"_s, colourToText(m_fieldColours.at(field).background));
    store.writeInteger(F1, u"CB"_s, ui->ComboBox1->currentIndex());
    store.writeInteger(F1, u"F"_s, m_memo1FontSize);
    store.close();
}

// Reloads what the dialogs may have stored since start-up. Not the window's place, the
// display values or the start-in-tray flag; no announcement and no MAC warning.
void TForm1::N2Click()
{
    if (m_services.dialogs.messageBox(this, u"アプリケーションの設定を更新しますか？"_s,
                                      applicationTitle(), Dialogs::YesNoQuestion)
        != Dialogs::Yes)
        return;
    SettingsStore store;
    selectDestinationItem(ui->ComboBox3, store.readInteger(F1, u"CB3"_s, 0));
    ui->Edit2->setText(store.readText(F1, u"MyName"_s, QString()));
    Live.NotifyOnReceipt = store.readFlag(F3, u"CK"_s, true);
    Live.SendOwnIp = store.readFlag(F3, u"CK2"_s, false);
    Live.ShowAfterNotice = store.readFlag(F3, u"CK3"_s, false);
    Live.PasswordOnPopup = store.readFlag(F3, u"CK5"_s, false);
    Live.WarnNoMac = store.readFlag(F3, u"CK6"_s, true);
    loadServerSettings(store);
    store.close();
}
