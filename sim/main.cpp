// tarvik-sim: a virtual Tarvik transducer on pseudo-terminals.
#include "infopacket.h"
#include "measurements.h"
#include "options.h"
#include "ptyline.h"
#include "registermap.h"
#include "slave.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

using namespace tarvik::sim;

namespace {

// Signals reach the event loop through a socket pair: the handler only writes the number.
int signalPipe[2] = {-1, -1};

extern "C" void onSignal(int number) {
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const auto n = ::write(signalPipe[0], &byte, 1);
}

QString hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

void printLine(const QString& line) {
    std::fputs(qPrintable(line + '\n'), stdout);
    std::fflush(stdout);
}

void logExchange(const Exchange& e) {
    QString line = QStringLiteral("#%1 <- %2").arg(e.number).arg(hex(e.request));
    if (e.dropped)
        line += QStringLiteral("  (reply dropped)");
    else if (e.reply.isEmpty())
        line += QStringLiteral("  (no reply)");
    else
        line += QStringLiteral("\n#%1 -> %2%3%4")
                    .arg(e.number)
                    .arg(hex(e.reply), e.corrupted ? QStringLiteral("  (CRC inverted)") : QString(),
                         e.garbage ? QStringLiteral("  (with garbage)") : QString());
    std::fputs(qPrintable(line + '\n'), stderr);
}

// The Modbus side: bytes from the line go to the slave, its replies go back with the timing
// the options ask for.
class ModbusService {
public:
    ModbusService(const SimOptions& options, PtyLine& line, Slave& slave)
        : options_(options), line_(line), slave_(slave) {
        // The line is idle after 3.5 character times of silence; on a pseudo-terminal, where
        // bytes come in bursts, some milliseconds more keep a master's write in one piece.
        const int charMs = options.wireBaud > 0 ? 35000 / options.wireBaud + 1 : 0;
        idle_.setSingleShot(true);
        idle_.setInterval(std::max(20, charMs));
        QObject::connect(&idle_, &QTimer::timeout, [this] { answer(slave_.lineIdle()); });
        QObject::connect(&line_, &PtyLine::received, [this](const QByteArray& bytes) {
            answer(slave_.receive(bytes));
            if (slave_.hasPendingBytes())
                idle_.start();
            else
                idle_.stop();
        });
    }

private:
    void answer(const std::vector<Exchange>& exchanges) {
        for (const Exchange& e : exchanges) {
            if (options_.verbose) logExchange(e);
            if (e.reply.isEmpty()) continue;
            double pause = options_.delayMs;
            if (options_.wireBaud > 0) // the request's own time on the line, then 3.5 characters
                pause += (e.request.size() * 10 + 35) * 1000.0 / options_.wireBaud;
            if (options_.splitMs < 0) {
                line_.send(e.reply, pause);
            } else {
                const qsizetype half = e.reply.size() / 2;
                line_.send(e.reply.first(half), pause);
                line_.send(e.reply.sliced(half), options_.splitMs);
            }
        }
    }

    const SimOptions& options_;
    PtyLine& line_;
    Slave& slave_;
    QTimer idle_;
};

// The information channel: packets back to back, paced by the line, while the stream is on.
class InfoService {
public:
    InfoService(const SimOptions& options, PtyLine& line, std::function<Measurements()> source)
        : line_(line), stream_(options.packet, options.stream), source_(std::move(source)) {
        // Queued: the next packet is sent from the event loop, never from inside the line's
        // own write.
        QObject::connect(
            &line_, &PtyLine::drained, &line_, [this] { next(); }, Qt::QueuedConnection);
    }

    void start() { next(); }

    void toggle() {
        on_ = !on_;
        std::fprintf(stderr, "info stream %s\n", on_ ? "on" : "off");
        if (on_)
            next();
        else
            line_.dropQueued();
    }

private:
    void next() {
        if (!on_ || !line_.idle()) return;
        // Nobody reading: throw away what piled up, so a program that opens the line later
        // gets the current packets, not old ones.
        if (line_.unreadBytes() > 4 * InfoPacketLength) line_.dropUnread();
        const int pause = stream_.pauseAfterLastPacket();
        line_.send(stream_.nextPacket(source_()), pause);
    }

    PtyLine& line_;
    InfoStream stream_;
    std::function<Measurements()> source_;
    bool on_ = true;
};

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("tarvik-sim");
    const ParsedCommandLine parsed = parseCommandLine(QCoreApplication::arguments());
    if (parsed.help) {
        std::fputs(qPrintable(parsed.text), stdout);
        return 0;
    }
    if (!parsed.options) {
        std::fprintf(stderr, "tarvik-sim: %s\nTry tarvik-sim --help.\n", qPrintable(parsed.text));
        return 2;
    }
    const SimOptions& options = *parsed.options;

    std::signal(SIGPIPE, SIG_IGN);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        std::perror("tarvik-sim: socketpair");
        return 1;
    }

    QElapsedTimer clock;
    clock.start();
    const bool drift = !options.noDrift;
    auto source = [&clock, drift] { return measurementsAt(drift ? clock.elapsed() / 1000.0 : 0); };

    RegisterMap registers = transducerRegisters(source);
    Slave slave(options.slave, registers);

    QString error;
    PtyLine modbusLine(options.wireBaud);
    if (!modbusLine.open(&error)) {
        std::fprintf(stderr, "tarvik-sim: %s\n", qPrintable(error));
        return 1;
    }
    ModbusService modbus(options, modbusLine, slave);

    PtyLine infoLine(options.infoBaud);
    std::unique_ptr<InfoService> info;
    if (options.info) {
        if (!infoLine.open(&error)) {
            std::fprintf(stderr, "tarvik-sim: %s\n", qPrintable(error));
            return 1;
        }
        info = std::make_unique<InfoService>(options, infoLine, source);
    }

    if ((!options.link.isEmpty() && !modbusLine.makeLink(options.link, &error)) ||
        (info && !options.infoLink.isEmpty() && !infoLine.makeLink(options.infoLink, &error))) {
        std::fprintf(stderr, "tarvik-sim: %s\n", qPrintable(error));
        return 1;
    }

    QSocketNotifier signalNotifier(signalPipe[1], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, [&info] {
        char number = 0;
        if (::read(signalPipe[1], &number, 1) != 1) return;
        if (number == SIGUSR1) {
            if (info) info->toggle();
        } else {
            QCoreApplication::quit();
        }
    });
    for (const int number : {SIGINT, SIGTERM, SIGHUP, SIGUSR1})
        std::signal(number, onSignal);

    printLine(QStringLiteral("modbus: ") + modbusLine.path());
    if (info) {
        printLine(QStringLiteral("info: ") + infoLine.path());
        info->start();
    }
    return QCoreApplication::exec();
}
