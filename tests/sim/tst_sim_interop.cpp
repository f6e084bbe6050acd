// The built tarvik-sim against mbpoll, a Modbus master nobody here wrote, and its information
// channel read straight from the terminal.
#include "infopacket.h"
#include "measurements.h"
#include "simcrc.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <bit>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <unistd.h>

using namespace tarvik::sim;

namespace {

// One running tarvik-sim; stopped (and if need be killed) when it goes out of scope.
class Sim {
public:
    explicit Sim(const QStringList& arguments) {
        process_.setProgram(QStringLiteral(TARVIK_SIM_PATH));
        process_.setArguments(arguments);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start();
    }
    ~Sim() { stop(); }

    // Reads the lines "modbus: PATH" (and "info: PATH" when `info`) the program prints.
    bool waitForPaths(bool info) {
        while (modbus.isEmpty() || (info && this->info.isEmpty())) {
            if (!process_.canReadLine() && !process_.waitForReadyRead(5000)) return false;
            while (process_.canReadLine()) {
                const QString line = QString::fromLocal8Bit(process_.readLine()).trimmed();
                if (line.startsWith("modbus: "))
                    modbus = line.mid(8);
                else if (line.startsWith("info: "))
                    this->info = line.mid(6);
            }
        }
        return true;
    }

    void signal(int number) { ::kill(static_cast<pid_t>(process_.processId()), number); }

    // SIGTERM, then the exit code (-1 when it had to be killed).
    int stop() {
        if (process_.state() == QProcess::NotRunning)
            return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
        process_.terminate();
        if (process_.waitForFinished(3000) && process_.exitStatus() == QProcess::NormalExit)
            return process_.exitCode();
        process_.kill();
        process_.waitForFinished(3000);
        return -1;
    }

    QString modbus;
    QString info;

private:
    QProcess process_;
};

struct MbpollResult {
    int exitCode = -1;
    QString output; // stdout and stderr
};

MbpollResult mbpoll(const QString& path, const QStringList& arguments) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStandardPaths::findExecutable("mbpoll"),
            QStringList{"-m", "rtu", "-b", "9600", "-P", "none", "-1", "-o", "1"} + arguments +
                QStringList{path});
    MbpollResult r;
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished();
        r.output = "mbpoll did not finish";
        return r;
    }
    r.exitCode = p.exitCode();
    r.output = QString::fromLocal8Bit(p.readAll());
    return r;
}

// The values of mbpoll's "[ref]: value" lines, by reference.
QMap<int, double> values(const QString& output) {
    QMap<int, double> out;
    static const QRegularExpression line(R"(^\[(\d+)\]:\s+(\S+)\s*$)",
                                         QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(output); it.hasNext();) {
        const auto m = it.next();
        out[m.captured(1).toInt()] = m.captured(2).toDouble();
    }
    return out;
}

// The 31 floats of the measurement block, read with one request.
bool readBlock(const QString& path, int address, Measurements& m, QString& output) {
    const MbpollResult r = mbpoll(
        path, {"-a", QString::number(address), "-t", "4:float", "-B", "-r", "1", "-c", "31"});
    output = r.output;
    const QMap<int, double> v = values(r.output);
    if (r.exitCode != 0 || v.size() != QuantityCount) return false;
    for (int k = 0; k < QuantityCount; ++k)
        m[k] = static_cast<float>(v.value(1 + 2 * k));
    return true;
}

// Waits for a packet with a good CRC on the information channel; empty after `ms` without one.
QByteArray readPacket(int fd, int ms) {
    QByteArray buffer;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        char chunk[512];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0) buffer.append(chunk, n);
        for (qsizetype at = buffer.indexOf(QByteArray(InfoHeader, InfoHeaderLength));
             at >= 0 && at + InfoPacketLength <= buffer.size();
             at = buffer.indexOf(QByteArray(InfoHeader, InfoHeaderLength), at + 1)) {
            if (crcIsValid(buffer.sliced(at, InfoPacketLength)))
                return buffer.sliced(at, InfoPacketLength);
        }
    }
    return {};
}

