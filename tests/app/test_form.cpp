// The main window as a frame: start without settings, the pages and hidden tabs, the timers,
// the themes and the end of the program while the link is busy.
#include "appfixture.h"

#include "form2.h"
#include "infochanpage.h"
#include "measurepage.h"
#include "settingspage.h"
#include "themes.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

namespace tarvik {

namespace {

// WCAG contrast ratio of two colours.
double contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

class FormTest : public QObject {
    Q_OBJECT
    std::unique_ptr<AppFixture> f;

private slots:
    void init() { f = std::make_unique<AppFixture>(); }
    void cleanup() {
        f.reset();
        ApplyTheme(DefaultThemeName);
    }

    void startsWithoutSettingsFile() {
        TForm1& form = f->start();
        QCOMPARE(f->messages.texts(), QStringList());
        QCOMPARE(form.currentSkin(), QStringLiteral("Neutral (internal)"));
        QCOMPARE(f->port.portNumber(), 1);
        QCOMPARE(f->port.baudRate(), 9600);
        QCOMPARE(f->port.parity(), SerialPort::Parity::None);
        QCOMPARE(f->port.dataBits(), 8);
        QCOMPARE(f->port.stopBits(), 1);
        QCOMPARE(f->portComboTexts(), QStringList(5, QStringLiteral("Comm1")));
        QCOMPARE(f->baudComboTexts(), QStringList(3, QStringLiteral("9600")));
        QCOMPARE(f->logicalNumbers(), QStringList(3, QStringLiteral("1")));
        QCOMPARE(form.PageControl1->currentIndex(), 0);
        QCOMPARE(form.link().RequestCount, 0);
        QCOMPARE(form.link().NoAnswerCount, 0);
        QCOMPARE(form.link().CrcErrorCount, 0);
        QVERIFY(!form.link().InfoChanMode);
        QVERIFY(!form.measurePage()->AutoPolling);
        QVERIFY(form.StatusBarPanel1->text().isEmpty());
        // The start writes nothing.
        QVERIFY(!QFile::exists(f->iniPath));
    }

    void frameAndPages() {
        TForm1& form = f->start();
        QCOMPARE(form.windowTitle(), QStringLiteral("Tarvik v5.01"));
        QCOMPARE(form.size(), QSize(846, 630));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QCOMPARE(form.sPanel3->height(), 28);
        QCOMPARE(form.sLabelFX1->text(), QStringLiteral("Вельдар"));
        QCOMPARE(form.sBitBtn1->text(), QStringLiteral("Скины"));
        QCOMPARE(form.BitBtnExit->text(), QStringLiteral("Выход"));
        QCOMPARE(form.sComboBoxSkin->count(), 15);
        QCOMPARE(form.sComboBoxSkin->itemText(0), QStringLiteral("Aluminium (internal)"));
        QCOMPARE(form.sComboBoxSkin->itemText(14), QStringLiteral("Wood (internal)"));
        QVERIFY(form.sComboBoxSkin->isHidden());
        QVERIFY(form.sProgressBarSchKp->isHidden());
        QCOMPARE(form.sProgressBarSchKp->maximum(), 100);

        const QStringList names{"TS_Tarvik", "TStuning", "TS_ExtDev", "sTabSheet4", "sTabSheet8"};
        const QStringList captions{"Измеряемая информация", "Настройка", "Внешние устройства",
                                   "Информационный канал", "   Энергия   "};
        QCOMPARE(form.PageControl1->count(), 5);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(form.PageControl1->widget(i)->objectName(), names[i]);
            QCOMPARE(form.PageControl1->tabText(i), captions[i]);
            QCOMPARE(form.PageControl1->isTabVisible(i), i != 4);
        }
        QCOMPARE(form.PageControl1->tabBar()->tabRect(0).height(), 40);

