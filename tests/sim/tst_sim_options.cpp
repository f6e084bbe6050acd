// The command line of tarvik-sim: the option names the README, the demo and the end-to-end
// tests rely on, and the refusal of values that make no sense.
#include "options.h"

#include <QTest>

using namespace tarvik::sim;

class TestSimOptions : public QObject {
    Q_OBJECT

private slots:
    void defaults();
    void everyOption();
    void refused_data();
    void refused();
    void help();
};

namespace {
ParsedCommandLine parse(const QStringList& arguments) {
    return parseCommandLine(QStringList{"tarvik-sim"} + arguments);
}
} // namespace

void TestSimOptions::defaults() {
    const ParsedCommandLine r = parse({});
    QVERIFY(r.options);
    const SimOptions& o = *r.options;
    QCOMPARE(o.slave.address, std::uint8_t(1));
    QCOMPARE(o.slave.dropEvery + o.slave.corruptEvery + o.slave.garbageEvery, 0);
    QCOMPARE(o.splitMs, -1);
    QCOMPARE(o.delayMs + o.wireBaud, 0);
    QVERIFY(!o.info);
    QCOMPARE(o.infoBaud, 9600);
    QCOMPARE(o.packet.voltageLimit, 100.0f);
    QCOMPARE(o.packet.currentLimit, 5.0f);
    QCOMPARE(o.packet.address, std::uint8_t(1));
    QCOMPARE(o.packet.status, std::uint8_t(0));
    QVERIFY(o.packet.markers.empty());
}

void TestSimOptions::everyOption() {
    const ParsedCommandLine r = parse({"--address",
                                       "7",
                                       "--link",
                                       "/tmp/a",
                                       "--no-drift",
                                       "-v",
                                       "--drop-every",
                                       "3",
                                       "--corrupt-every",
                                       "4",
                                       "--garbage-every",
                                       "5",
                                       "--garbage-after",
                                       "--delay",
                                       "200",
                                       "--split",
                                       "30",
                                       "--wire-baud",
                                       "19200",
                                       "--info-link",
                                       "/tmp/b",
                                       "--info-baud",
                                       "4800",
                                       "--info-three-wire",
                                       "--info-above",
                                       "25",
                                       "--info-above",
                                       "3",
                                       "--info-below",
                                       "0",
                                       "--info-status",
                                       "255",
                                       "--info-bad-crc-every",
                                       "6",
                                       "--info-pause-after",
                                       "10",
                                       "--info-pause-ms",
                                       "2500",
                                       "--info-voltage-limit",
                                       "400",
                                       "--info-current-limit",
                                       "1.5",
                                       "--info-version",
                                       "21"});
    QVERIFY2(r.options, qPrintable(r.text));
    const SimOptions& o = *r.options;
    QCOMPARE(o.slave.address, std::uint8_t(7));
    QCOMPARE(o.packet.address, std::uint8_t(7)); // the packets carry the Modbus address
    QCOMPARE(o.link, QString("/tmp/a"));
    QVERIFY(o.noDrift && o.verbose);
    QCOMPARE(o.slave.dropEvery, 3);
    QCOMPARE(o.slave.corruptEvery, 4);
    QCOMPARE(o.slave.garbageEvery, 5);
    QVERIFY(o.slave.garbageAfter);
    QCOMPARE(o.delayMs, 200);
    QCOMPARE(o.splitMs, 30);
    QCOMPARE(o.wireBaud, 19200);
    QVERIFY(o.info); // implied by the --info-... options
    QCOMPARE(o.infoLink, QString("/tmp/b"));
    QCOMPARE(o.infoBaud, 4800);
    QVERIFY(o.packet.threeWire);
    QCOMPARE(o.packet.markers.size(), size_t(3));
    QVERIFY(o.packet.markers.at(25) == InfoMarker::AboveRange);
    QVERIFY(o.packet.markers.at(3) == InfoMarker::AboveRange);
    QVERIFY(o.packet.markers.at(0) == InfoMarker::BelowRange);
    QCOMPARE(o.packet.status, std::uint8_t(255));
    QCOMPARE(o.stream.badCrcEvery, 6);
    QCOMPARE(o.stream.pauseAfter, 10);
    QCOMPARE(o.stream.pauseMs, 2500);
    QCOMPARE(o.packet.voltageLimit, 400.0f);
    QCOMPARE(o.packet.currentLimit, 1.5f);
    QCOMPARE(o.packet.version, std::uint8_t(21));
}

void TestSimOptions::refused_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("address 0") << QStringList{"--address", "0"};
    QTest::newRow("address 248") << QStringList{"-a", "248"};
    QTest::newRow("address not a number") << QStringList{"-a", "one"};
    QTest::newRow("drop every 0") << QStringList{"--drop-every", "0"};
    QTest::newRow("negative delay") << QStringList{"--delay", "-5"};
    QTest::newRow("value index 31") << QStringList{"--info-above", "31"};
    QTest::newRow("status 256") << QStringList{"--info-status", "256"};
    QTest::newRow("zero voltage limit") << QStringList{"--info-voltage-limit", "0"};
    QTest::newRow("unknown option") << QStringList{"--drop", "2"};
    QTest::newRow("stray argument") << QStringList{"/dev/ttyS0"};
    QTest::newRow("missing value") << QStringList{"--split"};
}

void TestSimOptions::refused() {
    QFETCH(QStringList, arguments);
    const ParsedCommandLine r = parse(arguments);
    QVERIFY(!r.options);
    QVERIFY(!r.help);
    QVERIFY(!r.text.isEmpty());
}

void TestSimOptions::help() {
    const ParsedCommandLine r = parse({"--help"});
    QVERIFY(r.help);
    for (const char* name :
         {"--address", "--link", "--drop-every", "--corrupt-every", "--garbage-every", "--split",
          "--delay", "--wire-baud", "--info", "--info-link", "--info-three-wire", "--info-above",
          "--info-below", "--info-status", "--info-bad-crc-every", "--info-pause-after",
          "--info-pause-ms", "SIGUSR1"})
        QVERIFY2(r.text.contains(QLatin1String(name)), name);
}

QTEST_GUILESS_MAIN(TestSimOptions)
#include "tst_sim_options.moc"
