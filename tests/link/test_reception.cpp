// Reception, time-out, statistics and dispatch of the link core on the in-memory port.
#include "fakeserialport.h"
#include "frames.h"
#include "linkprobe.h"
#include "modbuslink.h"

#include <QTest>

using namespace tarvik;

namespace {

const QString Done = QStringLiteral("  Операция завершена успешно");
const QString CrcError = QStringLiteral("  Ошибка контрольной суммы !");
const QString NoAnswer = QStringLiteral("  Нет ответа от устройства !");

// A link on a fake port with a controllable clock, the port's data events wired to the link as
// the window wires them.
struct Bench {
    FakeSerialPort port;
    RecordingMessages messages;
    ModbusLink link{port, messages};
    LinkProbe probe{link};
    QDateTime clock{QDate(2026, 12, 11), QTime(12, 0)};
    QList<QByteArray> handled; // replies seen by the kind-0 handler

    Bench() {
        QObject::connect(&port, &SerialPort::dataAvailable, &link,
                         &ModbusLink::ComPortTriggerAvail);
        link.setClock([this] { return clock; });
        link.setAddressText([] { return QStringLiteral("1"); });
        link.setHandler(0, [this](const Reply& r) { handled << r.data().toByteArray(); });
    }

    void readMeasurements() {
        InquiryRecord r;
        r.Address = 1;
        r.RegisterCount = 62;
        r.ExpectedLength = 129;
        r.Kind = 0;
        link.SendInquiry(r);
    }
};

QByteArray MeasurementData() {
    QByteArray data;
    for (int i = 0; i < 31; ++i)
        data += Hex("43 5C 80 00");
    return data;
}

} // namespace

class ReceptionTest : public QObject {
    Q_OBJECT

private slots:
    void replyInTwoPieces() {
        Bench b;
        b.readMeasurements();
        const QByteArray reply = Read03Reply(1, MeasurementData());
        QCOMPARE(reply.size(), 129);

        b.port.feed(reply.left(60));
        QVERIFY(b.handled.isEmpty());
        QCOMPARE(b.port.bytesAvailable(), 60); // left for the next event
        QVERIFY(b.link.AwaitingReply);

        b.clock = b.clock.addMSecs(47);
        b.port.feed(reply.mid(60));
        QCOMPARE(b.handled, QList<QByteArray>{MeasurementData()});
        QVERIFY(!b.link.AwaitingReply);
        QVERIFY(!b.link.TimerWaitAnsw().enabled());
        QCOMPARE(b.probe.status, Done);
        QCOMPARE(b.probe.texts["StaticTextTimeMeasure"], QStringLiteral("0c 47mc"));
        QCOMPARE(b.probe.texts["StaticTextMax"], QStringLiteral("47mc"));
        QCOMPARE(b.probe.lit["ApdStatusLight3"], false);
        QCOMPARE(b.probe.colour["ApdStatusLight3"], Qt::green);
        QVERIFY(b.probe.enabled["BitBtnStart"]);
        QVERIFY(b.messages.entries.isEmpty());
    }

    void exceptionReplyReadAtFiveBytes() {
        Bench b;
        b.link.StepFailures = 4;
        b.readMeasurements();
        b.port.feed(Hex("01 83 02 C0 F1"));
        QVERIFY(b.handled.isEmpty());
        QVERIFY(!b.link.AwaitingReply);
        QCOMPARE(b.messages.texts(),
                 QStringList{QStringLiteral("Адрес данных указанный в запросе недоступен")});
        QCOMPARE(b.probe.status, QString()); // no "done" after a refusal
        QCOMPARE(b.link.StepFailures, quint16(4));
        QCOMPARE(b.link.NextStep, &b.link.Steps.MetrologyPollStep);
        QCOMPARE(b.port.bytesAvailable(), 0);
    }