        QTabWidget* inner = form.settingsPage()->PageControlSetAllParam;
        QCOMPARE(inner->count(), 5);
        QCOMPARE(inner->indexOf(f->find(QStringLiteral("TSSetTime"))), 4);
        QCOMPARE(inner->tabText(4), QStringLiteral("Прочие настройки"));
        QVERIFY(!inner->isTabVisible(4));
        for (int i = 0; i < 4; ++i)
            QVERIFY(inner->isTabVisible(i));

        QVERIFY(form.form2());
        QVERIFY(form.form2()->isHidden());
        QVERIFY(form.form2()->isWindow());
    }

    void timersAtStart() {
        TForm1& form = f->start();
        struct Expected {
            Timer* timer;
            const char* name;
            int interval;
            bool enabled;
        };
        const Expected timers[] = {
            {&form.link().TimerWaitAnsw(), "TimerWaitAnsw", 3000, false},
            {&form.link().TimerMess(), "TimerMess", 3000, false},
            {&form.measurePage()->TimerAuto(), "TimerAuto", 1000, false},
            {&form.TimerSetAuto(), "TimerSetAuto", 500, false},
            {&form.infoChanPage()->TimerChanInfo(), "TimerChanInfo", 1000, true},
            {&form.TimerClock(), "TimerClock", 1000, true},
            {&form.TimerSaveMaxVal(), "TimerSaveMaxVal", 100, false},
        };
        for (const Expected& e : timers) {
            QCOMPARE(e.timer->objectName(), QLatin1String(e.name));
            QCOMPARE(e.timer->interval(), e.interval);
            QCOMPARE(e.timer->enabled(), e.enabled);
        }
    }

    void themeListToggles() {
        TForm1& form = f->start();
        form.sBitBtn1->click();
        QVERIFY(!form.sComboBoxSkin->isHidden());
        QCOMPARE(form.sComboBoxSkin->currentText(), QStringLiteral("Neutral (internal)"));
        form.sBitBtn1->click();
        QVERIFY(form.sComboBoxSkin->isHidden());
        QVERIFY(!QFile::exists(f->iniPath)); // showing the list changes nothing
    }

    void themeChoicePersists() {
        TForm1& form = f->start();
        form.sBitBtn1->click();
        // The user picks a theme from the list.
        form.sComboBoxSkin->setCurrentText(QStringLiteral("Terminal4bit (internal)"));
        emit form.sComboBoxSkin->activated(form.sComboBoxSkin->currentIndex());
        QVERIFY(form.sComboBoxSkin->isHidden());
        QCOMPARE(form.sBitBtn1->property("Tag").toInt(), 0);
        QCOMPARE(form.currentSkin(), QStringLiteral("Terminal4bit (internal)"));
        QCOMPARE(QApplication::palette().color(QPalette::Window), QColor(Qt::black));
        QVERIFY(f->iniText().contains(QStringLiteral("[Скины]\nSkinName=Terminal4bit (internal)")));

        ApplyTheme(DefaultThemeName);
        TForm1& again = f->start();
        QCOMPARE(again.currentSkin(), QStringLiteral("Terminal4bit (internal)"));
        QCOMPARE(QApplication::palette().color(QPalette::Window), QColor(Qt::black));
        QCOMPARE(f->messages.texts(), QStringList());
        // The list opens on the theme in force; picking that one again just closes it.
        again.sBitBtn1->click();
        QCOMPARE(again.sComboBoxSkin->currentText(), QStringLiteral("Terminal4bit (internal)"));
        emit again.sComboBoxSkin->activated(again.sComboBoxSkin->currentIndex());
        QVERIFY(again.sComboBoxSkin->isHidden());
        QCOMPARE(again.sBitBtn1->property("Tag").toInt(), 0);
        QCOMPARE(again.currentSkin(), QStringLiteral("Terminal4bit (internal)"));
    }

