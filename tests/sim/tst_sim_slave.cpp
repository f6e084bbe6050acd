// The slave logic of tarvik-sim, in-process: frames in, replies out.
#include "measurements.h"
#include "registermap.h"
#include "simcrc.h"
#include "slave.h"

#include <QTest>
#include <bit>
#include <cmath>

using namespace tarvik::sim;

namespace {

QByteArray bytes(const QString& hex) {
    return QByteArray::fromHex(hex.toLatin1());
}

QByteArray withCrc(const QString& hex) {
    QByteArray frame = bytes(hex);
    appendCrc(frame);
    return frame;
}

// Value k of the fixture's block is 100 + k + 0.25, so every pair is recognisable.
Measurements numbered() {
    Measurements m{};
    for (int k = 0; k < QuantityCount; ++k)
        m[k] = 100.0f + static_cast<float>(k) + 0.25f;
    return m;
}

float floatAt(const QByteArray& reply, int offset) {
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits = bits << 8 | static_cast<std::uint8_t>(reply[offset + i]);
    return std::bit_cast<float>(bits);
}

// The reply a slave gives to one request, after the line went idle if it waited for that.
QByteArray replyTo(Slave& slave, const QByteArray& request, bool* waitedForIdle = nullptr) {
    std::vector<Exchange> out = slave.receive(request);
    if (waitedForIdle) *waitedForIdle = slave.hasPendingBytes();
    if (out.empty()) out = slave.lineIdle();
    return out.empty() ? QByteArray() : out.front().reply;
}

} // namespace

class TestSimSlave : public QObject {
    Q_OBJECT

private slots:
    void crc_data();
    void crc();
    void requests_data();
    void requests();
    void fullBlockCarriesTheMeasurements_data();
    void fullBlockCarriesTheMeasurements();
    void lineAssembly_data();
    void lineAssembly();
    void faultsFollowTheRequestNumber_data();
    void faultsFollowTheRequestNumber();
    void writesPersistInSettingsBlocks_data();
    void writesPersistInSettingsBlocks();
};

void TestSimSlave::crc_data() {
    QTest::addColumn<QString>("frame");
    // Frames with the CRC bytes the program's own link must produce for them.
    QTest::newRow("read 10") << "01 03 00 00 00 0A C5 CD";
    QTest::newRow("read block") << "01 03 00 00 00 3E C4 1A";
    QTest::newRow("write 06") << "01 06 02 04 00 03 89 B2";
    QTest::newRow("write float") << "01 10 08 00 00 02 04 41 20 00 00 81 99";
    QTest::newRow("function 20") << "01 14 0C 00 00 00 05 00 50 DB A2";
    QTest::newRow("exception") << "01 83 02 C0 F1";
}

void TestSimSlave::crc() {
    QFETCH(QString, frame);
    const QByteArray full = bytes(frame);
    QByteArray body = full.first(full.size() - 2);
    appendCrc(body);
    QCOMPARE(body.toHex(' '), full.toHex(' '));
    QVERIFY(crcIsValid(full));
    QByteArray damaged = full;
    damaged[2] = static_cast<char>(damaged[2] ^ 0x01);
    QVERIFY(!crcIsValid(damaged));
}

