// The command line of tarvik-sim.
#pragma once

#include "infopacket.h"
#include "slave.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace tarvik::sim {

struct SimOptions {
    SlaveOptions slave;   // --address and the Modbus fault options
    QString link;         // --link: symlink to the Modbus terminal
    bool noDrift = false; // --no-drift: the values stay those of the start
    bool verbose = false; // --verbose: every exchange on stderr
    int delayMs = 0;      // --delay: before every reply
    int splitMs = -1;     // --split: reply in two pieces this far apart; -1 is off
    int wireBaud = 0;     // --wire-baud: pace the Modbus replies as on a line of this speed

    bool info = false;   // --info: open the information channel too
    QString infoLink;    // --info-link
    int infoBaud = 9600; // --info-baud: pace of the stream
    InfoPacketSettings packet;
    InfoStreamOptions stream;
};

struct ParsedCommandLine {
    std::optional<SimOptions> options; // empty on error or when help was asked
    QString text;                      // the help text, or the error message
    bool help = false;
};

// `arguments` includes the program name, as QCoreApplication::arguments() gives it.
ParsedCommandLine parseCommandLine(const QStringList& arguments);

} // namespace tarvik::sim
