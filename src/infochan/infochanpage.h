// Page 3, "Информационный канал": listens to the packets the transducer sends unasked on its
// second interface, checks them and shows the 31 values scaled by the limits in the packet.
#pragma once

#include "timer.h"

#include <QByteArrayView>
#include <QWidget>

namespace tarvik {

class Messages;
class ModbusLink;

class InfoChanPage : public QWidget {
    Q_OBJECT
public:
    InfoChanPage(ModbusLink& link, Messages& messages, QWidget* parent = nullptr);

    // Entering the page (after the port was set to 9600 baud without parity): flush the port,
    // InfoChanMode on, watchdog on. Returns false when the port failed at the flush.
    bool Enter();
    // Bytes arrived while InfoChanMode is set.
    void Receive(int count);
    void TimerChanInfoTimer();
    void ShowInfoChanPacket(QByteArrayView payload); // the packet from offset 5 on
    QString FormatInfoChanValue(int k) const;
    QString FormatInfoChanLimit(int k, bool below) const;
    void ClearInfoChanPage();

    Timer& TimerChanInfo() { return timerChanInfo_; }

private:
    ModbusLink& link_;
    Messages& messages_;
    Timer timerChanInfo_;
};

} // namespace tarvik
