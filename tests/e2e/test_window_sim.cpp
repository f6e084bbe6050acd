// The whole window, offscreen, on the real serial port against tarvik-sim: the measurement page
// read once and polled, missing replies, and the information channel's stream.
#include "form1.h"
#include "measurepage.h"
#include "modbuslink.h"
#include "portresolver.h"
#include "qtserialport.h"
#include "simprocess.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

using namespace tarvik;

namespace {

const QString NoAnswer = QStringLiteral("  Нет ответа от устройства !");
const QString CrcError = QStringLiteral("  Ошибка контрольной суммы !");

// The simulator, a settings file that maps Comm1 and Comm2 to its terminals, and the window.
struct LiveWindow {
    SimProcess sim;
    QTemporaryDir dir;
    QString iniPath = dir.filePath(QStringLiteral("Tarvik.ini"));
    RecordingMessages messages;
    std::unique_ptr<QtSerialPort> port;
    std::unique_ptr<TForm1> form;
    QStringList statusTexts;

    bool start(const QStringList& options) {
        if (!sim.start(TARVIK_SIM_PATH, options)) return false;
        QFile ini(iniPath);
        if (!ini.open(QIODevice::WriteOnly)) return false;
        ini.write(QStringLiteral("[Соединение]\nПорт = 1\nСкорость = 9600\nПаритет = 0\n\n"
                                 "[Порты]\nComm1 = %1\nComm2 = %2\n")
                      .arg(sim.modbusPath(), sim.infoPath())
                      .toUtf8());
        ini.close();
        port = std::make_unique<QtSerialPort>(
            [path = iniPath](int n) { return ResolvePortDevice(n, path); });
        form = std::make_unique<TForm1>(*port, messages, iniPath);
        QObject::connect(&form->link(), &ModbusLink::statusText,
                         [this](const QString& t) { statusTexts << t; });
        return true;
    }
    ~LiveWindow() {
        form.reset();
        port.reset();
    }

    template <typename T = QWidget> T* find(const char* name) const {
        return form->findChild<T*>(QLatin1String(name));
    }
    QString text(const char* edit) const { return find<QLineEdit>(edit)->text(); }
    ModbusLink& link() const { return form->link(); }

    template <typename F> bool waitFor(F done, int timeoutMs) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < timeoutMs)
            QTest::qWait(20);
        return done();
    }
};

} // namespace

class WindowSimTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void readOnceFillsAllValues() {
        LiveWindow w;
        QVERIFY2(w.start({"--info"}), qPrintable(w.sim.error()));
        auto* start = w.find<QPushButton>("BitBtnStart");
        QCOMPARE(start->text(), QStringLiteral("     Читать"));
        start->click();
        QVERIFY(!start->isEnabled());
        QVERIFY(w.waitFor([&] { return start->isEnabled(); }, 5000));
        QCOMPARE(w.messages.texts(), QStringList());
        QCOMPARE(w.link().CrcErrorCount, quint16(0));
        QCOMPARE(w.link().NoAnswerCount, quint16(0));

