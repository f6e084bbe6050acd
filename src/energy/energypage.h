// Page 4, "   Энергия   " (its tab is hidden): energy counters, their clearing and the 3-minute
// and 30-minute power profiles, with the link group "Связь".
#pragma once

#include <QWidget>

namespace tarvik {

class Messages;
class ModbusLink;

class EnergyPage : public QWidget {
    Q_OBJECT
public:
    EnergyPage(ModbusLink& link, Messages& messages, QWidget* parent = nullptr);

private:
    ModbusLink& link_;
    Messages& messages_;
};

} // namespace tarvik