void TestSimSlave::requests_data() {
    QTest::addColumn<int>("address");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QString>("expected"); // without the CRC; empty for silence
    QTest::addColumn<bool>("waitsForIdle");

    // Pair k holds 100 + k + 0.25: 100.25 = 42 C8 80 00, 101.25 = 42 CA 80 00, 130.25 = 43 02 40
    // 00.
    const auto row = [](const char* name, int address, const QString& request,
                        const QString& expected, bool idle = false) {
        QTest::newRow(name) << address << withCrc(request) << expected << idle;
    };
    row("first pair", 1, "01 03 00 00 00 02", "01 03 04 42 C8 80 00");
    row("two pairs", 1, "01 03 00 00 00 04", "01 03 08 42 C8 80 00 42 CA 80 00");
    row("odd start", 1, "01 03 00 01 00 02", "01 03 04 80 00 42 CA");
    row("last pair", 1, "01 03 00 3C 00 02", "01 03 04 43 02 40 00");
    row("last register", 1, "01 03 00 3D 00 01", "01 03 02 40 00");
    row("another slave address", 17, "11 03 00 3C 00 02", "11 03 04 43 02 40 00");
    row("start past the block", 1, "01 03 00 3E 00 01", "01 83 02");
    row("end past the block", 1, "01 03 00 3C 00 03", "01 83 02");
    row("125 registers from 0", 1, "01 03 00 00 00 7D", "01 83 02");
    row("missing register", 1, "01 03 02 00 00 01", "01 83 02");
    row("highest address", 1, "01 03 FF FF 00 01", "01 83 02");
    row("count 0", 1, "01 03 00 00 00 00", "01 83 03");
    row("count 126", 1, "01 03 00 00 00 7E", "01 83 03");
    row("count 65535", 1, "01 03 00 00 FF FF", "01 83 03");
    row("write to a measurement", 1, "01 06 00 00 00 01", "01 86 02");
    row("write two to measurements", 1, "01 10 00 00 00 01 02 00 01", "01 90 02");
    row("byte count disagrees", 1, "01 10 00 00 00 02 02 00 01", "01 90 03");
    row("unknown function 04", 1, "01 04 00 00 00 02", "01 84 01", true);
    row("report slave id", 1, "01 11", "01 91 01", true);
    row("read for another slave", 1, "02 03 00 00 00 02", "");
    row("broadcast read", 1, "00 03 00 00 00 02", "");
    row("our own exception reply", 1, "01 83 02", "", true);
    row("our own read reply", 1, "01 03 04 42 C8 80 00", "", true);

    QByteArray badCrc = withCrc("01 03 00 00 00 02");
    badCrc[7] = static_cast<char>(badCrc[7] ^ 0x40);
    QTest::newRow("bad CRC") << 1 << badCrc << QString() << true;
}

void TestSimSlave::requests() {
    QFETCH(int, address);
    QFETCH(QByteArray, request);
    QFETCH(QString, expected);
    QFETCH(bool, waitsForIdle);

    RegisterMap registers = transducerRegisters(numbered);
    Slave slave({.address = static_cast<std::uint8_t>(address)}, registers);
    bool waited = false;
    const QByteArray reply = replyTo(slave, request, &waited);
    QCOMPARE(reply.toHex(' '), expected.isEmpty() ? QByteArray() : withCrc(expected).toHex(' '));
    QCOMPARE(waited, waitsForIdle);
    QVERIFY(!slave.hasPendingBytes());
}

void TestSimSlave::fullBlockCarriesTheMeasurements_data() {
    QTest::addColumn<double>("seconds");
    for (const double t : {0.0, 12.5, 95.0, 3600.0, 86400.0 * 3})
        QTest::addRow("%g s", t) << t;
}

