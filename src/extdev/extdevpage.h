// Page 2, "Внешние устройства": the external indicator and the current converter, with the port
// group and the buttons that read and write the indicator.
#pragma once

#include <QWidget>

class QTabWidget;

namespace tarvik {

class Messages;
class ModbusLink;

class ExtDevPage : public QWidget {
    Q_OBJECT
public:
    ExtDevPage(ModbusLink& link, Messages& messages, QWidget* parent = nullptr);

    // The setpoints of indicator line 0..2 for its chosen quantity; reset writes both edits.
    // The main window runs it with reset for the three lines each time the page comes to the
    // front. The external indicator fills it in.
    void ApplyIndicatorLimits(int row, bool reset);

    QTabWidget* PageControl3 = nullptr;

private:
    ModbusLink& link_;
    Messages& messages_;
};

} // namespace tarvik
