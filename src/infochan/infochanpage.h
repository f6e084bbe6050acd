// Page 3, "Информационный канал": listens to the packets the transducer sends unasked on its
// second interface, checks them and shows the 31 values scaled by the limits in the packet.
#pragma once

#include "infochanpacket.h"
#include "infochanreceiver.h"
#include "timer.h"

#include <QByteArrayView>
#include <QWidget>
#include <array>

class QLabel;
class QLineEdit;

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
    // What the last good packet said; kept when the page is blanked.
    const InfoChanData& Data() const { return data_; }

private:
    void buildPage();
    QWidget* buildLinkGroup();
    QWidget* buildDeviceInfo();
    QWidget* buildValueBox(int box);

    ModbusLink& link_;
    Messages& messages_;
    Timer timerChanInfo_;
    InfoChanReceiver receiver_;
    InfoChanData data_;

    std::array<QLineEdit*, InfoChanValueCount> valueEdits_{};
    QLineEdit* netAddr_ = nullptr;
    QLineEdit* version_ = nullptr;
    QLineEdit* status_ = nullptr;
    QLineEdit* uLimit_ = nullptr;
    QLineEdit* iLimit_ = nullptr;
    QLabel* message_ = nullptr;
};

} // namespace tarvik