void TestSimSlave::fullBlockCarriesTheMeasurements() {
    QFETCH(double, seconds);
    const Measurements m = measurementsAt(seconds);
    RegisterMap registers = transducerRegisters([&] { return m; });
    Slave slave({}, registers);
    const QByteArray reply = replyTo(slave, withCrc("01 03 00 00 00 3E"));
    QCOMPARE(reply.size(), 129);
    QCOMPARE(reply.first(3).toHex(' '), QByteArray("01 03 7c"));
    QVERIFY(crcIsValid(reply));
    for (int k = 0; k < QuantityCount; ++k)
        QCOMPARE(floatAt(reply, 3 + 4 * k), m[k]);

    // The values are those of a plausible, self-consistent network.
    const auto near = [](double a, double b, double tolerance) {
        return std::abs(a - b) <= tolerance;
    };
    for (int p = 0; p < 3; ++p) {
        const double u = m[Ua + p], i = m[Ia + p], next = m[Ua + (p + 1) % 3];
        QVERIFY2(u > 55 && u < 60.5, qPrintable(QString::number(u)));
        QVERIFY2(i > 4.5 && i < 5.5, qPrintable(QString::number(i)));
        // Phasors 120 degrees apart: |Ua - Ub|^2 = Ua^2 + Ub^2 + Ua Ub.
        QVERIFY(near(m[Uab + p], std::sqrt(u * u + next * next + u * next), 1e-3));
        QVERIFY(m[Uab + p] > 95 && m[Uab + p] < 105);
        QVERIFY(near(m[Sa + p], u * i, 1e-3));
        QVERIFY(near(std::hypot(m[Pa + p], m[Qa + p]), m[Sa + p], 1e-2));
        QVERIFY(near(m[PFa + p], m[Pa + p] / m[Sa + p], 1e-5));
        QVERIFY(m[PFa + p] > 0.8 && m[PFa + p] < 0.97);
    }
    QVERIFY(near(m[P], double(m[Pa]) + m[Pb] + m[Pc], 1e-3));
    QVERIFY(near(m[Q], double(m[Qa]) + m[Qb] + m[Qc], 1e-3));
    QVERIFY(near(m[S], double(m[Sa]) + m[Sb] + m[Sc], 1e-3));
    QVERIFY(near(m[PF], m[P] / m[S], 1e-5));
    QVERIFY(m[F] > 49.8 && m[F] < 50.2);
    QVERIFY(near(m[UMean], (double(m[Ua]) + m[Ub] + m[Uc]) / 3, 1e-4));
    QVERIFY(near(m[IMean], (double(m[Ia]) + m[Ib] + m[Ic]) / 3, 1e-5));
    QVERIFY(near(m[ULMean], (double(m[Uab]) + m[Ubc] + m[Uca]) / 3, 1e-4));
    QVERIFY(m[U0] >= 0 && m[U0] < 2);
    QVERIFY(m[I0] >= 0 && m[I0] < 1);

    // Drift: slow (about 1 % in a second at most; the small zero-sequence values may move
    // by some hundredths) but present (nothing frozen over a minute).
    const Measurements second = measurementsAt(seconds + 1);
    const Measurements minute = measurementsAt(seconds + 60);
    int changed = 0;
    for (int k = 0; k < QuantityCount; ++k) {
        QVERIFY2(std::abs(second[k] - m[k]) <= 0.01 * std::abs(m[k]) + 0.05,
                 qPrintable(QString::number(k)));
        changed += minute[k] != m[k];
    }
    QCOMPARE(changed, int(QuantityCount));
}

void TestSimSlave::lineAssembly_data() {
    // Steps: "+HEX" a request (CRC appended), several joined by '|' arrive in one read;
    // "*HEX" a request arriving one byte per read; "=HEX" raw bytes; "idle" the line goes quiet.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("replies"); // without CRC, in order

    const QString pair0 = "01 03 04 42 C8 80 00";
    const QString pair30 = "01 03 04 43 02 40 00";
    QTest::newRow("byte by byte") << QStringList{"*01 03 00 00 00 02"} << QStringList{pair0};
    QTest::newRow("two requests in one read")
        << QStringList{"+01 03 00 00 00 02|01 03 00 3C 00 02"} << QStringList{pair0, pair30};
    QTest::newRow("another slave's request, then ours")
        << QStringList{"+02 03 00 00 00 02|01 03 00 3C 00 02"} << QStringList{pair30};
    QTest::newRow("garbage before a request is dropped with it")
        << QStringList{"=DE AD", "+01 03 00 00 00 02", "idle", "+01 03 00 3C 00 02"}
        << QStringList{pair30};
    QTest::newRow("truncated request is dropped at idle")
        << QStringList{"=01 03 00 00", "idle", "+01 03 00 3C 00 02"} << QStringList{pair30};
    QTest::newRow("unknown function is answered at idle")
        << QStringList{"+01 04 00 00 00 02", "idle"} << QStringList{"01 84 01"};
    QTest::newRow("idle without bytes")
        << QStringList{"idle", "+01 03 00 00 00 02", "idle"} << QStringList{pair0};
    // The program's function 16 frame for 200 registers carries the byte count 144 (400 kept
    // to 8 bits): its length cannot be told from the header, the whole frame is taken at idle.
    QTest::newRow("write of 200 registers")
        << QStringList{"+01 10 08 00 00 C8 90" + QString(" 00").repeated(400), "idle"}
        << QStringList{"01 90 03"};
}

