// Decoding, scaling and display texts of the information-channel packet.
#include "infochanpacket.h"
#include "infochanstream.h"
#include "inquiry.h"

#include <QLocale>
#include <QTest>

using namespace tarvik;
using namespace tarvik::test;

namespace {

const QString Dashes = QStringLiteral(" ------------------------");

QLocale LocaleNamed(const QString& name) {
    return name == "ru" ? QLocale(QLocale::Russian, QLocale::Russia) : QLocale::c();
}

// Decodes a packet with the given limits whose value 0 marks a three-wire net or not, with
// value k set to the pattern.
InfoChanData Decoded(bool threeWire, int k, quint32 pattern, float uLimit = 100.0f,
                     float iLimit = 5.0f) {
    PacketSpec s;
    s.uLimit = uLimit;
    s.iLimit = iLimit;
    s.values[0] = threeWire ? InfoChanNoValue : Bits(0.8f);
    s.values[k] = pattern;
    InfoChanData d;
    const bool ok = d.Decode(QByteArrayView(MakePacket(s)).sliced(InfoChanHeaderSize));
    Q_ASSERT(ok);
    return d;
}

} // namespace

class InfoChanPacketTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void streamWordOrder_data() {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<float>("value");
        QTest::newRow("220.5") << QByteArray::fromHex("8000435C") << 220.5f;
        QTest::newRow("100.0") << QByteArray::fromHex("000042C8") << 100.0f;
        QTest::newRow("0.5") << QByteArray::fromHex("00003F00") << 0.5f;
    }
    void streamWordOrder() {
        QFETCH(QByteArray, stream);
        QFETCH(float, value);
        QCOMPARE(InfoChanPattern(stream), Bits(value));
        QCOMPARE(InfoChanStreamBytes(value), stream);
    }

    void packetBuiltForTestsHasZeroCrc() {
        // The packets of these tests carry their CRC low byte first, as the device does.
        QCOMPARE(ModbusCrc16(MakePacket({})), quint16(0));
    }

    void header() {
        const PacketSpec s{.status = 0xFE,
                           .uLimit = 57.7f,
                           .iLimit = 1.0f,
                           .address = 247,
                           .version = 200,
                           .values = {}};
        InfoChanData d;
        QVERIFY(d.Decode(QByteArrayView(MakePacket(s)).sliced(5)));
        QCOMPARE(d.Status, qint8(-2));
        QCOMPARE(d.ULimit, 57.7f);
        QCOMPARE(d.ILimit, 1.0f);
        QCOMPARE(d.NetAddress, quint8(247));
        QCOMPARE(d.Version, quint8(200));
        QVERIFY(!d.ThreeWire);
    }

    void shortPayloadIsRefused() {
        InfoChanData d = Decoded(false, 3, Bits(0.5f));
        const QByteArray packet = NumberedPacket(9);
        QVERIFY(!d.Decode(QByteArrayView(packet).sliced(5, 100)));
        QCOMPARE(d.Version, quint8(21)); // still the packet decoded before
        QCOMPARE(d.FormatValue(3), QStringLiteral("2.500"));
    }

    // The worked values: limits 100 V and 5 A.
    void workedValues_data() {
        QTest::addColumn<bool>("threeWire");
        QTest::addColumn<int>("k");
        QTest::addColumn<quint32>("pattern");
        QTest::addColumn<QString>("expected");
        QTest::newRow("4w Ua 0.8") << false << 0 << Bits(0.8f) << "100.000";
        QTest::newRow("4w Ia 0.5") << false << 3 << Bits(0.5f) << "2.500";
        QTest::newRow("4w Uab 0.5") << false << 6 << Bits(0.5f) << "108.256";
        QTest::newRow("4w Pa 0.5") << false << 9 << Bits(0.5f) << "250.000";
        QTest::newRow("4w P 0.5") << false << 21 << Bits(0.5f) << "750.000";
        QTest::newRow("4w F 0.5") << false << 25 << Bits(0.5f) << "50.000";
        QTest::newRow("4w Kpa 0.5") << false << 18 << Bits(0.5f) << "0.500";
        QTest::newRow("4w Uo 0.1") << false << 29 << Bits(0.1f) << "12.500";
        QTest::newRow("4w Io 0.1") << false << 30 << Bits(0.1f) << "0.500";
        QTest::newRow("4w Qa -0.5") << false << 12 << Bits(-0.5f) << "-250.000";
        QTest::newRow("4w S 0.5") << false << 23 << Bits(0.5f) << "750.000";
        QTest::newRow("3w Ua") << true << 0 << InfoChanNoValue << Dashes;
        QTest::newRow("3w Uab 0.5") << true << 6 << Bits(0.5f) << "62.500";
        QTest::newRow("3w P 0.5") << true << 21 << Bits(0.5f) << "433.025";
        QTest::newRow("3w Pa 0.5") << true << 9 << Bits(0.5f) << "250.000";
    }
    void workedValues() {
        QFETCH(bool, threeWire);
        QFETCH(int, k);
        QFETCH(quint32, pattern);
        QFETCH(QString, expected);
        const InfoChanData d = Decoded(threeWire, k, pattern);
        QCOMPARE(d.ThreeWire, threeWire);
        QCOMPARE(d.FormatValue(k), expected);
    }

    // Markers and the separators of the regional settings.
    void markersAndSeparators_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("k");
        QTest::addColumn<quint32>("pattern");
        QTest::addColumn<QString>("expected");
        const quint32 above = InfoChanAboveRange, below = InfoChanBelowRange;
        for (const char* loc : {"C", "ru"}) {
            const bool ru = QByteArray(loc) == "ru";
            auto row = [&](const char* name) { return &QTest::addRow("%s %s", loc, name); };
            auto num = [&](const char* c) {
                return ru ? QString::fromUtf8(c).replace(',', u'\u00A0').replace('.', ',')
                          : QString::fromUtf8(c);
            };
            *row("no value") << loc << 4 << InfoChanNoValue << Dashes;
            *row("Ua above") << loc << 0 << above << num("130.000");
            *row("Ua below") << loc << 0 << below << num("-130.000");
            *row("U mean above") << loc << 26 << above << num("130.000");
            *row("Ic below") << loc << 5 << below << num("-6.500");
            *row("Uca above") << loc << 8 << above << num("225.173");
            *row("Pb above") << loc << 10 << above << num("845.000");
            *row("P below, no grouping") << loc << 21 << below << num("-2535.000");
            *row("F above") << loc << 25 << above << "55.000";
            *row("F below") << loc << 25 << below << "45.000";
            // The edges of the values without a range of their own.
            *row("Qc above") << loc << 14 << above << num("845.000");
            *row("Sa below") << loc << 15 << below << num("-845.000");
            *row("Q above") << loc << 22 << above << num("2535.000");
            *row("S below") << loc << 23 << below << num("-2535.000");
            *row("Kpb above") << loc << 19 << above << num("1.000");
            *row("Kp below") << loc << 24 << below << num("-1.000");
            *row("Uo above") << loc << 29 << above << num("130.000");
            *row("Io below") << loc << 30 << below << num("-6.500");
            // Values are grouped in thousands.
            *row("P grouped") << loc << 21 << Bits(2.0f) << num("3,000.000");
            *row("Ua decimals") << loc << 0 << Bits(0.5f) << num("62.500");
        }
    }
    void markersAndSeparators() {
        QFETCH(QString, locale);
        QFETCH(int, k);
        QFETCH(quint32, pattern);
        QFETCH(QString, expected);
        QLocale::setDefault(LocaleNamed(locale));
        const InfoChanData d = Decoded(false, k, pattern);
        QCOMPARE(d.FormatValue(k), expected);
        if (pattern == InfoChanAboveRange || pattern == InfoChanBelowRange)
            QCOMPARE(d.FormatLimit(k, pattern == InfoChanBelowRange), expected);
    }

    void threeWireLimits() {
        // Without phase voltages the line voltage edge is the voltage limit and the total
        // power the phase power times 1.7321.
        const InfoChanData d = Decoded(true, 6, InfoChanAboveRange);
        QCOMPARE(d.FormatValue(6), QStringLiteral("130.000"));
        QCOMPARE(d.FormatLimit(21, false), QStringLiteral("1463.624")); // 866.05 x 1.69
    }

    void statusText_data() {
        QTest::addColumn<quint8>("status");
        QTest::addColumn<QString>("expected");
        QTest::newRow("normal") << quint8(0) << "  норма";
        QTest::newRow("3") << quint8(3) << "ошибка: 3";
        QTest::newRow("FF") << quint8(0xFF) << "ошибка: -1";
        QTest::newRow("80") << quint8(0x80) << "ошибка: -128";
        QTest::newRow("7F") << quint8(0x7F) << "ошибка: 127";
    }
    void statusText() {
        QFETCH(quint8, status);
        QFETCH(QString, expected);
        InfoChanData d;
        QVERIFY(d.Decode(QByteArrayView(MakePacket({.status = status})).sliced(5)));
        QCOMPARE(d.StatusText(), expected);
    }

    void limitValueText_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<float>("limit");
        QTest::addColumn<QString>("expected");
        QTest::newRow("C") << "C" << 100.0f << "100.00";
        QTest::newRow("C no grouping") << "C" << 1234.5f << "1234.50";
        QTest::newRow("ru") << "ru" << 57.7f << "57,70";
    }
    void limitValueText() {
        QFETCH(QString, locale);
        QFETCH(float, limit);
        QFETCH(QString, expected);
        QLocale::setDefault(LocaleNamed(locale));
        QCOMPARE(InfoChanData::FormatLimitValue(limit), expected);
    }
};

QObject* MakeInfoChanPacketTest() {
    return new InfoChanPacketTest;
}

#include "test_infochan_packet.moc"