// True when nothing arrives for `quietMs`, watched for at most `ms`.
bool goesQuiet(int fd, int quietMs, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, quietMs) == 0) return true;
        char chunk[512];
        [[maybe_unused]] const ssize_t n = ::read(fd, chunk, sizeof chunk);
    }
    return false;
}

float streamFloat(const QByteArray& p, int offset) {
    const auto b = [&](int i) { return std::uint32_t(static_cast<std::uint8_t>(p[offset + i])); };
    return std::bit_cast<float>(b(2) << 24 | b(3) << 16 | b(0) << 8 | b(1));
}

bool near(double a, double b) {
    return std::abs(a - b) <= 1e-4 * std::abs(b) + 1e-4;
}

} // namespace

class TestSimInterop : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void mbpollReadsTheBlock_data();
    void mbpollReadsTheBlock();
    void mbpollSeesTheDevice_data();
    void mbpollSeesTheDevice();
    void infoStreamAgreesWithModbus();
    void signalStopsAndRestartsTheStream();
    void linksFollowTheTerminals();
};

void TestSimInterop::initTestCase() {
    if (QStandardPaths::findExecutable("mbpoll").isEmpty())
        QFAIL("mbpoll is not installed (Debian package mbpoll); the interop tests need it");
}

void TestSimInterop::mbpollReadsTheBlock_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("address");
    QTest::newRow("plain") << QStringList{} << 1;
    QTest::newRow("address 9") << QStringList{"--address", "9"} << 9;
    QTest::newRow("split replies") << QStringList{"--split", "20"} << 1;
    QTest::newRow("paced at 19200 baud") << QStringList{"--wire-baud", "19200"} << 1;
    QTest::newRow("delayed replies") << QStringList{"--delay", "100"} << 1;
}

void TestSimInterop::mbpollReadsTheBlock() {
    QFETCH(QStringList, options);
    QFETCH(int, address);
    Sim sim(options);
    QVERIFY(sim.waitForPaths(false));

    Measurements m{};
    QString output;
    QVERIFY2(readBlock(sim.modbus, address, m, output), qPrintable(output));
    for (int p = 0; p < 3; ++p) {
        QVERIFY2(m[Ua + p] > 55 && m[Ua + p] < 60.5, qPrintable(output));
        QVERIFY2(m[Ia + p] > 4.5 && m[Ia + p] < 5.5, qPrintable(output));
        QVERIFY2(m[Uab + p] > 95 && m[Uab + p] < 105, qPrintable(output));
        QVERIFY2(m[PFa + p] > 0.8 && m[PFa + p] < 0.97, qPrintable(output));
    }
    QVERIFY2(m[F] > 49.8 && m[F] < 50.2, qPrintable(output));
    QVERIFY2(near(m[P], double(m[Pa]) + m[Pb] + m[Pc]), qPrintable(output));
    QVERIFY2(m[U0] >= 0 && m[U0] < 2, qPrintable(output));
}

void TestSimInterop::mbpollSeesTheDevice_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("request");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("expected");
    // mbpoll's references are 1-based: reference 61 is register 60.
    QTest::newRow("last two registers")
        << QStringList{} << QStringList{"-t", "4:hex", "-r", "61", "-c", "2"} << 0 << "[62]:";
    QTest::newRow("register 62 does not exist")
        << QStringList{} << QStringList{"-r", "63"} << 1 << "Illegal data address";
    // mbpoll leaves with 0 after a failed "report slave id"; only its message tells.
    QTest::newRow("unknown function")
        << QStringList{} << QStringList{"-u"} << 0 << "Illegal function";
    QTest::newRow("another slave address")
        << QStringList{} << QStringList{"-a", "2", "-o", "0.2"} << 1 << "timed out";
    QTest::newRow("corrupted CRC")
        << QStringList{"--corrupt-every", "1"} << QStringList{"-r", "1"} << 1 << "Invalid CRC";
}

