// The information-channel packets of tarvik-sim, read back the way a receiver reads them.
#include "infopacket.h"
#include "simcrc.h"

#include <QTest>
#include <bit>
#include <cmath>

using namespace tarvik::sim;

namespace {

std::uint8_t at(const QByteArray& p, int i) {
    return static_cast<std::uint8_t>(p[i]);
}

// A float in stream order: bytes p0 p1 p2 p3 form the pattern p2 p3 p0 p1.
std::uint32_t streamPattern(const QByteArray& p, int offset) {
    return std::uint32_t(at(p, offset + 2)) << 24 | std::uint32_t(at(p, offset + 3)) << 16 |
           std::uint32_t(at(p, offset)) << 8 | at(p, offset + 1);
}

float streamFloat(const QByteArray& p, int offset) {
    return std::bit_cast<float>(streamPattern(p, offset));
}

// The receiver's scaling of value k, written out from its rules: limits from the packet,
// three-wire when value 0 is FF FF FF FF.
double shown(const QByteArray& p, int k) {
    const double u = streamFloat(p, 6), i = streamFloat(p, 10);
    const bool threeWire = streamPattern(p, 16) == 0xFFFFFFFF;
    const double phasePower = u * i;
    const double totalPower = threeWire ? phasePower * 1.7321 : phasePower * 3;
    const double lineVoltage = threeWire ? u : u * 1.7321;
    const double v = streamFloat(p, 16 + 4 * k);
    switch (k) {
    case Ua:
    case Ub:
    case Uc:
    case UMean:
    case U0:
        return v * u * 1.25;
    case Ia:
    case Ib:
    case Ic:
    case IMean:
    case I0:
        return v * i;
    case Uab:
    case Ubc:
    case Uca:
    case ULMean:
        return v * lineVoltage * 1.25;
    case P:
    case Q:
    case S:
        return v * totalPower;
    case F:
        return v * 10 + 45;
    case PFa:
    case PFb:
    case PFc:
    case PF:
        return v;
    default:
        return v * phasePower;
    }
}

} // namespace

class TestSimInfo : public QObject {
    Q_OBJECT

private slots:
    void streamOrder_data();
    void streamOrder();
    void packetLayout_data();
    void packetLayout();
    void workedValues_data();
    void workedValues();
    void markers();
    void streamFaults();
};

void TestSimInfo::streamOrder_data() {
    QTest::addColumn<float>("value");
    QTest::addColumn<QByteArray>("stream");
    QTest::newRow("220.5") << 220.5f << QByteArray::fromHex("8000435C");
    QTest::newRow("100.0") << 100.0f << QByteArray::fromHex("000042C8");
    QTest::newRow("-1.5") << -1.5f << QByteArray::fromHex("0000BFC0");
}

void TestSimInfo::streamOrder() {
    QFETCH(float, value);
    QFETCH(QByteArray, stream);
    QByteArray out;
    appendStreamWord(out, std::bit_cast<std::uint32_t>(value));
    QCOMPARE(out.toHex(' '), stream.toHex(' '));
}

void TestSimInfo::packetLayout_data() {
    QTest::addColumn<bool>("threeWire");
    QTest::addColumn<float>("voltageLimit");
    QTest::addColumn<float>("currentLimit");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("status");
    QTest::newRow("four-wire 100 V 5 A") << false << 100.0f << 5.0f << 1 << 0;
    QTest::newRow("three-wire 100 V 5 A") << true << 100.0f << 5.0f << 1 << 0;
    QTest::newRow("four-wire 400 V 1 A, address 247, status FF")
        << false << 400.0f << 1.0f << 247 << 0xFF;
    QTest::newRow("three-wire 57.7 V 2.5 A") << true << 57.7f << 2.5f << 12 << 3;
}

