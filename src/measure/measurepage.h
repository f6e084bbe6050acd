// Page 0, "Измеряемая информация": the 31 measured quantities, read once or polled, with the
// link group "Связь" and the polling group "Опрос" with the link statistics.
#pragma once

#include "decode.h"
#include "timer.h"

#include <QByteArrayView>
#include <QWidget>

namespace tarvik {

class Messages;
class ModbusLink;

class MeasurePage : public QWidget {
    Q_OBJECT
public:
    MeasurePage(ModbusLink& link, RegisterDecoder& decoder, Messages& messages,
                QWidget* parent = nullptr);

    void BitBtnStartClick();
    void TimerAutoTimer();
    // The data bytes of a kind-0 reply.
    void ShowMeasurements(QByteArrayView block);
    void ClearMeasurementEdits();

    Timer& TimerAuto() { return timerAuto_; }
    bool AutoPolling = false;

private:
    ModbusLink& link_;
    RegisterDecoder& decoder_;
    Messages& messages_;
    Timer timerAuto_;
};

} // namespace tarvik
