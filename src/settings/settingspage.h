// Page 1, "Настройка": the link group "Связь" and the inner page control of the device's
// settings (main parameters, indication, metrology, current outputs, other settings).
#pragma once

#include <QWidget>

class QTabWidget;

namespace tarvik {

class Messages;
class ModbusLink;

class SettingsPage : public QWidget {
    Q_OBJECT
public:
    SettingsPage(ModbusLink& link, Messages& messages, QWidget* parent = nullptr);

    // Calls of the main window's page change. The link-up and the sub-pages fill them in.
    // Starts or stops the link-up; the page change calls it only to stop a running one.
    void BitBtnSetNetClick();
    // The change of the inner page (also run by the main window's page change).
    void PageControlSetAllParamChange();
    // Setpoint limits of indication row 0..2 for its chosen parameter; reset writes both edits.
    void ApplySetpointLimits(int row, bool reset);

    QTabWidget* PageControlSetAllParam = nullptr;

private:
    ModbusLink& link_;
    Messages& messages_;
};

} // namespace tarvik
