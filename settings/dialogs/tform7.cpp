#include "settings/dialogs/tform7.h"

#include "platform/dialogs.h"
#include "settings/dialogs/dialogform.h"
#include "settings/livesettings.h"
#include "settings/settingsstore.h"
#include "ui_tform7.h"

#include <QEvent>
#include <QGuiApplication>
#include <QImageReader>
#include <QScreen>

QPointer<TForm7> Form7;

TForm7::TForm7(QWidget *owner, Dialogs &dialogs, LiveSettings &live,
               std::function<void()> showMainWindow)
    : QDialog(owner), ui(std::make_unique<Ui::TForm7>()), m_dialogs(dialogs), m_live(live),
      m_showMainWindow(std::move(showMainWindow)), m_guard(dialogs, this)
{
    ui->setupUi(this);
    prepareDialogForm(this, CaptionButtons::None);
    turnInputMethodOff(ui->Edit1);
    loadPicture();
    centreOnDesktop();

    connect(ui->Button1, &QPushButton::clicked, this, m_guard([this](bool) { Button1Click(); }));

    m_guard.run([this] { FormCreate(); });
}

TForm7::~TForm7() = default;

void TForm7::showModal(QWidget *owner, Dialogs &dialogs, LiveSettings &live,
                       std::function<void()> showMainWindow)
{
    Form7 = new TForm7(owner, dialogs, live, std::move(showMainWindow));
    Form7->exec(); // releases the gate once it has closed
}

void TForm7::reject() {}

// The gate asks the window manager for no minimise function, but some (openbox) offer it
// anyway. A minimised gate would be lost: the tray is blocked while it is open, and the
// desktop may have no task bar to bring it back. So it comes straight back.
void TForm7::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        QMetaObject::invokeMethod(this, &QWidget::showNormal, Qt::QueuedConnection);
}

// The prohibition sign; the place stays empty when the picture is not built in.
void TForm7::loadPicture()
{
    QImageReader reader(pictureResource());
    reader.setScaledSize(ui->Image1->size());
    const QImage picture = reader.read();
    if (!picture.isNull())
        ui->Image1->setPixmap(QPixmap::fromImage(picture));
}

// The main window is usually hidden in the tray, so the gate centres on the desktop.
void TForm7::centreOnDesktop()
{
    QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame(QPoint(), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void TForm7::FormCreate()
{
    SettingsStore store;
    m_live.StoredPassword = store.readText(QStringLiteral("F3"), QStringLiteral("ED1"), QString());
    store.close();
}

void TForm7::Button1Click()
{
    m_live.EnteredPassword = ui->Edit1->text();
    if (m_live.StoredPassword != m_live.EnteredPassword) {
        m_dialogs.messageBox(this,
                             QStringLiteral("パスワードが違います、大文字や小文字も確認して下さい。"),
                             QStringLiteral("Mirevo For Windows クライアント"), Dialogs::Stop);
        ui->Edit1->clear();
        return;
    }
    done(QDialog::Accepted);
    if (m_showMainWindow)
        m_showMainWindow();
}
