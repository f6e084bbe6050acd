// Pictures of every page of the main window in every theme, for reviewing the look:
//   app_screenshots OUTDIR [THEME...]
// Runs on any display (xvfb-run is enough); the window talks to an in-memory port.
#include "fakeserialport.h"
#include "form1.h"
#include "messages.h"
#include "themes.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvik"));
    const QStringList args = QApplication::arguments().mid(1);
    if (args.isEmpty()) return 2;
    const QDir out(args.first());
    const QStringList themes = args.size() > 1 ? args.mid(1) : tarvik::ThemeNames();

    QTemporaryDir dir;
    tarvik::FakeSerialPort port;
    tarvik::RecordingMessages messages;
    tarvik::TForm1 form(port, messages, dir.filePath(QStringLiteral("Tarvik.ini")));
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) return 1;
    for (const QString& theme : themes) {
        form.ChangeSkin(theme);
        for (int page = 0; page < form.PageControl1->count(); ++page) {
            if (!form.PageControl1->isTabVisible(page)) continue;
            form.PageControl1->setCurrentIndex(page);
            QTest::qWait(50);
            QString name = theme;
            name.remove(QStringLiteral(" (internal)")).replace(QLatin1Char(' '), QLatin1Char('_'));
            form.grab().save(out.filePath(QStringLiteral("%1-%2.png").arg(name).arg(page)));
        }
    }
    // The theme list opened in the banner.
    form.PageControl1->setCurrentIndex(0);
    form.sBitBtn1Click();
    QTest::qWait(50);
    form.grab().save(out.filePath(QStringLiteral("theme-list.png")));
    return 0;
}