void TestSimSlave::lineAssembly() {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, replies);

    RegisterMap registers = transducerRegisters(numbered);
    Slave slave({}, registers);
    QStringList got;
    const auto collect = [&](const std::vector<Exchange>& out) {
        for (const Exchange& e : out)
            if (!e.reply.isEmpty())
                got << QString::fromLatin1(e.reply.first(e.reply.size() - 2).toHex(' ').toUpper());
    };
    for (const QString& step : steps) {
        const QString body = step.mid(1);
        if (step == "idle") {
            collect(slave.lineIdle());
        } else if (step.startsWith('=')) {
            collect(slave.receive(bytes(body)));
        } else if (step.startsWith('*')) {
            const QByteArray request = withCrc(body);
            for (const char c : request)
                collect(slave.receive(QByteArray(1, c)));
        } else {
            QByteArray burst;
            for (const QString& request : body.split('|'))
                burst += withCrc(request);
            collect(slave.receive(burst));
        }
    }
    QCOMPARE(got, replies);
}

void TestSimSlave::faultsFollowTheRequestNumber_data() {
    QTest::addColumn<int>("dropEvery");
    QTest::addColumn<int>("corruptEvery");
    QTest::addColumn<int>("garbageEvery");
    QTest::addColumn<bool>("garbageAfter");
    // What happens to the reply of requests 1 to 8: '.' good, 'd' dropped, 'c' CRC inverted,
    // 'g' garbage added.
    QTest::addColumn<QStringList>("fate");

    QTest::newRow("none") << 0 << 0 << 0 << false
                          << QStringList{".", ".", ".", ".", ".", ".", ".", "."};
    QTest::newRow("drop every 3") << 3 << 0 << 0 << false
                                  << QStringList{".", ".", "d", ".", ".", "d", ".", "."};
    QTest::newRow("corrupt every 2")
        << 0 << 2 << 0 << false << QStringList{".", "c", ".", "c", ".", "c", ".", "c"};
    QTest::newRow("drop wins over corrupt")
        << 2 << 3 << 0 << false << QStringList{".", "d", "c", "d", ".", "d", ".", "d"};
    QTest::newRow("garbage before")
        << 0 << 0 << 3 << false << QStringList{".", ".", "g", ".", ".", "g", ".", "."};
    QTest::newRow("garbage after, with corruption")
        << 0 << 4 << 2 << true << QStringList{".", "g", ".", "cg", ".", "g", ".", "cg"};
}

void TestSimSlave::faultsFollowTheRequestNumber() {
    QFETCH(int, dropEvery);
    QFETCH(int, corruptEvery);
    QFETCH(int, garbageEvery);
    QFETCH(bool, garbageAfter);
    QFETCH(QStringList, fate);

    RegisterMap registers = transducerRegisters(numbered);
    Slave slave({.address = 1,
                 .dropEvery = dropEvery,
                 .corruptEvery = corruptEvery,
                 .garbageEvery = garbageEvery,
                 .garbageAfter = garbageAfter},
                registers);
    // Requests 1 to 8 alternate reads and an exception; frames for another slave and frames
    // with a bad CRC come in between and are not counted.
    QByteArray badCrc = withCrc("01 03 00 00 00 02");
    badCrc[6] = static_cast<char>(badCrc[6] ^ 0xFF);
    const QByteArray garbage(GarbageBytes, GarbageLength);
    for (int n = 1; n <= 8; ++n) {
        QVERIFY(slave.receive(withCrc("05 03 00 00 00 02")).empty());
        QVERIFY(slave.receive(badCrc).empty());
        QVERIFY(slave.lineIdle().empty());
        const QByteArray request =
            withCrc(n % 2 ? "01 03 00 00 00 3E" : "01 03 00 40 00 01"); // the latter: exception 2
        const std::vector<Exchange> out = slave.receive(request);
        QCOMPARE(out.size(), size_t(1));
        const Exchange& e = out.front();
        QCOMPARE(e.number, n);
        QCOMPARE(slave.requestCount(), n);

        const QString expected = fate[n - 1];
        const QByteArray good = slave.answer(request);
        QVERIFY(!good.isEmpty());
        QCOMPARE(e.dropped, expected.contains('d'));
        QCOMPARE(e.corrupted, expected.contains('c'));
        QCOMPARE(e.garbage, expected.contains('g'));
        if (e.dropped) {
            QVERIFY(e.reply.isEmpty());
            continue;
        }
        QByteArray frame = e.reply;
        if (e.garbage) {
            QCOMPARE(garbageAfter ? frame.last(4) : frame.first(4), garbage);
            frame = garbageAfter ? frame.first(frame.size() - 4) : frame.sliced(4);
        }
        QCOMPARE(frame.size(), good.size());
        QCOMPARE(frame.first(frame.size() - 2), good.first(good.size() - 2));
        if (e.corrupted) {
            QVERIFY(!crcIsValid(frame));
            QCOMPARE(static_cast<char>(~frame[frame.size() - 1]), good[good.size() - 1]);
            QCOMPARE(static_cast<char>(~frame[frame.size() - 2]), good[good.size() - 2]);
        } else {
            QCOMPARE(frame, good);
        }
    }
}

