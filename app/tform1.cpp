#include "app/tform1.h"

#include "platform/dialogs.h"
#include "ui_tform1.h"

#include <QKeyEvent>
#include <QLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>

using namespace Qt::StringLiterals;

TForm1 *Form1 = nullptr;

TForm1::TForm1(FormServices services, NetworkOptions network, QWidget *parent)
    : QMainWindow(parent),
      ui(new Ui::TForm1),
      NMMsg1(new TNMMsg(network.timeouts, this)),
      NMMSGServ1(new TNMMSGServ(network.limits, this)),
      PopupMenu1(new QMenu(this)),
      Timer1(new QTimer(this)),
      m_services(std::move(services)),
      guard(m_services.dialogs, this)
{
    ui->setupUi(this);
    // A fixed border with the system menu only: no close, minimise or maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    // Labels take the size of their text, as the designer's auto-sized labels do.
    for (QLabel *label : ui->ClientArea->findChildren<QLabel *>())
        label->resize(label->sizeHint());
    QPalette edit3Colours = ui->Edit3->palette();
    edit3Colours.setColor(QPalette::Text, Qt::black);
    ui->Edit3->setPalette(edit3Colours);
    // Host names and addresses only: no input method on the destination.
    ui->ComboBox3->setAttribute(Qt::WA_InputMethodEnabled, false);
    ui->ComboBox3->lineEdit()->setAttribute(Qt::WA_InputMethodEnabled, false);
    ui->ComboBox3->setInputMethodHints(Qt::ImhLatinOnly);
    ui->ComboBox3->lineEdit()->setInputMethodHints(Qt::ImhLatinOnly);
    // The sunken frame is decoration: clicks inside it reach the window's background.
    ui->Bevel1->setAttribute(Qt::WA_TransparentForMouseEvents);

    PopupMenu1->setObjectName(u"PopupMenu1"_s);
    PopupMenu1->addAction(ui->O1);
    PopupMenu1->addAction(ui->Exit2);
    Timer1->setObjectName(u"Timer1"_s);
    Timer1->setInterval(1000);

    NMMsg1->setObjectName(u"NMMsg1"_s);
    NMMsg1->Port = network.sendPort;
    NMMSGServ1->setObjectName(u"NMMSGServ1"_s);
    connectControls();
    connectMenus();
    connectTray();
    connectDialogs();
    connectSettings();
    connectIdentity();
    connectPresence();
    connectDisplay();
    // The listener starts with the window's components, before the creation handler.
    if (network.listen)
        startListener(network);

    guard.run([this] { FormCreate(); });

    // Nothing is received while another program holds the port: say so once.
    if (!m_listenProblem.isEmpty())
        m_services.dialogs.showMessage(this, m_listenProblem);
}

TForm1::~TForm1()
{
    if (Form1 == this)
        Form1 = nullptr;
    delete ui;
}

void TForm1::startListener(const NetworkOptions &network)
{
    NMMSGServ1->Port = network.listenPort;
    if (!NMMSGServ1->listen(network.listenAddress))
        m_listenProblem = u"ポート %1 でメッセージを待ち受けできません（%2）。このままではメッセージを受け取れません。"_s
                              .arg(network.listenPort)
                              .arg(NMMSGServ1->errorString());
}

void TForm1::connectControls()
{
    connect(ui->Button1, &QPushButton::clicked, this, guard([this] { Button1Click(); }));
    connect(ui->Button2, &QPushButton::clicked, this, guard([this] { Button2Click(); }));
    connect(ui->Button7, &QPushButton::clicked, this, guard([this] { Button7Click(); }));
    connect(ui->Edit1, &QLineEdit::textChanged, this, guard([this] { Edit1Change(); }));
    connect(ui->ComboBox3, &QComboBox::editTextChanged, this, guard([this] { Edit1Change(); }));
    for (QObject *clickable : {static_cast<QObject *>(ui->Edit1), static_cast<QObject *>(ui->Edit2),
                               static_cast<QObject *>(ui->ComboBox3),
                               static_cast<QObject *>(ui->ComboBox3->lineEdit()),
                               static_cast<QObject *>(ui->ClientArea)})
        clickable->installEventFilter(this);

    // The client raises its events inside PostIt, on this thread.
    connect(NMMsg1, &TNMMsg::OnHostResolved, this, guard([this] { NMMsg1HostResolved(); }));
    connect(NMMsg1, &TNMMsg::OnConnect, this, guard([this] { NMMsg1Connect(); }));
    connect(NMMsg1, &TNMMsg::OnDisconnect, this, guard([this] { NMMsg1Discnnect(); }));
    connect(NMMsg1, &TNMMsg::OnConnectionFailed, this, guard([this] { NMMsg1ConnectionFailed(); }));
    connect(NMMsg1, &TNMMsg::OnInvalidHost, this,
            guard([this](bool &handled) { NMMsg1InvalidHost(handled); }), Qt::DirectConnection);
    // The listener hands each message to this thread, one at a time in arrival order.
    connect(NMMSGServ1, &TNMMSGServ::OnMSG, this,
            guard([this](const QString &from, const QString &text) { NMMSGServ1MSG(from, text); }));

    // Button3 (clear), ComboBox1 (text size), Button4 (tray), Button5 (participants),
    // Button6 (address book), Button8 (network identity) and Timer1 are connected by the
    // files of their own concerns.
}

void TForm1::connectMenus()
{
    connect(ui->K1, &QAction::triggered, this, guard([this] { K1Click(); }));
    connect(ui->Exit1, &QAction::triggered, this, guard([this] { Button7Click(); }));
    connect(ui->About1, &QAction::triggered, this, guard([this] { About1Click(); }));
    connect(ui->Exit2, &QAction::triggered, this, guard([this] { Exit2Click(); }));
    // S1, S2, P2, N1, Post1 (dialogs), F1, B1, D1 (display), N2 (settings reload) and O1
    // (tray) are connected by the files of their own concerns.
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == ui->ClientArea) {
            // Only the bare background: a press that a label or a disabled control let
            // through to its parent is not a click on the window.
            const auto *press = static_cast<QMouseEvent *>(event);
            if (!ui->ClientArea->childAt(press->position().toPoint()))
                guard.run([this] { FormClick(); });
        } else {
            guard.run([this] { Edit1Click(); });
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::keyPressEvent(QKeyEvent *event)
{
    // Enter that no control took presses the default button, but only while it is enabled.
    // A focused button takes Enter itself; the conversation pane keeps it.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (enter && plain && focusWidget() != ui->Memo1) {
        if (ui->Button1->isEnabled())
            ui->Button1->click();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}
