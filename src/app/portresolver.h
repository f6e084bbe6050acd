// Which device a port number Comm1 .. Comm16 stands for on this computer.
#pragma once

#include <QString>
#include <QStringList>

namespace tarvik {

// The serial devices in the order the port numbers count them: USB adapters (ttyUSB*, then
// ttyACM*) first, then the rest, each group in natural order (ttyUSB2 before ttyUSB10).
QStringList OrderSerialDevices(QStringList devices);

// The device for port number n: the entry "Comm<n>" of section "Порты" of the settings file
// when present, otherwise the n-th of `present` (ordered by OrderSerialDevices); empty when
// there is none.
QString ResolvePortDevice(int n, const QString& iniPath, const QStringList& present);

// The same with the serial ports present on the computer now.
QString ResolvePortDevice(int n, const QString& iniPath);

} // namespace tarvik