void TestSimSlave::writesPersistInSettingsBlocks_data() {
    // A settings-like block: 4 registers at 512, 514, 516, 518 (two address units each),
    // holding 11, 12, 13, 14; a block of two floats at 2048 and 2052.
    QTest::addColumn<QStringList>("requests"); // sent in order, CRC appended
    QTest::addColumn<QStringList>("replies");  // without CRC
    QTest::newRow("read with step 2")
        << QStringList{"01 03 02 00 00 04"} << QStringList{"01 03 08 00 0B 00 0C 00 0D 00 0E"};
    QTest::newRow("read from the middle")
        << QStringList{"01 03 02 04 00 02"} << QStringList{"01 03 04 00 0D 00 0E"};
    QTest::newRow("odd address between registers")
        << QStringList{"01 03 02 01 00 01", "01 06 02 05 00 01"}
        << QStringList{"01 83 02", "01 86 02"};
    QTest::newRow("read past the last register")
        << QStringList{"01 03 02 06 00 02"} << QStringList{"01 83 02"};
    QTest::newRow("single write persists")
        << QStringList{"01 06 02 04 00 03", "01 03 02 00 00 04"}
        << QStringList{"01 06 02 04 00 03", "01 03 08 00 0B 00 0C 00 03 00 0E"};
    QTest::newRow("float write persists")
        << QStringList{"01 10 08 00 00 02 04 41 20 00 00", "01 03 08 00 00 04"}
        << QStringList{"01 10 08 00 00 02", "01 03 08 41 20 00 00 00 00 00 00"};
    QTest::newRow("write may not leave the block")
        << QStringList{"01 10 02 06 00 02 04 00 01 00 02", "01 03 02 06 00 01"}
        << QStringList{"01 90 02", "01 03 02 00 0E"};
}

void TestSimSlave::writesPersistInSettingsBlocks() {
    QFETCH(QStringList, requests);
    QFETCH(QStringList, replies);

    RegisterMap registers = transducerRegisters(numbered);
    RegisterBlock parameters;
    parameters.name = "parameters";
    parameters.first = 512;
    parameters.count = 4;
    parameters.step = 2;
    parameters.writable = true;
    parameters.words = {11, 12, 13, 14};
    registers.add(parameters);
    RegisterBlock ratios;
    ratios.name = "ratios";
    ratios.first = 2048;
    ratios.count = 4;
    ratios.step = 2;
    ratios.writable = true;
    registers.add(ratios);

    Slave slave({}, registers);
    QStringList got;
    for (const QString& request : requests) {
        const QByteArray reply = replyTo(slave, withCrc(request));
        got << (reply.isEmpty()
                    ? QStringLiteral("(silence)")
                    : QString::fromLatin1(reply.first(reply.size() - 2).toHex(' ').toUpper()));
    }
    QCOMPARE(got, replies);
}

QTEST_GUILESS_MAIN(TestSimSlave)
#include "tst_sim_slave.moc"
