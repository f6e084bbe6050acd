// The link core on the real serial port against the virtual transducer on a pseudo-terminal.
#include "decode.h"
#include "linkprobe.h"
#include "modbuslink.h"
#include "qtserialport.h"
#include "simprocess.h"

#include <QSignalSpy>
#include <QTest>

using namespace tarvik;

namespace {

// The link, its port resolved to the simulator's terminal, and the kind-0 replies it hands on.
struct LiveLink {
    QString device;
    QtSerialPort port{[this](int) { return device; }};
    RecordingMessages messages;
    ModbusLink link{port, messages};
    LinkProbe probe{link};
    QList<QByteArray> replies;

    explicit LiveLink(const QString& path) : device(path) {
        QObject::connect(&port, &SerialPort::dataAvailable, &link,
                         &ModbusLink::ComPortTriggerAvail);
        link.setHandler(0, [this](const Reply& r) { replies << r.data().toByteArray(); });
        port.setPortNumber(1);
    }

    void readMeasurements() {
        InquiryRecord r;
        r.Address = 1;
        r.RegisterCount = 62;
        r.ExpectedLength = 129;
        link.SendInquiry(r);
    }

    // Waits until the request in flight is answered or given up.
    bool settle(int timeoutMs = 5000) {
        QElapsedTimer t;
        t.start();
        while (link.AwaitingReply && t.elapsed() < timeoutMs)
            QTest::qWait(10);
        return !link.AwaitingReply;
    }
};

} // namespace

class LinkSimTest : public QObject {
    Q_OBJECT

private slots:
    void readsTheMeasurementBlock() {
        SimProcess sim;
        QVERIFY2(sim.start(TARVIK_SIM_PATH, {}), qPrintable(sim.error()));
        LiveLink live(sim.modbusPath());
        live.readMeasurements();
        QVERIFY(live.settle());
        QCOMPARE(live.link.CrcErrorCount, quint16(0));
        QCOMPARE(live.link.NoAnswerCount, quint16(0));
        QCOMPARE(live.replies.size(), 1);
        QCOMPARE(live.replies[0].size(), 124);

        RegisterDecoder d;
        const float ua = d.GetRegisterFloat(live.replies[0], 0);
        const float uab = d.GetRegisterFloat(live.replies[0], 6);
        const float ia = d.GetRegisterFloat(live.replies[0], 3);
        const float f = d.GetRegisterFloat(live.replies[0], 25);
        QVERIFY2(ua > 50 && ua < 65, qPrintable(QString::number(ua)));
        QVERIFY2(uab > 90 && uab < 110, qPrintable(QString::number(uab)));
        QVERIFY2(ia > 4 && ia < 6, qPrintable(QString::number(ia)));
        QVERIFY2(f > 49 && f < 51, qPrintable(QString::number(f)));
        QCOMPARE(live.probe.status, QStringLiteral("  Операция завершена успешно"));
    }

    void droppedAndCorruptedReplies_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("good");
        QTest::addColumn<int>("noAnswer");
        QTest::addColumn<int>("crc");
        QTest::newRow("every 2nd dropped") << QStringList{"--drop-every", "2"} << 2 << 2 << 0;
        QTest::newRow("every 2nd corrupted") << QStringList{"--corrupt-every", "2"} << 2 << 2 << 2;
    }
    void droppedAndCorruptedReplies() {
        QFETCH(QStringList, options);
        QFETCH(int, good);
        QFETCH(int, noAnswer);
        QFETCH(int, crc);
        SimProcess sim;
        QVERIFY2(sim.start(TARVIK_SIM_PATH, options), qPrintable(sim.error()));
        LiveLink live(sim.modbusPath());
        for (int i = 0; i < 4; ++i) {
            live.readMeasurements();
            // A missing reply is given up after a short wait instead of the full 3 s; a byte
            // arriving would set the interval back to 3 s.
            live.link.TimerWaitAnsw().setInterval(400);
            QVERIFY(live.settle());
        }
        QCOMPARE(live.replies.size(), good);
        QCOMPARE(int(live.link.NoAnswerCount), noAnswer);
        QCOMPARE(int(live.link.CrcErrorCount), crc);
        QCOMPARE(int(live.link.RequestCount), 4);
    }
};

QTEST_GUILESS_MAIN(LinkSimTest)
#include "test_link_sim.moc"