        // Currents in four decimals, everything else in three.
        const QRegularExpression three(QStringLiteral("^-?\\d{1,3}(,\\d{3})*\\.\\d{3}$"));
        const QRegularExpression four(QStringLiteral("^-?\\d{1,3}(,\\d{3})*\\.\\d{4}$"));
        for (const auto& v : MeasurePage::MeasuredValues()) {
            const QString t = w.text(v.edit);
            QVERIFY2((v.code == 4 ? four : three).match(t).hasMatch(),
                     qPrintable(QStringLiteral("%1 = '%2'").arg(v.edit, t)));
        }
        QVERIFY2(qAbs(w.text("EditUa").toDouble() - 57.7) < 5, qPrintable(w.text("EditUa")));
        QVERIFY2(qAbs(w.text("EditUab").toDouble() - 100) < 8, qPrintable(w.text("EditUab")));
        QVERIFY2(qAbs(w.text("EditIa").toDouble() - 5) < 1, qPrintable(w.text("EditIa")));
        QVERIFY2(qAbs(w.text("EditFrec").toDouble() - 50) < 1, qPrintable(w.text("EditFrec")));
        QVERIFY(w.statusTexts.contains(QStringLiteral("  Операция завершена успешно")));
    }

    void pollingCountsRequestsWithoutErrors() {
        LiveWindow w;
        QVERIFY2(w.start({}), qPrintable(w.sim.error()));
        w.find<QCheckBox>("CheckBoxAuto")->setChecked(true);
        auto* start = w.find<QPushButton>("BitBtnStart");
        start->click();
        QCOMPARE(start->text(), QStringLiteral("     Стoп"));
        QVERIFY(w.waitFor([&] { return w.link().RequestCount >= 15; }, 10000));
        start->click();
        QVERIFY(w.waitFor([&] { return !w.link().AwaitingReply; }, 5000));
        QCOMPARE(w.link().NoAnswerCount, quint16(0));
        QCOMPARE(w.link().CrcErrorCount, quint16(0));
        QCOMPARE(w.find<QLabel>("StaticTextAllEnquiry")->text(),
                 QString::number(w.link().RequestCount));
        QCOMPARE(w.messages.texts(), QStringList());
    }

    void droppedRepliesAreCountedAsMissing() {
        LiveWindow w;
        QVERIFY2(w.start({"--drop-every", "2"}), qPrintable(w.sim.error()));
        w.find<QCheckBox>("CheckBoxAuto")->setChecked(true);
        auto* start = w.find<QPushButton>("BitBtnStart");
        start->click();
        // Requests 2 and 4 go unanswered and each ends at the 3 s time-out.
        QVERIFY(w.waitFor([&] { return w.link().RequestCount >= 4; }, 15000));
        start->click();
        QVERIFY(w.waitFor([&] { return !w.link().AwaitingReply; }, 5000));
        QCOMPARE(int(w.link().NoAnswerCount), w.link().RequestCount / 2);
        QCOMPARE(w.link().CrcErrorCount, quint16(0));
        QVERIFY(w.statusTexts.contains(NoAnswer));
        QCOMPARE(w.find<QLabel>("StaticTextNoAnsw")->text(),
                 QString::number(w.link().NoAnswerCount));
    }

    void informationChannelShowsTheStream() {
        LiveWindow w;
        QVERIFY2(w.start({"--info"}), qPrintable(w.sim.error()));
        w.form->PageControl1->setCurrentIndex(TForm1::PageInfoChan);
        QVERIFY(w.link().InfoChanMode);
        auto* port4 = w.find<QComboBox>("ComboBoxPort4");
        port4->setCurrentIndex(1); // Comm2: the simulator's second interface
        auto* ua = w.find<QLineEdit>("EditChanUa");
        QVERIFY(w.waitFor([&] { return !ua->text().isEmpty(); }, 2000));
        QVERIFY2(qAbs(ua->text().toDouble() - 57.7) < 5, qPrintable(ua->text()));
        QVERIFY2(qAbs(w.text("EditChanFrec").toDouble() - 50) < 1,
                 qPrintable(w.text("EditChanFrec")));
        QCOMPARE(w.text("sEditNetAddr"), QStringLiteral("1"));
        // A healthy stream, read as it comes, never gives a checksum error.
        QTest::qWait(1500);
        QVERIFY(!w.statusTexts.contains(CrcError));
        QVERIFY(!ua->text().isEmpty());

        // The stream stops: the watchdog blanks the page within about a second.
        ::kill(pid_t(w.sim.pid()), SIGUSR1);
        auto* mess = w.find<QLabel>("LabelChanInfoMess");
        QVERIFY(w.waitFor([&] { return mess->text() == QStringLiteral("информация отсутствует"); },
                          3000));
        QVERIFY(ua->text().isEmpty());

        // And it comes back.
        ::kill(pid_t(w.sim.pid()), SIGUSR1);
        QVERIFY(w.waitFor([&] { return !ua->text().isEmpty(); }, 3000));
        QCOMPARE(mess->text(), QString());
    }
};

QTEST_MAIN(WindowSimTest)
#include "test_window_sim.moc"
