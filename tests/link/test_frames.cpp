// Request frames byte for byte, the CRC, the preset step records and the senders' bookkeeping.
#include "convert.h"
#include "fakeserialport.h"
#include "frames.h"
#include "modbuslink.h"

#include <QTest>

using namespace tarvik;

class FramesTest : public QObject {
    Q_OBJECT

private slots:
    void crc_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("crc");
        QTest::newRow("read 10 registers") << Hex("01 03 00 00 00 0A") << Hex("C5 CD");
        QTest::newRow("measurement block") << Hex("01 03 00 00 00 3E") << Hex("C4 1A");
        QTest::newRow("exception reply") << Hex("01 83 02") << Hex("C0 F1");
        QTest::newRow("empty") << QByteArray() << Hex("FF FF");
    }
    void crc() {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, crc);
        const quint16 value = ModbusCrc16(body);
        QCOMPARE(quint8(value >> 8), quint8(crc[0]));
        QCOMPARE(quint8(value & 0xFF), quint8(crc[1]));
        // An intact frame checks to zero with its own CRC.
        QCOMPARE(ModbusCrc16(body + crc), quint16(0));
    }

    void senders_data() {
        QTest::addColumn<int>("sender");
        QTest::addColumn<InquiryRecord>("record");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("stamps");
        QTest::addColumn<bool>("counts");

        InquiryRecord measure;
        measure.Address = 1;
        measure.RegisterCount = 62;
        measure.ExpectedLength = 129;
        QTest::newRow("SendInquiry")
            << 0 << measure << Hex("01 03 00 00 00 3E C4 1A") << 129 << true << true;

        InquiryRecord read03;
        read03.StartRegister = 528;
        read03.RegisterCount = 1;
        read03.ExpectedLength = 7;
        QTest::newRow("SendInquiryRead03")
            << 1 << read03 << WithCrc(Hex("01 03 02 10 00 01")) << 7 << false << false;

        InquiryRecord write06;
        write06.Address = 1;
        write06.StartRegister = 516;
        write06.Value16 = 3;
        write06.ExpectedLength = 99; // ignored: a write is always answered with 8 bytes
        QTest::newRow("SendInquiryWrite06")
            << 2 << write06 << Hex("01 06 02 04 00 03 89 B2") << 8 << false << false;
        QTest::newRow("SendInquiryWrite06Seq")
            << 3 << write06 << Hex("01 06 02 04 00 03 89 B2") << 8 << false << false;

        InquiryRecord write16long;
        write16long.StartRegister = 2048;
        write16long.RegisterCount = 2;
        write16long.Value32 = 0x41200000; // 10.0f
        QTest::newRow("SendInquiryWrite16Long")
            << 4 << write16long << Hex("01 10 08 00 00 02 04 41 20 00 00 81 99") << 8 << false
            << false;

        static const quint16 words[] = {0x0102, 0xA0B0, 0x00FF};
        InquiryRecord write16;
        write16.StartRegister = 1024;
        write16.RegisterCount = 3;
        write16.Words = words;
        QTest::newRow("SendInquiryWrite16")
            << 5 << write16 << WithCrc(Hex("01 10 04 00 00 03 06 01 02 A0 B0 00 FF")) << 8 << true
            << false;

        InquiryRecord read20;
        read20.FileNumber = 0;
        read20.RecordNumber = 5;
        read20.RecordCount = 10;
        read20.ExpectedLength = 85;
        QTest::newRow("SendInquiryRead20")
            << 6 << read20 << Hex("01 14 0C 00 00 00 05 00 50 DB A2") << 85 << false << false;
    }
    void senders() {
        QFETCH(int, sender);
        QFETCH(InquiryRecord, record);
        QFETCH(QByteArray, frame);
        QFETCH(int, expected);
        QFETCH(bool, stamps);
        QFETCH(bool, counts);

        FakeSerialPort port;
        RecordingMessages messages;
        ModbusLink link(port, messages);
        link.setAddressText([] { return QStringLiteral("1"); });
        const QDateTime at(QDate(2026, 12, 11), QTime(10, 0, 0, 250));
        link.setClock([at] { return at; });
        record.Kind = 19;

        switch (sender) {
        case 0: link.SendInquiry(record); break;
        case 1: link.SendInquiryRead03(record); break;
        case 2: link.SendInquiryWrite06(record); break;
        case 3: link.SendInquiryWrite06Seq(record); break;
        case 4: link.SendInquiryWrite16Long(record); break;
        case 5: link.SendInquiryWrite16(record); break;
        case 6: link.SendInquiryRead20(record); break;
        }

        QCOMPARE(port.written, QList<QByteArray>{frame});
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(link.TxFrame.data()), frame.size()),
                 frame);
        QCOMPARE(link.InquiryKind, quint8(19));
        QCOMPARE(int(link.ExpectedReplyLength), expected);
        QVERIFY(link.AwaitingReply);
        QVERIFY(link.TimerWaitAnsw().enabled());
        QCOMPARE(link.RequestSentAt == at, stamps);
        QCOMPARE(link.RequestCount, quint16(counts ? 1 : 0));
    }

    void write16ByteCountKeptToEightBits() {
        std::vector<quint16> words(200, 0x1234);
        InquiryRecord r;
        r.RegisterCount = 200;
        r.Words = words.data();
        const QByteArray f = FrameWrite16(1, r);
        QCOMPARE(f.size(), 9 + 400);
        QCOMPARE(quint8(f[6]), quint8(144));
        QCOMPARE(ModbusCrc16(f), quint16(0));
    }

    void addressFromEditThatIsNotANumber() {
        FakeSerialPort port;
        RecordingMessages messages;
        ModbusLink link(port, messages);
        link.setAddressText([] { return QStringLiteral("1x"); });
        InquiryRecord r;
        r.Kind = 28;
        link.SendInquiryRead03(r);
        QVERIFY(port.written.isEmpty());
        QVERIFY(!link.AwaitingReply);
        QCOMPARE(link.InquiryKind, quint8(28)); // set before the frame was built
        QCOMPARE(messages.entries.size(), 1);
        QCOMPARE(messages.entries[0].kind, RecordingMessages::Entry::Error);
    }

    void stepRecords() {
        StepRecords s;
        InitInquiryRecords(s);
        struct Row {
            const InquiryRecord& r;
            int start, count, expected, kind;
        };
        const Row rows[] = {
            {s.LinkUpRatiosStep, 2048, 8, 21, 27},
            {s.ReadRatiosStep, 2048, 8, 21, 28},
            {s.LinkUpSchemeStep, 528, 1, 7, 29},
            {s.ReadSchemeStep, 528, 1, 7, 31},
            {s.CurrentOutputsStartStep, 534, 1, 7, 33},
            {s.MeasuredCurrentStep, 0, 2, 0, 15},
            {s.MetrologyPollStep, 0, 62, 129, 32},
            {s.CurrentOutputsPollStep, 532, 1, 7, 34},
            {s.CurrentMethodStep, 546, 1, 7, 30},
            {s.MetrologyWriteStep, 1792, 2, 0, 14},
            {s.RatioWriteStep, 0, 8, 0, 0},
            {s.CommandStep, 0, 2, 0, 40},
            {s.CurrentTrimStep, 0, 2, 0, 36},
            {s.CurrentModeStep, 0, 2, 0, 36},
            {s.CurrentRangeStep, 766, 2, 0, 35},
        };
        for (const Row& row : rows) {
            QCOMPARE(int(row.r.StartRegister), row.start);
            QCOMPARE(int(row.r.RegisterCount), row.count);
            QCOMPARE(int(row.r.ExpectedLength), row.expected);
            QCOMPARE(int(row.r.Kind), row.kind);
        }
    }

    void strToInt_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "247" << true << 247;
        QTest::newRow("blanks") << "  12 " << true << 12;
        QTest::newRow("negative") << "-5" << true << -5;
        QTest::newRow("hex dollar") << "$1F" << true << 31;
        QTest::newRow("hex 0x") << "0x10" << true << 16;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("letters") << "abc" << false << 0;
        QTest::newRow("decimal point") << "1.5" << false << 0;
        QTest::newRow("double sign") << "--5" << false << 0;
        QTest::newRow("too large") << "4294967296" << false << 0;
    }
    void strToInt() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        const auto v = StrToInt(text);
        QCOMPARE(v.has_value(), ok);
        if (ok) QCOMPARE(*v, value);
    }

    void timerSemantics() {
        Timer t(nullptr, 1000, false);
        t.setEnabled(true);
        QVERIFY(t.ticking());
        t.setInterval(0); // enabled, but an interval of 0 gives no ticks
        QVERIFY(t.enabled());
        QVERIFY(!t.ticking());
        t.setInterval(100);
        QVERIFY(t.ticking());
    }
};

QObject* MakeFramesTest() {
    return new FramesTest;
}

#include "test_frames.moc"
