// The port configuration per page from the settings file, the port and speed choices kept in
// step on the five pages, the logical number, and the information-channel page.
#include "appfixture.h"

#include "infochanpage.h"
#include "measurepage.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

Q_DECLARE_METATYPE(tarvik::SerialPort::Parity)

namespace tarvik {

using Parity = SerialPort::Parity;

class PortsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<AppFixture> f;

private slots:
    void init() { f = std::make_unique<AppFixture>(); }
    void cleanup() { f.reset(); }

    // What a settings file gives at start (page 0), and at the next start.
    void storedSettings_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("portNumber");
        QTest::addColumn<int>("baud");
        QTest::addColumn<Parity>("parity");
        QTest::addColumn<QStringList>("baudCombos");
        QTest::addColumn<QString>("fileAfter"); // a line the file holds afterwards
        QTest::addColumn<QStringList>("messagesAtNextStart");

        const QStringList all9600(3, QStringLiteral("9600"));
        QTest::newRow("port 0 is corrected and written back")
            << QByteArray("[Соединение]\nПорт=0\n") << QStringList{"Ошибочный номер порта: COM 0"}
            << 1 << 9600 << Parity::None << all9600 << "Порт=1" << QStringList();
        QTest::newRow("port 17") << QByteArray("[Соединение]\nПорт=17\n")
                                 << QStringList{"Ошибочный номер порта: COM 17"} << 1 << 9600
                                 << Parity::None << all9600 << "Порт=1" << QStringList();
        QTest::newRow("port 12, speed 57600, odd parity")
            << QByteArray("[Соединение]\nПорт=12\nСкорость=57600\nПаритет=1\n") << QStringList()
            << 12 << 57600 << Parity::Odd << QStringList{"57600", "", ""} << "Порт=12"
            << QStringList();
        QTest::newRow("speed 600 stays on the port, the combos show 9600")
            << QByteArray("[Соединение]\nСкорость=600\n") << QStringList() << 1 << 600
            << Parity::None << all9600 << "Скорость=600" << QStringList();
        QTest::newRow("speed 250000 is replaced, the file keeps it")
            << QByteArray("[Соединение]\nСкорость=250000\n")
            << QStringList{"Ошибочная скорость порта: 250000"} << 1 << 9600 << Parity::None
            << all9600 << "Скорость=250000" << QStringList{"Ошибочная скорость порта: 250000"};
        QTest::newRow("parity 5") << QByteArray("[Соединение]\nПаритет=5\n")
                                  << QStringList{"Ошибка в задании контроля четности порта: 5"} << 1
                                  << 9600 << Parity::None << all9600 << "Паритет=5"
                                  << QStringList{"Ошибка в задании контроля четности порта: 5"};
        QTest::newRow("parity -1 is 255 as a byte")
            << QByteArray("[Соединение]\nПаритет=-1\n")
            << QStringList{"Ошибка в задании контроля четности порта: 255"} << 1 << 9600
            << Parity::None << all9600 << "Паритет=-1"
            << QStringList{"Ошибка в задании контроля четности порта: 255"};
        QTest::newRow("values that are not numbers take the defaults")
            << QByteArray("[Соединение]\nПорт=COM3\nСкорость=\nПаритет=even\n") << QStringList()
            << 1 << 9600 << Parity::None << all9600 << "Порт=COM3" << QStringList();
        QTest::newRow("blanks, Windows line ends and a byte-order mark")
            << QByteArray("\xEF\xBB\xBF[Соединение]\r\nПорт = 4 \r\nСкорость = 19200\r\n")
            << QStringList() << 4 << 19200 << Parity::None << QStringList{"19200", "19200", "19200"}
            << "Порт = 4" << QStringList();
    }

    void storedSettings() {
        QFETCH(QByteArray, ini);
        f->writeIni(ini);
        f->start();
        QTEST(f->messages.texts(), "messages");
        QTEST(f->port.portNumber(), "portNumber");
        QTEST(f->port.baudRate(), "baud");
        QTEST(f->port.parity(), "parity");
        QCOMPARE(f->port.dataBits(), 8);
        QCOMPARE(f->port.stopBits(), 1);
        QFETCH(int, portNumber);
        QCOMPARE(f->portComboTexts(), QStringList(5, QStringLiteral("Comm%1").arg(portNumber)));
        QTEST(f->baudComboTexts(), "baudCombos");
        QFETCH(QString, fileAfter);
        QVERIFY2(f->iniText().contains(fileAfter), qPrintable(f->iniText()));

        f->messages.clear();
        f->start();
        QTEST(f->messages.texts(), "messagesAtNextStart");
    }

    // The stored parity holds on the Modbus pages only; the external devices and the
    // information channel always run at 9600 baud without parity.
    void parityFollowsThePage() {
        f->writeIni("[Соединение]\nСкорость=19200\nПаритет=2\n");
        f->start();
        const struct {
            int page;
            int baud;
            Parity parity;
        } steps[] = {{0, 19200, Parity::Even},
                     {2, 9600, Parity::None},
                     {1, 19200, Parity::Even},
                     {3, 9600, Parity::None},
                     {0, 19200, Parity::Even}};
        for (const auto& s : steps) {
            f->choosePage(s.page);
            QCOMPARE(f->form->PageControl1->currentIndex(), s.page);
            QCOMPARE(f->port.baudRate(), s.baud);
            QCOMPARE(f->port.parity(), s.parity);
        }
        QCOMPARE(f->messages.texts(), QStringList());
    }

    void portChoiceReachesAllPages_data() {
        QTest::addColumn<QString>("combo");
        QTest::addColumn<int>("page");
        QTest::newRow("page 0") << "ComboBoxPort1" << 0;
        QTest::newRow("page 1") << "ComboBoxPort3" << 1;
        QTest::newRow("page 2") << "ComboBoxPort2" << 2;
        QTest::newRow("page 3") << "ComboBoxPort4" << 3;
        QTest::newRow("page 4") << "ComboBoxPort5" << 4;
    }

    void portChoiceReachesAllPages() {
        QFETCH(QString, combo);
        QFETCH(int, page);
        f->start();
        f->choosePage(page);
        f->find<QComboBox>(combo)->setCurrentText(QStringLiteral("Comm3"));
        QCOMPARE(f->portComboTexts(), QStringList(5, QStringLiteral("Comm3")));
        QCOMPARE(f->port.portNumber(), 3);
        QVERIFY2(f->iniText().contains(QStringLiteral("[Соединение]\nПорт=3\n")),
                 qPrintable(f->iniText()));
        QCOMPARE(f->messages.texts(), QStringList());
        // The device used is named where the user looks for it.
        QCOMPARE(f->form->StatusBarPanel0->text(), QStringLiteral("Comm3: /dev/fake3"));
        QCOMPARE(f->form->ComboBoxPort1->toolTip(), QStringLiteral("Comm3: /dev/fake3"));

        // The next start opens the chosen port.
        f->port.setPortNumber(1);
        f->start();
        QCOMPARE(f->port.portNumber(), 3);
        QCOMPARE(f->portComboTexts(), QStringList(5, QStringLiteral("Comm3")));
    }

    // A port the serial layer refuses: pages 3 and 4 fall back to no port; elsewhere the error
    // display reports it and the choice goes back to the port in use.
    void refusedPortChoice_data() {
        QTest::addColumn<QString>("combo");
        QTest::addColumn<int>("portNumber");
        QTest::addColumn<QStringList>("combos");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("errorShown");
        QTest::newRow("page 0") << "ComboBoxPort1" << 1 << QStringList(5, "Comm1") << QString()
                                << true;
        QTest::newRow("page 1") << "ComboBoxPort3" << 1 << QStringList(5, "Comm1") << QString()
                                << true;
        QTest::newRow("page 3") << "ComboBoxPort4" << 0 << QStringList(5, "Comm5") << "Порт=0"
                                << false;
        QTest::newRow("page 4") << "ComboBoxPort5" << 0 << QStringList(5, "Comm5") << "Порт=0"
                                << false;
    }

    void refusedPortChoice() {
        QFETCH(QString, combo);
        f->start();
        f->port.refuseRealPorts = true;
        f->find<QComboBox>(combo)->setCurrentText(QStringLiteral("Comm5"));
        QTEST(f->port.portNumber(), "portNumber");
        QTEST(f->portComboTexts(), "combos");
        QFETCH(QString, stored);
        if (stored.isEmpty())
            QVERIFY(!QFile::exists(f->iniPath));
        else
            QVERIFY(f->iniText().contains(stored));
        QFETCH(bool, errorShown);
        QCOMPARE(f->messages.entries.size(), errorShown ? 1 : 0);
        if (errorShown) QCOMPARE(f->messages.entries.first().kind, RecordingMessages::Entry::Error);
    }

    void speedChoice_data() {
        QTest::addColumn<QString>("combo");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QStringList>("combos");
        QTest::newRow("57600 on page 0: the six-speed lists show none")
            << "ComboBoxBaud1"
            << "57600" << QStringList{"57600", "", ""};
        QTest::newRow("1200 on page 1") << "ComboBoxBaud2"
                                        << "1200" << QStringList(3, "1200");
        QTest::newRow("38400 on page 4") << "ComboBoxBaud4"
                                         << "38400" << QStringList(3, "38400");
    }

    void speedChoice() {
        QFETCH(QString, combo);
        QFETCH(QString, speed);
        f->start();
        f->find<QComboBox>(combo)->setCurrentText(speed);
        QTEST(f->baudComboTexts(), "combos");
        QCOMPARE(f->port.baudRate(), speed.toInt());
        QVERIFY(f->iniText().contains(QStringLiteral("Скорость=") + speed));
        QCOMPARE(f->messages.texts(), QStringList());
        // Back on page 0 after another page, the stored speed applies again.
        f->choosePage(3);
        f->choosePage(0);
        QCOMPARE(f->port.baudRate(), speed.toInt());
    }

    void logicalNumber_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");
        QTest::addColumn<bool>("refused");
        QTest::newRow("248 in Edit1") << "Edit1"
                                      << "248"
                                      << "" << true;
        QTest::newRow("abc in Edit1") << "Edit1"
                                      << "abc"
                                      << "" << false;
        QTest::newRow("247 in Edit1") << "Edit1"
                                      << "247"
                                      << "247" << false;
        QTest::newRow("0 in Edit2") << "Edit2"
                                    << "0"
                                    << "" << true;
        QTest::newRow("17 in Edit2") << "Edit2"
                                     << "17"
                                     << "17" << false;
        QTest::newRow("300 in Edit12") << "Edit12"
                                       << "300"
                                       << "" << true;
        QTest::newRow("5 in Edit12") << "Edit12"
                                     << "5"
                                     << "5" << false;
    }

    void logicalNumber() {
        QFETCH(QString, edit);
        QFETCH(QString, typed);
        f->start();
        auto* e = f->find<QLineEdit>(edit);
        e->clear(); // an empty number is accepted silently
        QCOMPARE(f->logicalNumbers(), QStringList(3, QString()));
        QTest::keyClicks(e, typed);
        QFETCH(QString, result);
        QCOMPARE(f->logicalNumbers(), QStringList(3, result));
        QFETCH(bool, refused);
        const QStringList expected =
            refused ? QStringList{"Логический номер должен \nнаходиться в пределах \nот 1 до 247 "}
                    : QStringList();
        QCOMPARE(f->messages.texts(), expected);
    }

    // Leaving the first page while polling runs stops the polling; the information channel
    // then has the port at 9600 baud without parity.
    void pageChangeStopsPolling() {
        f->writeIni("[Соединение]\nСкорость=38400\nПаритет=2\n");
        f->start();
        f->find<QCheckBox>(QStringLiteral("CheckBoxAuto"))->setChecked(true);
        auto* start = f->find<QPushButton>(QStringLiteral("BitBtnStart"));
        start->click();
        QVERIFY(f->form->measurePage()->AutoPolling);
        QVERIFY(!f->form->Edit1->isEnabled());
        QCOMPARE(f->port.written.size(), 1);

        f->choosePage(3);
        QVERIFY(!f->form->measurePage()->AutoPolling);
        QCOMPARE(start->text(), QStringLiteral("     Читать"));
        QVERIFY(f->form->Edit1->isEnabled());
        QVERIFY(f->form->BitBtnExit->isEnabled());
        QVERIFY(!f->form->measurePage()->TimerAuto().enabled());
        QCOMPARE(f->port.baudRate(), 9600);
        QCOMPARE(f->port.parity(), Parity::None);
        QVERIFY(f->form->link().InfoChanMode);
    }

    void informationChannelPage() {
        f->writeIni("[Соединение]\nПорт=2\nСкорость=19200\nПаритет=1\n");
        f->start();
        const int flushes = f->port.flushInputCount;
        f->choosePage(3);
        QCOMPARE(f->port.portNumber(), 2);
        QCOMPARE(f->port.baudRate(), 9600);
        QCOMPARE(f->port.parity(), Parity::None);
        QVERIFY(f->port.flushInputCount > flushes);
        QVERIFY(f->form->link().InfoChanMode);
        QVERIFY(f->form->infoChanPage()->TimerChanInfo().enabled());
        // Another port chosen while listening is opened at once.
        f->port.isOpen = false;
        f->form->ComboBoxPort4->setCurrentText(QStringLiteral("Comm4"));
        QVERIFY(f->port.isOpen);
        QVERIFY(f->form->link().InfoChanMode);

        f->choosePage(0);
        QVERIFY(!f->form->link().InfoChanMode);
        QCOMPARE(f->port.portNumber(), 4);
        QCOMPARE(f->port.baudRate(), 19200);
        QCOMPARE(f->port.parity(), Parity::Odd);
        QCOMPARE(f->messages.texts(), QStringList());
    }

    // The port fails on the way into the information channel: the first page comes to the
    // front and the program does not stay in the listening mode there.
    void portFailsOnInformationChannel_data() {
        QTest::addColumn<bool>("unusable");
        QTest::addColumn<bool>("refused");
        QTest::newRow("failing at the flush") << true << false;
        QTest::newRow("port number refused") << false << true;
    }

    void portFailsOnInformationChannel() {
        QFETCH(bool, unusable);
        QFETCH(bool, refused);
        f->start();
        f->port.unusable = unusable;
        f->port.refusePortNumber = refused;
        f->choosePage(3);
        QCOMPARE(f->form->PageControl1->currentIndex(), 0);
        QVERIFY(!f->form->link().InfoChanMode);
        QCOMPARE(f->messages.texts(), QStringList{"Ошибка при чтении номера порта: COM 1"});

        // The first page works as usual once the port is back.
        f->port.unusable = false;
        f->port.refusePortNumber = false;
        f->form->measurePage()->BitBtnStartClick();
        QCOMPARE(f->port.written.size(), 1);
        QVERIFY(f->form->link().AwaitingReply);
    }

    void portFailsWhileListening() {
        f->start();
        f->choosePage(3);
        QVERIFY(f->form->link().InfoChanMode);
        f->port.unusable = true;
        f->form->link().FlushPortBuffers();
        QCOMPARE(f->form->PageControl1->currentIndex(), 0);
        QVERIFY(!f->form->link().InfoChanMode);
    }
};

QObject* MakePortsTest() {
    return new PortsTest;
}

} // namespace tarvik

#include "test_ports.moc"