void TestSimInfo::packetLayout() {
    QFETCH(bool, threeWire);
    QFETCH(float, voltageLimit);
    QFETCH(float, currentLimit);
    QFETCH(int, address);
    QFETCH(int, status);

    InfoPacketSettings s;
    s.threeWire = threeWire;
    s.voltageLimit = voltageLimit;
    s.currentLimit = currentLimit;
    s.address = static_cast<std::uint8_t>(address);
    s.status = static_cast<std::uint8_t>(status);
    s.version = 23;
    const Measurements m = measurementsAt(42.0);
    const QByteArray p = buildInfoPacket(s, m);

    QCOMPARE(p.size(), InfoPacketLength);
    QCOMPARE(p.first(5).toHex(' '), QByteArray("55 aa 01 80 8e"));
    QCOMPARE(crc16(p), std::uint16_t(0));
    const std::uint16_t crc = crc16(p.first(140));
    QCOMPARE(at(p, 140), std::uint8_t(crc & 0xFF));
    QCOMPARE(at(p, 141), std::uint8_t(crc >> 8));
    QCOMPARE(int(at(p, 5)), status);
    QCOMPARE(streamFloat(p, 6), voltageLimit);
    QCOMPARE(streamFloat(p, 10), currentLimit);
    QCOMPARE(int(at(p, 14)), address);
    QCOMPARE(int(at(p, 15)), 23);

    // Scaled back as the receiver does, every value is the one of the Modbus block.
    QCOMPARE(streamPattern(p, 16) == 0xFFFFFFFF, threeWire);
    for (int k = threeWire ? 1 : 0; k < QuantityCount; ++k) {
        const double value = shown(p, k);
        QVERIFY2(
            std::abs(value - m[k]) <= 1e-5 * std::abs(m[k]) + 1e-5,
            qPrintable(QStringLiteral("value %1: %2 instead of %3").arg(k).arg(value).arg(m[k])));
    }
}

void TestSimInfo::workedValues_data() {
    // With limits 100 V and 5 A the receiver shows these values for the normalised 0.5 / 0.8.
    QTest::addColumn<bool>("threeWire");
    QTest::addColumn<int>("k");
    QTest::addColumn<float>("value");
    QTest::addColumn<float>("normalised");
    QTest::newRow("Ua 100 V") << false << int(Ua) << 100.0f << 0.8f;
    QTest::newRow("Ia 2.5 A") << false << int(Ia) << 2.5f << 0.5f;
    QTest::newRow("Uab 108.256 V") << false << int(Uab) << 108.25625f << 0.5f;
    QTest::newRow("Pa 250 W") << false << int(Pa) << 250.0f << 0.5f;
    QTest::newRow("P 750 W") << false << int(P) << 750.0f << 0.5f;
    QTest::newRow("F 50 Hz") << false << int(F) << 50.0f << 0.5f;
    QTest::newRow("PFa 0.5") << false << int(PFa) << 0.5f << 0.5f;
    QTest::newRow("three-wire Uab 62.5 V") << true << int(Uab) << 62.5f << 0.5f;
    QTest::newRow("three-wire P 433.025 W") << true << int(P) << 433.025f << 0.5f;
}

void TestSimInfo::workedValues() {
    QFETCH(bool, threeWire);
    QFETCH(int, k);
    QFETCH(float, value);
    QFETCH(float, normalised);
    InfoPacketSettings s;
    s.threeWire = threeWire;
    QVERIFY(std::abs(normalise(k, value, s) - normalised) < 1e-6f);
}

void TestSimInfo::markers() {
    InfoPacketSettings s;
    s.threeWire = true;
    s.markers[F] = InfoMarker::AboveRange;
    s.markers[Ia] = InfoMarker::BelowRange;
    const QByteArray p = buildInfoPacket(s, measurementsAt(0));
    const auto value = [&](int k) { return p.sliced(16 + 4 * k, 4).toHex(' '); };
    QCOMPARE(value(Ua), QByteArray("ff ff ff ff"));
    QCOMPARE(value(F), QByteArray("ff ff ef ff"));
    QCOMPARE(value(Ia), QByteArray("ff ff df ff"));
    QCOMPARE(crc16(p), std::uint16_t(0));

    // A marker on value 0 takes the place of the three-wire "no value".
    s.markers[Ua] = InfoMarker::BelowRange;
    QCOMPARE(buildInfoPacket(s, measurementsAt(0)).sliced(16, 4).toHex(' '),
             QByteArray("ff ff df ff"));
}

void TestSimInfo::streamFaults() {
    InfoStream stream({}, {.badCrcEvery = 3, .pauseAfter = 4, .pauseMs = 1200});
    QCOMPARE(stream.pauseAfterLastPacket(), 0);
    for (int n = 1; n <= 12; ++n) {
        const QByteArray p = stream.nextPacket(measurementsAt(n));
        QCOMPARE(stream.packetCount(), n);
        QCOMPARE(p.size(), InfoPacketLength);
        QCOMPARE(crc16(p) == 0, n % 3 != 0);
        QCOMPARE(p.first(140), buildInfoPacket({}, measurementsAt(n)).first(140));
        QCOMPARE(stream.pauseAfterLastPacket(), n % 4 == 0 ? 1200 : 0);
    }
}

QTEST_GUILESS_MAIN(TestSimInfo)
#include "tst_sim_info.moc"
