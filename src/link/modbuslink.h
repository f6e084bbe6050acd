// The Modbus RTU master of the program: one request outstanding at a time, the senders, the
// reception of the reply, the time-out, the statistics, the status line and the dispatch of a
// valid reply to the handler of its request kind.
//
// The link owns no widgets. What it does to controls of the window it announces with signals
// that name the control (its objectName) or a named operation of a page; the window applies each
// to whatever control exists. Signals are emitted in the order of the steps, so a page connected
// with a direct connection sees them in that order.
#pragma once

#include "inquiry.h"
#include "messages.h"
#include "serialport.h"
#include "timer.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QObject>
#include <array>
#include <functional>

namespace tarvik {

// A reply that passed the CRC check, as the handlers see it: the bytes actually received.
struct Reply {
    QByteArrayView frame; // address, function, ..., CRC

    quint8 byte(qsizetype i) const { return i < frame.size() ? quint8(frame[i]) : 0; }
    // The data bytes of a function 03 reply: after address, function code and byte count, up to
    // the CRC, and never more than the byte count announces.
    QByteArrayView data() const;
};

class ModbusLink : public QObject {
    Q_OBJECT
public:
    static constexpr int FrameSize = 4096;
    static constexpr int DefaultReplyTimeoutMs = 3000;

    ModbusLink(SerialPort& port, Messages& messages, QObject* parent = nullptr);

    SerialPort& port() const { return port_; }

    // ---- Senders. Each takes the record by value.
    void SendInquiry(InquiryRecord r);
    void SendInquiryRead03(InquiryRecord r);
    void SendInquiryWrite06(InquiryRecord r);
    void SendInquiryWrite06Seq(InquiryRecord r);
    void SendInquiryWrite16Long(InquiryRecord r);
    void SendInquiryWrite16(InquiryRecord r);
    void SendInquiryRead20(InquiryRecord r);
    // Writes a frame of a device with a layout of its own (the external indicator) as the senders
    // do, after SetInquiryKind: guard, write, expected length, time-out, AwaitingReply.
    void SendRawFrame(const QByteArray& frame, quint16 expectedReplyLength);

    void SetInquiryKind(quint8 kind) { InquiryKind = kind; }
    // The guard before every write: flushes the output buffer, which also opens the port. True
    // (and the port message shown) when the port cannot be used.
    bool PortNotReady();

    // Where the senders that do not take the address from the record get it: the text of the
    // logical-number edit of the settings page.
    void setAddressText(std::function<QString()> source) { addressText_ = std::move(source); }

    // ---- Reception and time-out.
    void ComPortTriggerAvail(int count);
    void TimerWaitAnswTimer();
    void ShowStatusMessage(const QString& text);
    void TimerMessTimer();
    void ShowResponseTime();
    void ButtonStatClearClick();
    // Empties the input buffer, then the output buffer. False when the port failed.
    bool FlushPortBuffers();
    void CountLinkUpFailure();
    void CountCurrentOutputsFailure();
    // Clears CalibrationBusy and asks the calibration page to enable its controls.
    void UnlockCalibrationControls();
    void EnableSchemeControls(bool on) { emit schemeControlsEnabled(on); }
    void ClearMeasurementEdits() { emit measurementEditsCleared(); }

    // ---- Dispatch.
    using Handler = std::function<void(const Reply&)>;
    // The page that owns a request kind registers the handling of its reply. A kind without a
    // handler runs the common tail only.
    void setHandler(quint8 kind, Handler handler);
    void ShowExceptionText(int code);
    // The device's text for an exception code, empty when the code has none.
    static QString ExceptionText(int code);

    // The clock used to stamp requests and measure the response time (local time, ms).
    void setClock(std::function<QDateTime()> now) { now_ = std::move(now); }

    Timer& TimerWaitAnsw() { return timerWaitAnsw_; }
    Timer& TimerMess() { return timerMess_; }

    // ---- Link state. Plain fields: the pages of the settings chains read and write them.
    std::array<quint8, FrameSize> TxFrame{};
    std::array<quint8, FrameSize> RxFrame{};
    qsizetype RxLength = 0; // bytes of the last reply read into RxFrame
    bool AwaitingReply = false;
    quint16 ExpectedReplyLength = 0;
    QDateTime RequestSentAt;
    quint16 MaxResponseMs = 0;
    quint8 InquiryKind = 0;
    quint16 NoAnswerCount = 0;
    quint16 CrcErrorCount = 0;
    quint16 RequestCount = 0;

    InquiryRecord PendingInquiry;
    StepRecords Steps;
    InquiryRecord* NextStep = nullptr;

    quint16 StepFailures = 0;
    bool LinkUpRunning = false;
    bool CurrentOutputsRunning = false;
    bool CalibrationBusy = false;
    // The port carries the information-channel stream: arriving bytes go to infoChannelData.
    bool InfoChanMode = false;

signals:
    // Effects on controls, by objectName. A control that does not exist is simply not there.
    void controlEnabled(const QString& name, bool on);
    void controlShown(const QString& name, bool visible);
    void controlText(const QString& name, const QString& text);
    void lampLit(const QString& name, bool lit);
    void lampColour(const QString& name, Qt::GlobalColor colour);
    // Text of the status line (status-bar panel 1); empty clears it.
    void statusText(const QString& text);

    // Named operations of pages.
    void measurementEditsCleared();      // ClearMeasurementEdits
    void calibrationControlsUnlocked();  // UnlockCalibrationControls, the controls part
    void schemeControlsEnabled(bool on); // EnableSchemeControls
    void noInfoIndicator(int row);       // xNoInfoInd of the external indicator rows
    void autoPollingStep();              // the automatic-polling step of SendInquiry
    // FlushPortBuffers failed on the input buffer: the window leaves the information-channel
    // page for the first page.
    void portFailed();

    // The information channel is active and bytes arrived (count waiting).
    void infoChannelData(int count);

    // Every frame written and read, for a traffic monitor.
    void frameSent(const QDateTime& at, const QByteArray& frame);
    void frameReceived(const QDateTime& at, const QByteArray& frame);

private:
    bool addressFromEdit(quint8& address);
    bool send(const QByteArray& frame, quint16 expected, bool stamp);
    void dispatch();
    void handleException();
    void crcError();
    void showCounter(const char* name, quint16 value);
    QString portMessage() const;

    SerialPort& port_;
    Messages& messages_;
    Timer timerWaitAnsw_;
    Timer timerMess_;
    std::array<Handler, 256> handlers_{};
    std::function<QString()> addressText_;
    std::function<QDateTime()> now_;
};

} // namespace tarvik
