// Tarvik: configuration and monitoring of Tarvik three-phase measuring transducers over
// Modbus RTU.
#include "form1.h"
#include "messageboxes.h"
#include "portresolver.h"
#include "qtserialport.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
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
        // The demo starts the polling of the measurement page by itself.
        if (qEnvironmentVariableIsSet("TARVIK_DEMO_POLL")) {
            QTimer::singleShot(500, &form1, [&form1] {
                if (auto* autoPoll = form1.findChild<QCheckBox*>(QStringLiteral("CheckBoxAuto")))
                    autoPoll->setChecked(true);
                if (auto* start = form1.findChild<QPushButton*>(QStringLiteral("BitBtnStart")))
                    start->click();
            });
        }
        return QApplication::exec();
    } catch (const std::exception& e) {
        messages.error(QString::fromLocal8Bit(e.what()));
        return 0;
    }
}
