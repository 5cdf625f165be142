// Display preferences: the text and background colours shared by Memo1, Edit1 and Edit3,
// the font size of the conversation pane, the factory colours and clearing the pane.
// They reach the settings only through the start-up load and the close-time save.

#include "app/tform1.h"

#include "platform/dialogs.h"
#include "ui_tform1.h"

#include <QSignalBlocker>

using namespace Qt::StringLiterals;

namespace {
constexpr int FieldCount = 3;
// Larger sizes are kept and written back, but the pane stays at its last size.
constexpr int LargestShownSize = 1000;
} // namespace

void TForm1::connectDisplay()
{
    connect(ui->F1, &QAction::triggered, this, guard([this] { F1Click(); }));
    connect(ui->B1, &QAction::triggered, this, guard([this] { B1Click(); }));
    connect(ui->D1, &QAction::triggered, this, guard([this] { D1Click(); }));
    connect(ui->Button3, &QPushButton::clicked, this, guard([this] { Button3Click(); }));
    // Programmatic selections block the signal: only the user's choice changes the size.
    connect(ui->ComboBox1, &QComboBox::currentIndexChanged, this,
            guard([this] { ComboBox1Change(); }));
}

QWidget *TForm1::colouredField(int field) const
{
    QWidget *const fields[FieldCount] = {ui->Memo1, ui->Edit1, ui->Edit3};
    return fields[field];
}

void TForm1::setTextColour(int field, int colour)
{
    m_fieldColours.at(field).text = colour;
    showFieldColours(colouredField(field), m_fieldColours.at(field));
}

void TForm1::setBackgroundColour(int field, int colour)
{
    m_fieldColours.at(field).background = colour;
    showFieldColours(colouredField(field), m_fieldColours.at(field));
}

// The size is kept as given and written back unchanged; the pane shows it when a font
// can have it.
void TForm1::setMemo1FontSize(int points)
{
    m_memo1FontSize = points;
    if (points <= 0 || points > LargestShownSize)
        return;
    QFont font = ui->Memo1->font();
    font.setPointSize(points);
    ui->Memo1->setFont(font);
}

// Only the list's position: the size comes from its own value.
void TForm1::selectFontSizeItem(int index)
{
    const QSignalBlocker quiet(ui->ComboBox1);
    ui->ComboBox1->setCurrentIndex(index >= 0 && index < ui->ComboBox1->count() ? index : -1);
}

// The picker opens on the colour last confirmed in it, for either command.
std::optional<int> TForm1::pickColour()
{
    const std::optional<QColor> chosen = m_services.dialogs.chooseColor(this, m_colorDialog1);
    if (!chosen)
        return std::nullopt;
    m_colorDialog1 = *chosen;
    return colourValue(*chosen);
}

void TForm1::F1Click()
{
    if (const std::optional<int> colour = pickColour())
        for (int field = 0; field < FieldCount; ++field)
            setTextColour(field, *colour);
}

void TForm1::B1Click()
{
    if (const std::optional<int> colour = pickColour())
        for (int field = 0; field < FieldCount; ++field)
            setBackgroundColour(field, *colour);
}

void TForm1::ComboBox1Change()
{
    bool ok = false;
    const int points = ui->ComboBox1->currentText().toInt(&ok);
    if (ok)
        setMemo1FontSize(points);
}

void TForm1::Button3Click()
{
    ui->Memo1->clear();
}

// The colours only: the font size, the list and everything else stay.
void TForm1::D1Click()
{
    if (m_services.dialogs.messageBox(this, u"アプリケーションの設定を出荷時状態に戻しますか？"_s,
                                      u"Mirevo For Windows LOAD DEFAULT!!"_s,
                                      Dialogs::YesNoQuestion)
        != Dialogs::Yes)
        return;
    for (int field = 0; field < FieldCount; ++field) {
        setTextColour(field, Colour::WindowText);
        setBackgroundColour(field, Colour::Window);
    }
}