    void emptyThemeNameChangesNothing() {
        TForm1& form = f->start();
        form.ChangeSkin(QStringLiteral("Wood (internal)"));
        const QColor wood = QApplication::palette().color(QPalette::Window);
        const QByteArray stored = f->ini();
        form.ChangeSkin(QString());
        QCOMPARE(f->messages.texts(), QStringList{"Ошибка при изменении внешнего вида"});
        QCOMPARE(form.currentSkin(), QStringLiteral("Wood (internal)"));
        QCOMPARE(QApplication::palette().color(QPalette::Window), wood);
        QCOMPARE(f->ini(), stored);
    }

    void unknownStoredThemeFallsBackToNeutral() {
        f->writeIni("[Скины]\nSkinName=Sunset\n");
        TForm1& form = f->start();
        QCOMPARE(form.currentSkin(), DefaultThemeName);
        QCOMPARE(f->messages.texts(), QStringList());
    }

    // Each theme is a look of its own, and its texts stand out from their backgrounds.
    void themesAreDistinctAndReadable() {
        QSet<QString> looks;
        for (const QString& name : ThemeNames()) {
            QCOMPARE(ApplyTheme(name), name);
            const QPalette p = QApplication::palette();
            const QString look = p.color(QPalette::Window).name() + p.color(QPalette::Base).name() +
                                 p.color(QPalette::Button).name() +
                                 p.color(QPalette::Highlight).name();
            QVERIFY2(!looks.contains(look), qPrintable(name));
            looks.insert(look);
            const struct {
                QPalette::ColorRole fg, bg;
                double least;
            } pairs[] = {{QPalette::WindowText, QPalette::Window, 4.5},
                         // Fusion paints the pages of a tab widget in the button colour.
                         {QPalette::WindowText, QPalette::Button, 4.5},
                         {QPalette::Text, QPalette::Base, 4.5},
                         {QPalette::ButtonText, QPalette::Button, 4.5},
                         {QPalette::HighlightedText, QPalette::Highlight, 3.0}};
            for (const auto& pair : pairs) {
                const double ratio = contrast(p.color(pair.fg), p.color(pair.bg));
                QVERIFY2(ratio >= pair.least,
                         qPrintable(QStringLiteral("%1: role %2 on %3, contrast %4")
                                        .arg(name)
                                        .arg(int(pair.fg))
                                        .arg(int(pair.bg))
                                        .arg(ratio)));
            }
            // Disabled text is still told from enabled text.
            QVERIFY(p.color(QPalette::Disabled, QPalette::Text) !=
                    p.color(QPalette::Active, QPalette::Text));
        }
    }

    // The program ends while a request is outstanding and polling runs: no tick, reply or
    // port event may reach a destroyed page (the sanitizer build checks the rest).
    void closingWhileBusy() {
        TForm1& form = f->start();
        f->find<QCheckBox>(QStringLiteral("CheckBoxAuto"))->setChecked(true);
        form.measurePage()->BitBtnStartClick();
        QVERIFY(form.measurePage()->AutoPolling);
        QVERIFY(form.link().AwaitingReply);
        QVERIFY(!form.BitBtnExit->isEnabled());
        form.TimerSetAuto().setEnabled(true);

        form.close();
        for (Timer* t : {&form.link().TimerWaitAnsw(), &form.link().TimerMess(),
                         &form.measurePage()->TimerAuto(), &form.infoChanPage()->TimerChanInfo(),
                         &form.TimerSetAuto(), &form.TimerClock(), &form.TimerSaveMaxVal()})
            QVERIFY2(!t->ticking(), qPrintable(t->objectName()));

        f->form.reset();
        // The reply arrives after the window is gone.
        f->port.feed(QByteArray(129, '\0'));
        QCoreApplication::processEvents();
    }

    void exitButtonCloses() {
        TForm1& form = f->start();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.BitBtnExit->click();
        QVERIFY(!form.isVisible());
        QVERIFY(!QFile::exists(f->iniPath)); // nothing is saved at the end
    }
};

QObject* MakeFormTest() {
    return new FormTest;
}

} // namespace tarvik

#include "test_form.moc"
