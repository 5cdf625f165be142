#include "app/entry.h"

#include "app/apptitle.h"
#include "app/hold.h"
#include "app/sessionend.h"
#include "app/systemtrayicon.h"
#include "app/tform1.h"
#include "platform/desktopdialogs.h"
#include "platform/linuxosqueries.h"
#include "platform/openfilelimit.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>
#include <exception>

using namespace Qt::StringLiterals;

std::optional<int> refuseSecondCopy(SingleInstance::Result instance, Dialogs &dialogs)
{
    switch (instance) {
    case SingleInstance::Result::Acquired:
        return std::nullopt;
    case SingleInstance::Result::AlreadyRunning:
        dialogs.showMessage(nullptr, u"同じプログラムが起動しています"_s);
        return 255;
    case SingleInstance::Result::Failed:
        break;
    }
    return 255;
}

void installFontSubstitutes()
{
    QFont::insertSubstitutions(u"ＭＳ Ｐゴシック"_s, {u"IPAPGothic"_s, u"Noto Sans CJK JP"_s});
}

int runClient(int argc, char **argv)
{
    // The marker is held until the process ends.
    SingleInstance instance;
    QApplication app(argc, argv);
    raiseOpenFileLimit();
    {
        // Before the title is set: the notice is captioned with the program's name.
        DesktopDialogs early(QCoreApplication::applicationName());
        if (const auto status = refuseSecondCopy(instance.acquire(), early))
            return *status;
    }
    installFontSubstitutes();
    // Qt's own texts (the colour picker, the edit boxes' context menu) in the language of
    // the rest of the program; without the translation files they stay in English.
    QTranslator qtTexts;
    if (qtTexts.load(u"qtbase_ja"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    // The picture of the window, the tray icon and the desktop entry "mirevo.desktop".
    QApplication::setWindowIcon(SystemTrayIcon::pictureIcon(TrayIcon::Picture::Application));
    QGuiApplication::setDesktopFileName(u"mirevo"_s);
    QApplication::setFont(QFont(u"ＭＳ Ｐゴシック"_s, 9));
    // The close sequence decides when the program ends, not the last window to close
    // (the window may be hidden in the tray while a notice closes).
    QApplication::setQuitOnLastWindowClosed(false);

    // Watched from before the window is made: a session end during start-up waits in the
    // watcher and closes the window once the event loop runs. A box shown while the window
    // is being made runs events, so a request that arrives then is remembered here.
    SessionEndWatcher sessionEnd;
    bool endRequestedDuringStartUp = false;
    const QMetaObject::Connection startUpWatch = QObject::connect(
            &sessionEnd, &SessionEndWatcher::endRequested,
            [&endRequestedDuringStartUp] { endRequestedDuringStartUp = true; });
    DesktopDialogs dialogs(applicationTitle());
    try {
        SleepingHold hold;
        SystemTrayIcon tray;
        LinuxOsQueries os;
        TForm1 window(FormServices{dialogs, hold, tray, os});
        Form1 = &window;
        QObject::connect(&window, &TForm1::mainWindowClosed, &app, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        QObject::disconnect(startUpWatch);
        QObject::connect(&sessionEnd, &SessionEndWatcher::endRequested, &window,
                         &TForm1::queueClose);
        if (endRequestedDuringStartUp)
            window.queueClose();
        window.show();
        QApplication::exec();
        Form1 = nullptr;
    } catch (const std::exception &error) {
        dialogs.showError(nullptr, QString::fromUtf8(error.what()));
    }
    return 0;
}