void TestSimInterop::mbpollSeesTheDevice() {
    QFETCH(QStringList, options);
    QFETCH(QStringList, request);
    QFETCH(int, exitCode);
    QFETCH(QString, expected);
    Sim sim(options);
    QVERIFY(sim.waitForPaths(false));
    const MbpollResult r = mbpoll(sim.modbus, request);
    QVERIFY2(r.output.contains(expected), qPrintable(r.output));
    QCOMPARE(r.exitCode, exitCode);
}

void TestSimInterop::infoStreamAgreesWithModbus() {
    Sim sim({"--no-drift", "--address", "3", "--info", "--info-voltage-limit", "120"});
    QVERIFY(sim.waitForPaths(true));
    const int fd = ::open(qPrintable(sim.info), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    QVERIFY(fd >= 0);
    const auto closeFd = qScopeGuard([fd] { ::close(fd); });

    const QByteArray packet = readPacket(fd, 3000);
    QCOMPARE(packet.size(), InfoPacketLength);
    QCOMPARE(int(packet[14]), 3);
    QCOMPARE(streamFloat(packet, 6), 120.0f);
    QCOMPARE(streamFloat(packet, 10), 5.0f);

    Measurements m{};
    QString output;
    QVERIFY2(readBlock(sim.modbus, 3, m, output), qPrintable(output));
    const auto value = [&](int k) { return streamFloat(packet, 16 + 4 * k); };
    // A few values of each scale group, scaled back with the packet's four-wire limits.
    QVERIFY(near(value(Ua) * 120 * 1.25, m[Ua]));
    QVERIFY(near(value(Ic) * 5, m[Ic]));
    QVERIFY(near(value(Ubc) * 120 * 1.7321 * 1.25, m[Ubc]));
    QVERIFY(near(value(Qb) * 120 * 5, m[Qb]));
    QVERIFY(near(value(S) * 120 * 5 * 3, m[S]));
    QVERIFY(near(value(F) * 10 + 45, m[F]));
    QVERIFY(near(value(PF), m[PF]));
}

void TestSimInterop::signalStopsAndRestartsTheStream() {
    Sim sim({"--info"});
    QVERIFY(sim.waitForPaths(true));
    const int fd = ::open(qPrintable(sim.info), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    QVERIFY(fd >= 0);
    const auto closeFd = qScopeGuard([fd] { ::close(fd); });

    QCOMPARE(readPacket(fd, 3000).size(), InfoPacketLength);
    sim.signal(SIGUSR1);
    // Packets follow each other without a gap, so a quiet half second means the stream stopped.
    QVERIFY(goesQuiet(fd, 500, 5000));
    sim.signal(SIGUSR1);
    QCOMPARE(readPacket(fd, 3000).size(), InfoPacketLength);
}

void TestSimInterop::linksFollowTheTerminals() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString modbusLink = dir.filePath("tarvik");
    const QString infoLink = dir.filePath("tarvik-info");
    auto sim = std::make_unique<Sim>(QStringList{"--link", modbusLink, "--info-link", infoLink});
    QVERIFY(sim->waitForPaths(true));
    QCOMPARE(QFileInfo(modbusLink).symLinkTarget(), sim->modbus);
    QCOMPARE(QFileInfo(infoLink).symLinkTarget(), sim->info);

    Measurements m{};
    QString output;
    QVERIFY2(readBlock(modbusLink, 1, m, output), qPrintable(output));

    QCOMPARE(sim->stop(), 0);
    QVERIFY(!QFileInfo(modbusLink).isSymLink());
    QVERIFY(!QFileInfo(infoLink).isSymLink());
}

QTEST_GUILESS_MAIN(TestSimInterop)
#include "tst_sim_interop.moc"
