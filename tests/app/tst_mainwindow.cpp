// The main window as it opens: controls, places, captions, hints, states, tab order,
// menus and fonts, read from the running window.

#include "app/entry.h"
#include "formfixture.h"

#include <QFontInfo>
#include <QMenuBar>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Labels size themselves to their text: only their place is fixed.
constexpr int AutoSize = -1;

QString captionOf(QWidget *widget)
{
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    return {};
}

int readOnlyOf(QWidget *widget)
{
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        return edit->isReadOnly();
    if (auto *memo = qobject_cast<QPlainTextEdit *>(widget))
        return memo->isReadOnly();
    return -1;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        isolateUserFiles();
        installFontSubstitutes();
    }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QRect>("place");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("tabStop");
        QTest::addColumn<int>("readOnly"); // -1: not an edit

        auto row = [](const char *name, const char *kind, QRect place, const QString &caption,
                      const QString &hint = {}, bool enabled = true, bool tabStop = false, int readOnly = -1) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(kind) << place
                                << caption << hint << enabled << tabStop << readOnly;
        };
        const char *label = "QLabel", *edit = "QLineEdit", *button = "QPushButton";
        auto at = [](int x, int y) { return QRect(x, y, AutoSize, AutoSize); };

        row("Panel1", "QFrame", {0, 0, 688, 33}, {});
        row("Button7", button, {608, 5, 75, 25}, u"終了"_s, {}, true, true);
        row("Button4", button, {456, 5, 137, 25}, u"タスクトレイに常駐"_s, {}, true, true);
        row("Label2", label, at(16, 56), u"自分の名前"_s);
        row("Edit2", edit, {16, 72, 121, 20}, {}, u"自分の好きな名前を指定できます"_s, true, true, 0);
        row("Label10", label, at(328, 56), u"相手の名前"_s);
        row("Edit8", edit, {328, 72, 121, 20}, {}, {}, true, true, 1);
        row("Label3", label, at(456, 56), u"相手先ホスト名"_s);
        row("ComboBox3", "QComboBox", {456, 72, 161, 20}, {}, u"IPアドレスを指定してもいいです"_s, true, true);
        row("Button6", button, {624, 67, 49, 25}, u"宛先"_s, {}, true, true);
        row("Label12", label, at(16, 116), u"最終メッセージのIPアドレスは"_s);
        row("Edit3", edit, {208, 112, 121, 20}, {}, {}, true, true, 1);
        row("Label11", label, at(336, 116), u"です"_s);
        row("Memo1", "QPlainTextEdit", {16, 136, 465, 297}, {}, u"ここにメッセージのやり取りが表示されます"_s, true, false, 1);
        row("Label1", label, at(16, 444), u"ﾒｯｾｰｼﾞ"_s);
        row("Edit1", edit, {64, 440, 417, 20}, {}, u"相手に送りたいメッセージを入力します"_s, true, true, 0);
        row("Button1", button, {488, 440, 75, 20}, u"送信"_s, {}, false, true);
        row("Button2", button, {582, 440, 75, 20}, u"ﾒｯｾｰｼﾞ消去"_s, {}, false, false);
        row("Bevel1", "QFrame", {488, 120, 193, 209}, {});
        row("Label8", label, at(496, 104), u"Network Config"_s);
        row("Button8", button, {624, 128, 49, 25}, u"取得"_s, {}, true, true);
        row("Label4", label, at(496, 136), u"Mac Address"_s);
        row("Edit4", edit, {496, 159, 177, 20}, {}, {}, true, false, 1);
        row("Label5", label, at(496, 182), u"ユーザー名"_s);
        row("Edit5", edit, {496, 205, 177, 20}, {}, {}, true, false, 1);
        row("Label6", label, at(496, 227), u"IP Address"_s);
        row("Edit6", edit, {496, 250, 177, 20}, {}, {}, true, false, 1);
        row("Label7", label, at(496, 273), u"コンピュータ名"_s);
        row("Edit7", edit, {496, 296, 177, 20}, {}, {}, true, false, 1);
        row("Button3", button, {488, 352, 75, 20}, u"画面消去"_s, {}, true, false);
        row("Label9", label, at(576, 336), u"文字サイズ"_s);
        row("ComboBox1", "QComboBox", {576, 352, 49, 20}, {}, {}, true, false);
        row("Button5", button, {488, 400, 169, 25}, u"参加ユーザー取得"_s, {}, true, true);
        row("StatusBar1", "QStatusBar", {0, 471, 688, 26}, {});
    }

    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        FormFixture f;
        QWidget *control = f.form->findChild<QWidget *>(name);
        QVERIFY2(control, qPrintable(name));
        QTEST(QString::fromLatin1(control->metaObject()->className()), "kind");
        // Places are in the client area; Button7 sits in Panel1 at Panel1's origin.
        const QPoint origin = control->mapTo(f.ui().ClientArea, QPoint(0, 0));
        QCOMPARE(origin, place.topLeft());
        if (place.width() != AutoSize)
            QCOMPARE(control->size(), place.size());
        QTEST(captionOf(control), "caption");
        QTEST(control->toolTip(), "hint");
        QTEST(control->isEnabled(), "enabled");
        QTEST(bool(control->focusPolicy() & Qt::TabFocus), "tabStop");
        QTEST(readOnlyOf(control), "readOnly");
        // Nothing is clipped: every label and button has room for its caption.
        if (place.width() == AutoSize || qobject_cast<QPushButton *>(control))
            QVERIFY(control->fontMetrics().horizontalAdvance(captionOf(control)) <= control->width());
    }

    void tabOrder_data()
    {
        QTest::addColumn<bool>("button1Enabled");
        QTest::addColumn<QStringList>("order");
        const QStringList all = {u"ComboBox3"_s, u"Edit1"_s, u"Button1"_s, u"Edit2"_s, u"Button4"_s, u"Button7"_s,
                                 u"Edit3"_s, u"Button6"_s, u"Edit8"_s, u"Button5"_s, u"Button8"_s, u"ComboBox3"_s};
        QStringList withoutButton1 = all;
        withoutButton1.removeAll(u"Button1"_s);
        QTest::newRow("Button1 enabled") << true << all;
        QTest::newRow("Button1 disabled") << false << withoutButton1;
    }

    void tabOrder()
    {
        QFETCH(bool, button1Enabled);
        QFETCH(QStringList, order);
        FormFixture f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        f.ui().Button1->setEnabled(button1Enabled);
        f.ui().ComboBox3->setFocus();
        auto focusName = [] {
            QWidget *focus = QApplication::focusWidget();
            if (focus && qobject_cast<QComboBox *>(focus->parentWidget()))
                focus = focus->parentWidget();
            return focus ? focus->objectName() : QString();
        };
        QStringList visited = {focusName()};
        for (qsizetype i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.append(focusName());
        }
        QCOMPARE(visited, order);
    }

    void window()
    {
        FormFixture f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        QCOMPARE(f.form->objectName(), u"Form1"_s);
        QCOMPARE(f.form->windowTitle(), u"Mirevo For Windows クライアント"_s);
        QCOMPARE(f.ui().ClientArea->size(), QSize(688, 497));
        QCOMPARE(f.ui().ClientArea->pos().y(), f.ui().MainMenu1->height());
        QCOMPARE(f.form->minimumSize(), f.form->maximumSize());
        const Qt::WindowFlags flags = f.form->windowFlags();
        QVERIFY(!(flags & (Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(flags & Qt::WindowSystemMenuHint);

        QCOMPARE(f.ui().StatusBar1->currentMessage(), QString());
        QVERIFY(!f.ui().StatusBar1->isSizeGripEnabled());
        QVERIFY(!f.form->Timer1->isActive());
        QCOMPARE(f.form->Timer1->interval(), 1000);

        QVERIFY(f.ui().ComboBox3->isEditable());
        QCOMPARE(f.ui().ComboBox3->count(), 0);
        QCOMPARE(f.ui().ComboBox3->maxVisibleItems(), 5);
        QVERIFY(!f.ui().ComboBox3->lineEdit()->testAttribute(Qt::WA_InputMethodEnabled));
        QVERIFY(!f.ui().ComboBox1->isEditable());
        QStringList sizes;
        for (int i = 0; i < f.ui().ComboBox1->count(); ++i)
            sizes.append(f.ui().ComboBox1->itemText(i));
        QCOMPARE(sizes, (QStringList{u"9"_s, u"10"_s, u"11"_s, u"12"_s, u"13"_s, u"14"_s, u"15"_s}));
        QCOMPARE(f.ui().Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(f.ui().Memo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QVERIFY(f.ui().Button1->isDefault());
    }

    void fonts()
    {
        FormFixture f;
        QCOMPARE(f.form->font().family(), u"ＭＳ Ｐゴシック"_s);
        QCOMPARE(f.form->font().pointSize(), 9);
        const QStringList japanese = {u"IPAPGothic"_s, u"Noto Sans CJK JP"_s};
        QVERIFY2(japanese.contains(QFontInfo(f.ui().Label2->font()).family()),
                 qPrintable(QFontInfo(f.ui().Label2->font()).family()));
        for (QWidget *bold : {static_cast<QWidget *>(f.ui().Label12), static_cast<QWidget *>(f.ui().Label11),
                              static_cast<QWidget *>(f.ui().Label8)}) {
            QVERIFY(bold->font().bold());
            QCOMPARE(bold->font().pointSize(), 10);
            QCOMPARE(bold->font().family(), u"ＭＳ Ｐゴシック"_s);
        }
        QVERIFY(f.ui().Button4->font().bold());
        QCOMPARE(f.ui().Button4->font().pointSize(), 9);
        QCOMPARE(f.ui().Edit3->palette().color(QPalette::Text), QColor(Qt::black));
    }

    void menus_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("MainM1") << u"MainM1"_s << u"メインメニュー(&M)"_s << QStringList{u"S1"_s, u"K1"_s, u"Exit1"_s}
                                << QStringList{u"スタートアップ(&S)"_s, u"高速シャットダウン(&K)"_s, u"終了(&C)"_s};
        QTest::newRow("N3") << u"N3"_s << u"ホスト設定(&H)"_s << QStringList{u"S2"_s} << QStringList{u"設定(&S)"_s};
        QTest::newRow("SettingS1") << u"SettingS1"_s << u"詳細設定(&S)"_s
                                   << QStringList{u"F1"_s, u"B1"_s, u"P2"_s, u"N2"_s, u"D1"_s}
                                   << QStringList{u"文字色(&F)"_s, u"背景色(&B)"_s, u"プリファレンス(&P)"_s,
                                                  u"最新の設定に更新(&N)"_s, u"出荷時の設定に戻す(&D)"_s};
        QTest::newRow("A1") << u"A1"_s << u"アドレス帳(&A)"_s << QStringList{u"Post1"_s, u"N1"_s}
                            << QStringList{u"開く(&O)"_s, u"ユーザー登録(&U)"_s};
        QTest::newRow("HelpH1") << u"HelpH1"_s << u"情報(&I)"_s << QStringList{u"About1"_s}
                                << QStringList{u"バージョン情報(&V)"_s};
        QTest::newRow("PopupMenu1") << u"PopupMenu1"_s << QString() << QStringList{u"O1"_s, u"Exit2"_s}
                                    << QStringList{u"デスクトップに表示(&O)"_s, u"終了(&C)"_s};
    }

    void menus()
    {
        QFETCH(QString, menu);
        FormFixture f;
        auto *found = f.form->findChild<QMenu *>(menu);
        QVERIFY(found);
        QTEST(found->title(), "title");
        QStringList items, captions;
        for (QAction *action : found->actions()) {
            items.append(action->objectName());
            captions.append(action->text());
            QVERIFY(action->shortcut().isEmpty());
        }
        QTEST(items, "items");
        QTEST(captions, "captions");
    }

    void menuBarOrder()
    {
        FormFixture f;
        QStringList menus;
        for (QAction *action : f.ui().MainMenu1->actions())
            menus.append(action->menu()->objectName());
        QCOMPARE(menus, (QStringList{u"MainM1"_s, u"N3"_s, u"SettingS1"_s, u"A1"_s, u"HelpH1"_s}));
        QCOMPARE(f.form->menuBar(), f.ui().MainMenu1);
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
