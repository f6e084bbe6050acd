#include "portresolver.h"

#include "settingsfile.h"

#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>
#include <utility>

namespace tarvik {

namespace {

int group(const QString& device) {
    const QString name = QFileInfo(device).fileName();
    if (name.startsWith(QLatin1String("ttyUSB"))) return 0;
    if (name.startsWith(QLatin1String("ttyACM"))) return 1;
    return 2;
}

// "ttyUSB10" as ("ttyUSB", 10), so that numbers count as numbers.
std::pair<QString, qlonglong> splitNumber(const QString& device) {
    qsizetype i = device.size();
    while (i > 0 && device.at(i - 1).isDigit())
        --i;
    const qsizetype digits = device.size() - i;
    if (digits == 0 || digits > 9) return {device, -1};
    return {device.left(i), device.mid(i).toLongLong()};
}

} // namespace

QStringList OrderSerialDevices(QStringList devices) {
    std::stable_sort(devices.begin(), devices.end(), [](const QString& a, const QString& b) {
        const int ga = group(a), gb = group(b);
        if (ga != gb) return ga < gb;
        return splitNumber(a) < splitNumber(b);
    });
    return devices;
}

QString ResolvePortDevice(int n, const QString& iniPath, const QStringList& present) {
    if (n < 1) return {};
    SettingsFile file(iniPath, nullptr);
    if (file.open()) {
        const QByteArray key = QStringLiteral("Comm%1").arg(n).toUtf8();
        const QString mapped =
            file.readString(SettingsFile::Ports, key.constData(), QString()).value_or(QString());
        if (!mapped.trimmed().isEmpty()) return mapped.trimmed();
    }
    const QStringList ordered = OrderSerialDevices(present);
    return n <= ordered.size() ? ordered.at(n - 1) : QString();
}

QString ResolvePortDevice(int n, const QString& iniPath) {
    QStringList present;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        present << info.systemLocation();
    return ResolvePortDevice(n, iniPath, present);
}

} // namespace tarvik
