// Page 0, "Измеряемая информация": the 31 measured quantities, read once or polled, with the
// link group "Связь" and the polling group "Опрос" with the link statistics.
#pragma once

#include "decode.h"
#include "inquiry.h"
#include "timer.h"

#include <QByteArrayView>
#include <QPointer>
#include <QWidget>
#include <array>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace tarvik {

class Lamp;
class Messages;
class ModbusLink;

class MeasurePage : public QWidget {
    Q_OBJECT
public:
    MeasurePage(ModbusLink& link, RegisterDecoder& decoder, Messages& messages,
                QWidget* parent = nullptr);
    ~MeasurePage() override;

    // Click of "     Читать" / "     Стoп": a single read, the start or the stop of polling.
    // The window also calls it when it leaves this page while polling runs (Edit1 disabled).
    void BitBtnStartClick();
    void TimerAutoTimer();
    // The data bytes of a kind-0 reply.
    void ShowMeasurements(QByteArrayView block);
    // Empties the measured values except the zero-sequence ones (EditUo, EditIo).
    void ClearMeasurementEdits();
    // Run by every SendInquiry: while polling runs, re-arms TimerAuto with the period of
    // EditAuto (kept to 16 bits and at most 60000 ms).
    void AutoPollingStep();

    Timer& TimerAuto() { return timerAuto_; }
    bool AutoPolling = false;

    // One measured quantity: register pair `pair` of the measurement block (its index in
    // MeasuredValues()), shown in the edit `edit` with the format `code`.
    struct MeasuredValue {
        enum Row {
            Plain, // a phase row, or the only row of its group
            Total, // the mean or total row, under the bevel of its group
            Zero,  // a zero-sequence row: keeps its value when a reply is missing or damaged
        };
        const char* edit;
        const char* label;
        quint16 code;
        int group; // position in the three-by-three grid, row by row
        Row row;
    };
    static const std::array<MeasuredValue, 31>& MeasuredValues();

signals:
    // BitBtnExit belongs to the window: it is disabled while polling runs.
    void exitButtonEnabled(bool on);

private:
    bool pollingRuns() const;
    QGroupBox* buildLinkGroup();
    QGroupBox* buildPollingGroup();
    QWidget* buildValueGrid();

    ModbusLink& link_;
    QPointer<ModbusLink> linkAlive_;
    RegisterDecoder& decoder_;
    Messages& messages_;
    Timer timerAuto_;
    InquiryRecord measurementRequest_;

    QLineEdit* edit1_ = nullptr;
    QLineEdit* editAuto_ = nullptr;
    QCheckBox* checkBoxAuto_ = nullptr;
    QPushButton* bitBtnStart_ = nullptr;
    Lamp* lamp_ = nullptr;
    std::array<QLineEdit*, 31> valueEdits_{};
};

} // namespace tarvik
