// Tarvik: configuration and monitoring of Tarvik three-phase measuring transducers over
// Modbus RTU.
#include "form1.h"
#include "messageboxes.h"
#include "portresolver.h"
#include "qtserialport.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <exception>

namespace {

QString settingsPath() {
    const QString fromEnvironment = qEnvironmentVariable("TARVIK_INI");
    if (!fromEnvironment.isEmpty()) return fromEnvironment;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("Tarvik.ini"));
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvik"));
    tarvik::MessageBoxes messages;
    try {
        const QString iniPath = settingsPath();
        tarvik::QtSerialPort port(
            [iniPath](int n) { return tarvik::ResolvePortDevice(n, iniPath); });
        tarvik::TForm1 form1(port, messages, iniPath);
        form1.show();
        return QApplication::exec();
    } catch (const std::exception& e) {
        messages.error(QString::fromLocal8Bit(e.what()));
        return 0;
    }
}
