#include "options.h"

#include <QCommandLineParser>
#include <functional>
#include <vector>

namespace tarvik::sim {

namespace {

// Applies the value of an option to the options, or says what is wrong with it.
using Apply = std::function<QString(SimOptions&, const QString& value)>;

struct OptionRow {
    QStringList names;
    QString valueName; // empty for a switch
    QString description;
    Apply apply;
};

// A whole number from `min` to `max`, stored by `store`.
Apply number(int min, int max, std::function<void(SimOptions&, int)> store) {
    return [=](SimOptions& o, const QString& text) {
        bool ok = false;
        const int n = text.toInt(&ok);
        if (!ok || n < min || n > max)
            return QStringLiteral("expects a whole number from %1 to %2, not \"%3\"")
                .arg(min)
                .arg(max)
                .arg(text);
        store(o, n);
        return QString();
    };
}

Apply positive(double max, std::function<void(SimOptions&, float)> store) {
    return [=](SimOptions& o, const QString& text) {
        bool ok = false;
        const double v = text.toDouble(&ok);
        if (!ok || !(v > 0) || v > max)
            return QStringLiteral("expects a number above 0 and up to %1, not \"%2\"")
                .arg(max)
                .arg(text);
        store(o, static_cast<float>(v));
        return QString();
    };
}

Apply marker(InfoMarker m) {
    return number(0, QuantityCount - 1, [m](SimOptions& o, int k) { o.packet.markers[k] = m; });
}

const std::vector<OptionRow>& optionTable() {
    constexpr int Big = 1000000;
    static const std::vector<OptionRow> rows = {
        {{"a", "address"},
         "N",
         "Modbus slave address, 1 to 247 (default 1).",
         number(1, 247, [](SimOptions& o, int n) { o.slave.address = std::uint8_t(n); })},
        {{"link"},
         "PATH",
         "Make PATH a symlink to the Modbus terminal (removed at exit).",
         [](SimOptions& o, const QString& v) {
             o.link = v;
             return QString();
         }},
        {{"no-drift"},
         "",
         "Keep the measured values fixed at those of the start.",
         [](SimOptions& o, const QString&) {
             o.noDrift = true;
             return QString();
         }},
        {{"v", "verbose"},
         "",
         "Print every request and reply on stderr.",
         [](SimOptions& o, const QString&) {
             o.verbose = true;
             return QString();
         }},
        {{"drop-every"},
         "N",
         "Do not answer request number N, 2N, 3N...",
         number(1, Big, [](SimOptions& o, int n) { o.slave.dropEvery = n; })},
        {{"corrupt-every"},
         "N",
         "Invert both CRC bytes of the reply to request N, 2N, 3N...",
         number(1, Big, [](SimOptions& o, int n) { o.slave.corruptEvery = n; })},
        {{"garbage-every"},
         "N",
         "Send the bytes DE AD BE EF right before the reply to request "
         "N, 2N, 3N... (in the same write).",
         number(1, Big, [](SimOptions& o, int n) { o.slave.garbageEvery = n; })},
        {{"garbage-after"},
         "",
         "With --garbage-every: send the garbage right after the reply "
         "instead of before it.",
         [](SimOptions& o, const QString&) {
             o.slave.garbageAfter = true;
             return QString();
         }},
        {{"delay"},
         "MS",
         "Wait MS milliseconds before every reply.",
         number(0, 600000, [](SimOptions& o, int n) { o.delayMs = n; })},
        {{"split"},
         "MS",
         "Send every reply in two halves, the second MS milliseconds after the "
         "first (the first half is the shorter one for odd lengths).",
         number(0, 600000, [](SimOptions& o, int n) { o.splitMs = n; })},
        {{"wire-baud"},
         "B",
         "Emulate a line of B baud, 8 data bits, 1 stop bit: a reply starts "
         "after the request's own line time plus 3.5 characters, and its "
         "bytes leave one by one, 10/B seconds apart.",
         number(50, 4000000, [](SimOptions& o, int n) { o.wireBaud = n; })},
        {{"info"},
         "",
         "Also open the information channel and stream its packets there.",
         [](SimOptions& o, const QString&) {
             o.info = true;
             return QString();
         }},
        {{"info-link"},
         "PATH",
         "Make PATH a symlink to the information-channel terminal.",
         [](SimOptions& o, const QString& v) {
             o.infoLink = v;
             return QString();
         }},
        {{"info-baud"},
         "B",
         "Pace the stream as a line of B baud, 8N1 (default 9600).",
         number(50, 4000000, [](SimOptions& o, int n) { o.infoBaud = n; })},
        {{"info-three-wire"},
         "",
         "Three-wire connection: value 0 is sent as no value "
         "(FF FF FF FF), the others scaled for three wires.",
         [](SimOptions& o, const QString&) {
             o.packet.threeWire = true;
             return QString();
         }},
        {{"info-above"},
         "K",
         "Send value K (0 to 30) as above range (FF FF EF FF); repeatable.",
         marker(InfoMarker::AboveRange)},
        {{"info-below"},
         "K",
         "Send value K (0 to 30) as below range (FF FF DF FF); repeatable.",
         marker(InfoMarker::BelowRange)},
        {{"info-status"},
         "CODE",
         "Status byte of the packets, 0 to 255 (default 0, normal).",
         number(0, 255, [](SimOptions& o, int n) { o.packet.status = std::uint8_t(n); })},
        {{"info-bad-crc-every"},
         "N",
         "Invert both CRC bytes of packet N, 2N, 3N...",
         number(1, Big, [](SimOptions& o, int n) { o.stream.badCrcEvery = n; })},
        {{"info-pause-after"},
         "N",
         "After packet N, 2N, 3N... keep the line quiet for the time "
         "of --info-pause-ms.",
         number(1, Big, [](SimOptions& o, int n) { o.stream.pauseAfter = n; })},
        {{"info-pause-ms"},
         "MS",
         "Length of those pauses (default 1500).",
         number(0, 600000, [](SimOptions& o, int n) { o.stream.pauseMs = n; })},
        {{"info-voltage-limit"},
         "V",
         "Voltage limit value of the packets (default 100).",
         positive(1e6, [](SimOptions& o, float v) { o.packet.voltageLimit = v; })},
        {{"info-current-limit"},
         "A",
         "Current limit value of the packets (default 5).",
         positive(1e6, [](SimOptions& o, float v) { o.packet.currentLimit = v; })},
        {{"info-version"},
         "N",
         "Program version byte of the packets (default 17).",
         number(0, 255, [](SimOptions& o, int n) { o.packet.version = std::uint8_t(n); })},
    };
    return rows;
}

const char* const Footer = R"(
Requests are numbered 1, 2, 3... in the order they arrive; every frame with a good CRC
addressed to this slave counts, answered or not. The fault options act on that number;
when one request is hit by several, a dropped reply is not sent at all, and garbage goes
with a corrupted reply as with a good one.

On start the program prints "modbus: /dev/pts/N" and, with --info, "info: /dev/pts/M".
Any --info-... option implies --info. The packets carry the address of --address and
values consistent with the Modbus measurement block. SIGUSR1 stops and restarts the
stream; SIGINT, SIGTERM and SIGHUP end the program.)";

} // namespace

ParsedCommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "tarvik-sim: a virtual Tarvik transducer, a Modbus RTU slave on a pseudo-terminal.");
    const QCommandLineOption help = parser.addHelpOption();
    for (const OptionRow& row : optionTable())
        parser.addOption(row.valueName.isEmpty()
                             ? QCommandLineOption(row.names, row.description)
                             : QCommandLineOption(row.names, row.description, row.valueName));

    ParsedCommandLine result;
    if (!parser.parse(arguments)) {
        result.text = parser.errorText();
        return result;
    }
    if (parser.isSet(help)) {
        result.help = true;
        result.text = parser.helpText() + QString::fromUtf8(Footer) + "\n";
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.text =
            QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first());
        return result;
    }
    SimOptions options;
    for (const OptionRow& row : optionTable()) {
        const QString name = row.names.last();
        if (!parser.isSet(name)) continue;
        const QStringList values =
            row.valueName.isEmpty() ? QStringList{QString()} : parser.values(name);
        for (const QString& value : values) {
            const QString error = row.apply(options, value);
            if (!error.isEmpty()) {
                result.text = QStringLiteral("--%1 %2").arg(name, error);
                return result;
            }
        }
        if (name.startsWith(QLatin1String("info"))) options.info = true;
    }
    options.packet.address = options.slave.address;
    result.options = options;
    return result;
}

} // namespace tarvik::sim