    void exceptionCodes_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "MB_EX_NONE";
        QTest::newRow("1") << 1 << "Код запроса не поддерживается";
        QTest::newRow("8") << 8 << "Ошибка паритета";
        QTest::newRow("9 has no text") << 9 << "";
        QTest::newRow("11") << 11 << "MB_EX_GATEWAY_TGT_FAILED";
        QTest::newRow("63 has no text") << 63 << "";
        QTest::newRow("68") << 68 << "недопустимый сетевой адрес";
        QTest::newRow("71") << 71 << "Передан неверный пароль";
        QTest::newRow("72 has no text") << 72 << "";
        QTest::newRow("0x8B is negative") << 0x8B << "";
        QTest::newRow("0xC7 is negative") << 0xC7 << "";
    }
    void exceptionCodes() {
        QFETCH(int, code);
        QFETCH(QString, text);
        Bench b;
        b.link.CalibrationBusy = true;
        b.readMeasurements();
        QByteArray reply = WithCrc(QByteArray("\x01\x83", 2) + char(code));
        b.port.feed(reply);
        QCOMPARE(b.messages.texts(), text.isEmpty() ? QStringList() : QStringList{text});
        QVERIFY(!b.link.CalibrationBusy);     // unlocked
        QCOMPARE(b.link.NextStep, nullptr);   // a calibration request was outstanding
        QCOMPARE(b.port.bytesAvailable(), 0); // flushed in every case
    }

    void functionByte0x80IsANormalReply() {
        Bench b;
        b.link.StepFailures = 3;
        b.readMeasurements();
        // 0x80 shortens the wait like an exception, but the read frame is a normal reply.
        b.port.feed(WithCrc(Hex("01 80 02")));
        QCOMPARE(b.handled.size(), 1);
        QVERIFY(b.messages.entries.isEmpty());
        QCOMPARE(b.probe.status, Done);
        QCOMPARE(b.link.StepFailures, quint16(0));
    }

    void kindsWithoutHandlerRunTheCommonTailOnly_data() {
        QTest::addColumn<int>("kind");
        for (int kind : {1, 4, 16, 17, 25, 41, 255})
            QTest::addRow("kind %d", kind) << kind;
    }
    void kindsWithoutHandlerRunTheCommonTailOnly() {
        QFETCH(int, kind);
        Bench b;
        b.link.StepFailures = 7;
        InquiryRecord r;
        r.Address = 1;
        r.RegisterCount = 1;
        r.ExpectedLength = 7;
        r.Kind = quint8(kind);
        b.link.SendInquiry(r);
        b.port.feed(Read03Reply(1, Hex("00 01")));
        QVERIFY(b.handled.isEmpty());
        QVERIFY(b.messages.entries.isEmpty());
        QCOMPARE(b.probe.status, Done);
        QCOMPARE(b.link.StepFailures, quint16(0));
        QCOMPARE(b.probe.shown["ApdStatusLight1"], false);
    }

    void writeConfirmation() {
        Bench b;
        InquiryRecord r;
        r.StartRegister = 1024;
        r.RegisterCount = 1;
        static const quint16 w[] = {5};
        r.Words = w;
        r.Kind = 18;
        b.link.CalibrationBusy = true;
        b.link.SendInquiryWrite16(r);
        b.port.feed(WithCrc(Hex("01 10 04 00 00 01")));
        QCOMPARE(b.messages.entries.size(), 1);
        QCOMPARE(b.messages.entries[0].kind, RecordingMessages::Entry::Information);
        QCOMPARE(b.messages.entries[0].text, QStringLiteral("Информация записана "));
        QVERIFY(!b.link.CalibrationBusy);
        // The box comes before the status line changes.
        QVERIFY(b.probe.log.indexOf("UnlockCalibrationControls") <
                b.probe.log.indexOf("status=" + Done));
    }

    void damagedReplyCountsCrcThenTimeOut() {
        Bench b;
        b.link.LinkUpRunning = true;
        b.readMeasurements();
        QByteArray reply = Read03Reply(1, MeasurementData());
        reply[40] = char(reply[40] ^ 0x01);
        b.port.feed(reply);
        QVERIFY(b.handled.isEmpty());
        QCOMPARE(b.link.CrcErrorCount, quint16(1));
        QCOMPARE(b.probe.texts["StaticTextErrCRC"], QStringLiteral("1"));
        QCOMPARE(b.probe.status, CrcError);
        QCOMPARE(b.probe.cleared, 1);
        QCOMPARE(b.link.StepFailures, quint16(1));
        QCOMPARE(b.port.bytesAvailable(), 0);
        QVERIFY(b.link.AwaitingReply); // the wait goes on until the time-out
        QVERIFY(b.link.TimerWaitAnsw().enabled());
        QCOMPARE(b.link.NoAnswerCount, quint16(0));

        b.link.TimerWaitAnsw().fire();
        QCOMPARE(b.link.NoAnswerCount, quint16(1));
        QCOMPARE(b.link.CrcErrorCount, quint16(1));
        QCOMPARE(b.link.StepFailures, quint16(2));
    }

    void noReply() {
        Bench b;
        b.readMeasurements();
        b.link.TimerWaitAnsw().setInterval(10000); // a long operation raised it
        b.link.TimerWaitAnsw().fire();
        QVERIFY(!b.link.AwaitingReply);
        QVERIFY(!b.link.TimerWaitAnsw().enabled());
        QCOMPARE(b.link.TimerWaitAnsw().interval(), 3000);
        QCOMPARE(b.link.NoAnswerCount, quint16(1));
        QCOMPARE(b.probe.texts["StaticTextNoAnsw"], QStringLiteral("1"));
        QCOMPARE(b.probe.status, NoAnswer);
        QCOMPARE(b.probe.colour["ApdStatusLight3"], Qt::red);
        QCOMPARE(b.probe.lit["ApdStatusLight3"], false);
        QVERIFY(b.probe.enabled["BitBtnStart"]);
        QCOMPARE(b.probe.shown["sProgressBarSchKp"], false);
        QCOMPARE(b.probe.cleared, 1);

        // The status line clears itself.
        b.link.TimerMess().fire();
        QCOMPARE(b.probe.status, QString());
        QVERIFY(!b.link.TimerMess().enabled());
    }

    void portThatCannotBeUsed() {
        Bench b;
        b.port.unusable = true;
        b.port.setPortNumber(7);
        b.readMeasurements();
        QCOMPARE(b.messages.texts(),
                 QStringList{QStringLiteral("Ошибка при чтении номера порта: COM 7")});
        QVERIFY(b.port.written.isEmpty());
        QVERIFY(!b.link.AwaitingReply);
        QVERIFY(!b.link.TimerWaitAnsw().enabled()); // so no time-out follows
        QCOMPARE(b.link.RequestCount, quint16(0));
        QVERIFY(b.probe.enabled["BitBtnStart"]);
    }

    void responseTimes_data() {
        QTest::addColumn<QList<int>>("delays");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("max");
        QTest::newRow("47 ms") << QList<int>{47} << "0c 47mc"
                               << "47mc";
        QTest::newRow("1 s 20 ms keeps a max of 500") << QList<int>{500, 1020} << "1c 20mc"
                                                      << "500mc";
        QTest::newRow("larger ms part raises it") << QList<int>{500, 730} << "0c 730mc"
                                                  << "730mc";
    }
    void responseTimes() {
        QFETCH(QList<int>, delays);
        QFETCH(QString, last);
        QFETCH(QString, max);
        Bench b;
        for (int ms : delays) {
            b.readMeasurements();
            b.clock = b.clock.addMSecs(ms);
            b.port.feed(Read03Reply(1, MeasurementData()));
        }
        QCOMPARE(b.probe.texts["StaticTextTimeMeasure"], last);
        QCOMPARE(b.probe.texts["StaticTextMax"], max);
    }

    void statisticsClear() {
        Bench b;
        b.readMeasurements();
        b.clock = b.clock.addMSecs(300);
        b.port.feed(Read03Reply(1, MeasurementData()));
        b.readMeasurements();
        b.link.TimerWaitAnsw().fire();
        QCOMPARE(b.link.RequestCount, quint16(2));

        b.link.ButtonStatClearClick();
        QCOMPARE(b.probe.texts["StaticTextAllEnquiry"], QString());
        QCOMPARE(b.probe.texts["StaticTextNoAnsw"], QString());
        QCOMPARE(b.probe.texts["StaticTextErrCRC"], QString());
        QCOMPARE(b.probe.texts["StaticTextMax"], QStringLiteral("300mc")); // until a new maximum
        QCOMPARE(b.link.MaxResponseMs, quint16(0));

        b.readMeasurements();
        QCOMPARE(b.probe.texts["StaticTextAllEnquiry"], QStringLiteral("1"));
        b.clock = b.clock.addMSecs(20);
        b.port.feed(Read03Reply(1, MeasurementData()));
        QCOMPARE(b.probe.texts["StaticTextMax"], QStringLiteral("20mc"));
    }

    void burstLargerThanTheReceiveBuffer() {
        Bench b;
        b.readMeasurements();
        QByteArray burst(5000, '\x01');
        b.port.feed(burst);
        QVERIFY(b.handled.isEmpty());
        QCOMPARE(b.link.CrcErrorCount, quint16(1));
        QCOMPARE(b.link.RxLength, qsizetype(ModbusLink::FrameSize));
        QCOMPARE(b.port.bytesAvailable(), 0); // the rest is discarded
    }

    void readFailureIsNeverAValidReply() {
        Bench b;
        b.readMeasurements();
        b.port.feed(Read03Reply(1, MeasurementData())); // a first good reply fills RxFrame
        b.readMeasurements();
        b.port.readFails = true;
        b.port.feed(Read03Reply(1, MeasurementData()));
        QCOMPARE(b.messages.texts(), QStringList{QStringLiteral(" Ошибка приема информации !")});
        QCOMPARE(b.handled.size(), 1);
        QCOMPARE(b.link.CrcErrorCount, quint16(1));
    }

    void bytesWhileIdleStayForTheNextReply() {
        Bench b;
        b.port.feed(Hex("01 02"));
        QCOMPARE(b.port.bytesAvailable(), 2);
        QVERIFY(b.handled.isEmpty());
        QVERIFY(b.messages.entries.isEmpty());
    }

    void replyDataNeverPastTheFrame_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("size");
        QTest::newRow("count as received") << Read03Reply(1, Hex("00 01 00 02")) << 4;
        QTest::newRow("count larger than the frame") << WithCrc(Hex("01 03 7C 00 01")) << 2;
        QTest::newRow("count smaller than the frame") << WithCrc(Hex("01 03 02 00 01 00 02")) << 2;
        QTest::newRow("too short for data") << Hex("01 03 00 00") << 0;
    }
    void replyDataNeverPastTheFrame() {
        QFETCH(QByteArray, frame);
        QFETCH(int, size);
        QCOMPARE(Reply{frame}.data().size(), size);
    }

    void everyFrameIsReportedForTheTrafficMonitor() {
        Bench b;
        QList<QByteArray> sent, received;
        QObject::connect(&b.link, &ModbusLink::frameSent,
                         [&](const QDateTime&, const QByteArray& f) { sent << f; });
        QObject::connect(&b.link, &ModbusLink::frameReceived,
                         [&](const QDateTime&, const QByteArray& f) { received << f; });
        b.readMeasurements();
        const QByteArray reply = Read03Reply(1, MeasurementData());
        b.port.feed(reply);
        QCOMPARE(sent, QList<QByteArray>{Hex("01 03 00 00 00 3E C4 1A")});
        QCOMPARE(received, QList<QByteArray>{reply});
    }

    void flushFailureReportsThePort() {
        Bench b;
        b.readMeasurements();
        b.port.unusable = true;
        b.link.TimerWaitAnsw().fire();
        QCOMPARE(b.messages.texts(),
                 QStringList{QStringLiteral("Ошибка при чтении номера порта: COM 1")});
        QCOMPARE(b.probe.portFailures, 1);
    }

    void informationChannelBytesBypassTheModbusPath() {
        Bench b;
        int seen = 0;
        QObject::connect(&b.link, &ModbusLink::infoChannelData, [&](int count) { seen = count; });
        b.link.InfoChanMode = true;
        b.readMeasurements();
        b.port.feed(Read03Reply(1, MeasurementData()));
        QCOMPARE(seen, 129);
        QVERIFY(b.handled.isEmpty());
        QVERIFY(b.link.AwaitingReply);
    }
};

QObject* MakeReceptionTest() {
    return new ReceptionTest;
}

#include "test_reception.moc"
