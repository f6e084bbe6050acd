// Records what the link does to controls, so tests can check it without a window.
#pragma once

#include "modbuslink.h"

#include <QHash>
#include <QStringList>

namespace tarvik {

struct LinkProbe {
    explicit LinkProbe(ModbusLink& link) {
        QObject::connect(&link, &ModbusLink::controlText,
                         [this](const QString& n, const QString& t) {
                             texts[n] = t;
                             log << n + "=" + t;
                         });
        QObject::connect(&link, &ModbusLink::controlEnabled,
                         [this](const QString& n, bool on) { enabled[n] = on; });
        QObject::connect(&link, &ModbusLink::controlShown,
                         [this](const QString& n, bool on) { shown[n] = on; });
        QObject::connect(&link, &ModbusLink::lampLit,
                         [this](const QString& n, bool on) { lit[n] = on; });
        QObject::connect(&link, &ModbusLink::lampColour,
                         [this](const QString& n, Qt::GlobalColor c) { colour[n] = c; });
        QObject::connect(&link, &ModbusLink::statusText, [this](const QString& t) {
            status = t;
            log << "status=" + t;
        });
        QObject::connect(&link, &ModbusLink::measurementEditsCleared, [this] {
            ++cleared;
            log << "ClearMeasurementEdits";
        });
        QObject::connect(&link, &ModbusLink::calibrationControlsUnlocked,
                         [this] { log << "UnlockCalibrationControls"; });
        QObject::connect(&link, &ModbusLink::portFailed, [this] { ++portFailures; });
    }

    QHash<QString, QString> texts;
    QHash<QString, bool> enabled, shown, lit;
    QHash<QString, Qt::GlobalColor> colour;
    QString status;
    QStringList log;
    int cleared = 0;
    int portFailures = 0;
};

} // namespace tarvik
