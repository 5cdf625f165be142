#pragma once
// A main window with fake dialogs and tray, a pause that does not wait and a recorded terminator.
// The status line's texts are recorded as they change.

#include "app/hold.h"
#include "app/tform1.h"
#include "support/settingsfixture.h"
#include "support/fakedialogs.h"
#include "support/fakeosqueries.h"
#include "support/faketray.h"
#include "ui_tform1.h"

#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QStringList>
#include <functional>
#include <memory>

struct RecordingHold : Hold {
    QList<std::chrono::milliseconds> holds;
    std::function<void()> during; // runs in place of the pause
    void hold(std::chrono::milliseconds duration) override
    {
        holds.append(duration);
        if (during)
            during();
    }
};

// Points the per-user settings and runtime directories of this test process at a
// directory of its own, so that windows never read or write the user's real files.
inline void isolateUserFiles()
{
    static QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
}

inline NetworkOptions noListener()
{
    NetworkOptions network;
    network.listen = false;
    return network;
}

// Every window of a test program keeps its settings in one private folder, so that no
// test reads or writes the user's own file; tests that need a stored value prepare it.
inline SettingsFixture &settingsHome()
{
    static SettingsFixture home;
    return home;
}

struct FormFixture {
    FakeDialogs dialogs;
    RecordingHold hold;
    FakeTray tray;
    FakeOsQueries os;
    QList<int> terminations;
    QStringList statuses;
    std::unique_ptr<TForm1> form;

    // beforeCreate sets up the fakes that the window's creation already uses.
    explicit FormFixture(NetworkOptions network = noListener(),
                         const std::function<void(FormFixture &)> &beforeCreate = {})
    {
        settingsHome();
        if (beforeCreate)
            beforeCreate(*this);
        form = std::make_unique<TForm1>(
            FormServices{dialogs, hold, tray, os,
                         [this](int status) { terminations.append(status); }},
            network);
        QObject::connect(form->ui->StatusBar1, &QStatusBar::messageChanged, form.get(),
                         [this](const QString &text) { statuses.append(text); });
    }
    Ui::TForm1 &ui() const { return *form->ui; }
    // Closes through the tray menu's "終了", which asks nothing; true when the window closed.
    bool closeWindow() const
    {
        QSignalSpy closed(form.get(), &TForm1::mainWindowClosed);
        form->ui->Exit2->trigger();
        return closed.size() == 1;
    }
    QString status() const { return form->ui->StatusBar1->currentMessage(); }
    QStringList memoLines() const
    {
        const QString text = form->ui->Memo1->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }
};
