#include "modbuslink.h"

#include "convert.h"

#include <algorithm>
#include <cstring>

namespace tarvik {

namespace {

const QString StatusCrcError = QStringLiteral("  Ошибка контрольной суммы !");
const QString StatusNoAnswer = QStringLiteral("  Нет ответа от устройства !");
const QString StatusDone = QStringLiteral("  Операция завершена успешно");

} // namespace

QByteArrayView Reply::data() const {
    if (frame.size() < 5) return {};
    const qsizetype available = frame.size() - 5; // address, function, count ... CRC
    return frame.sliced(3, std::min<qsizetype>(available, quint8(frame[2])));
}

ModbusLink::ModbusLink(SerialPort& port, Messages& messages, QObject* parent)
    : QObject(parent), port_(port), messages_(messages),
      timerWaitAnsw_(this, DefaultReplyTimeoutMs, false), timerMess_(this, 3000, false),
      now_([] { return QDateTime::currentDateTime(); }) {
    timerWaitAnsw_.setObjectName(QStringLiteral("TimerWaitAnsw"));
    timerMess_.setObjectName(QStringLiteral("TimerMess"));
    connect(&timerWaitAnsw_, &Timer::timeout, this, &ModbusLink::TimerWaitAnswTimer);
    connect(&timerMess_, &Timer::timeout, this, &ModbusLink::TimerMessTimer);
    InitInquiryRecords(Steps);

    // The write confirmation of the settings writes.
    setHandler(18, [this](const Reply&) {
        messages_.information(QStringLiteral("Информация записана "));
        UnlockCalibrationControls();
    });
}

void ModbusLink::setHandler(quint8 kind, Handler handler) {
    handlers_[kind] = std::move(handler);
}

// ---------------------------------------------------------------- sending

QString ModbusLink::portMessage() const {
    return QStringLiteral("Ошибка при чтении номера порта: COM %1").arg(port_.portNumber());
}

bool ModbusLink::PortNotReady() {
    if (port_.flushOutput()) return false;
    messages_.plain(portMessage());
    emit controlEnabled(QStringLiteral("BitBtnStart"), true);
    return true;
}

bool ModbusLink::addressFromEdit(quint8& address) {
    const QString text = addressText_ ? addressText_() : QString();
    const auto value = StrToInt(text);
    if (!value) {
        messages_.error(NotAnIntegerMessage(text));
        return false;
    }
    address = quint8(*value);
    return true;
}

bool ModbusLink::send(const QByteArray& frame, quint16 expected, bool stamp) {
    std::memcpy(TxFrame.data(), frame.constData(),
                size_t(std::min<qsizetype>(frame.size(), FrameSize)));
    if (PortNotReady()) return false;
    if (!port_.write(frame)) {
        // The port went away between the guard and the write: the same report as the guard.
        messages_.plain(portMessage());
        emit controlEnabled(QStringLiteral("BitBtnStart"), true);
        return false;
    }
    const QDateTime at = now_();
    emit frameSent(at, frame);
    ExpectedReplyLength = expected;
    timerWaitAnsw_.setEnabled(true);
    if (stamp) RequestSentAt = at;
    AwaitingReply = true;
    return true;
}

void ModbusLink::SendInquiry(InquiryRecord r) {
    SetInquiryKind(r.Kind);
    if (!send(FrameRead03(quint8(r.Address), r), r.ExpectedLength, true)) return;
    emit autoPollingStep();
    ++RequestCount;
    showCounter("StaticTextAllEnquiry", RequestCount);
}

void ModbusLink::SendInquiryRead03(InquiryRecord r) {
    SetInquiryKind(r.Kind);
    quint8 address = 0;
    if (!addressFromEdit(address)) return;
    send(FrameRead03(address, r), r.ExpectedLength, false);
}

void ModbusLink::SendInquiryWrite06(InquiryRecord r) {
    SetInquiryKind(r.Kind);
    send(FrameWrite06(quint8(r.Address), r), 8, false);
}

void ModbusLink::SendInquiryWrite06Seq(InquiryRecord r) {
    SendInquiryWrite06(r);
}

void ModbusLink::SendInquiryWrite16Long(InquiryRecord r) {
    SetInquiryKind(r.Kind);
    quint8 address = 0;
    if (!addressFromEdit(address)) return;
    send(FrameWrite16Long(address, r), 8, false);
}

void ModbusLink::SendInquiryWrite16(InquiryRecord r) {
    SetInquiryKind(r.Kind);
    // The frame of more than 2043 registers would not fit the transmit buffer.
    Q_ASSERT(r.RegisterCount <= (FrameSize - 9) / 2);
    quint8 address = 0;
    if (!addressFromEdit(address)) return;
    send(FrameWrite16(address, r), 8, true);
}

void ModbusLink::SendInquiryRead20(InquiryRecord r) {
    SetInquiryKind(r.Kind);
    quint8 address = 0;
    if (!addressFromEdit(address)) return;
    send(FrameRead20(address, r), r.ExpectedLength, false);
}

void ModbusLink::SendRawFrame(const QByteArray& frame, quint16 expectedReplyLength) {
    send(frame, expectedReplyLength, false);
}

// ---------------------------------------------------------------- reception

void ModbusLink::ComPortTriggerAvail(int count) {
    timerWaitAnsw_.setInterval(DefaultReplyTimeoutMs);
    if (InfoChanMode) {
        emit infoChannelData(count);
        return;
    }
    // An exception reply is 5 bytes whatever was asked: do not wait for the full length.
    if (AwaitingReply && count > 4) {
        const int function = port_.peek(2);
        if (function >= 0 && (function & 0x80)) ExpectedReplyLength = 5;
    }
    if (port_.bytesAvailable() < ExpectedReplyLength || !AwaitingReply) return;

    emit controlEnabled(QStringLiteral("BitBtnStart"), true);
    emit controlEnabled(QStringLiteral("sBitBtnWriteTime"), true);
    emit controlEnabled(QStringLiteral("BitBtnRead"), true);
    for (int row = 0; row < 3; ++row)
        emit noInfoIndicator(row);
    emit controlEnabled(QStringLiteral("BitBtnMainParam"), true);

    // A burst larger than the receive buffer is cut to it and the rest discarded; such a
    // reply cannot be a reply of ours, so it goes the way of a damaged one.
    const bool burst = count > FrameSize;
    const qint64 wanted = std::clamp(count, 0, int(FrameSize));
    const qint64 got = port_.read(reinterpret_cast<char*>(RxFrame.data()), wanted);
    if (got < 0) {
        messages_.plain(QStringLiteral(" Ошибка приема информации !"));
        RxLength = 0; // nothing read: never judge stale bytes as this reply
    } else {
        RxLength = got;
    }
    if (burst) port_.flushInput();
    emit frameReceived(now_(), QByteArray(reinterpret_cast<const char*>(RxFrame.data()), RxLength));

    if (burst || RxLength < 4 || ModbusCrc16(RxFrame.data(), RxLength) != 0) {
        crcError();
        return;
    }

    emit controlShown(QStringLiteral("ApdStatusLight1"), true);
    emit lampLit(QStringLiteral("ApdStatusLight1"), true);
    emit controlShown(QStringLiteral("ApdStatusLight2"), true);
    emit lampLit(QStringLiteral("ApdStatusLight2"), true);
    emit lampColour(QStringLiteral("ApdStatusLight3"), Qt::green);
    emit lampLit(QStringLiteral("ApdStatusLight3"), true);
    AwaitingReply = false;
    timerWaitAnsw_.setEnabled(false);
    emit controlEnabled(QStringLiteral("BitBtnSaveIndParam"), true);
    emit controlEnabled(QStringLiteral("BitBtnSaveUst"), true);

    if (RxFrame[1] > 0x80)
        handleException();
    else
        dispatch();
}

void ModbusLink::crcError() {
    ClearMeasurementEdits();
    ++CrcErrorCount;
    showCounter("StaticTextErrCRC", CrcErrorCount);
    ShowStatusMessage(StatusCrcError);
    CountLinkUpFailure();
    CountCurrentOutputsFailure();
    FlushPortBuffers();
    // Still waiting: the time-out ends the wait unless a later reply completes it.
}

void ModbusLink::TimerWaitAnswTimer() {
    timerWaitAnsw_.setEnabled(false);
    ClearMeasurementEdits();
    ShowStatusMessage(StatusNoAnswer);
    ++NoAnswerCount;
    showCounter("StaticTextNoAnsw", NoAnswerCount);
    FlushPortBuffers();
    AwaitingReply = false;
    emit controlEnabled(QStringLiteral("BitBtnStart"), true);
    emit controlEnabled(QStringLiteral("BitBtnRead"), true);
    for (int row = 0; row < 3; ++row)
        emit noInfoIndicator(row);
    CountLinkUpFailure();
    CountCurrentOutputsFailure();
    emit controlEnabled(QStringLiteral("BitBtnSaveIndParam"), true);
    emit controlEnabled(QStringLiteral("BitBtnSaveUst"), true);
    emit lampColour(QStringLiteral("ApdStatusLight3"), Qt::red);
    emit lampLit(QStringLiteral("ApdStatusLight3"), false);
    UnlockCalibrationControls();
    if (!LinkUpRunning) EnableSchemeControls(true);
    emit controlShown(QStringLiteral("sProgressBarSchKp"), false);
    emit controlEnabled(QStringLiteral("sBitBtnWriteTime"), true);
    timerWaitAnsw_.setInterval(DefaultReplyTimeoutMs);
    emit controlEnabled(QStringLiteral("sBitBtnEnClear"), true);
    emit controlEnabled(QStringLiteral("BitBtnMainParam"), true);
}

void ModbusLink::ShowStatusMessage(const QString& text) {
    emit statusText(text);
    timerMess_.setEnabled(true); // a running period goes on: an early message is cleared early
}

void ModbusLink::TimerMessTimer() {
    timerMess_.setEnabled(false);
    emit statusText(QString());
}

void ModbusLink::ShowResponseTime() {
    const qint64 elapsed = std::max<qint64>(0, RequestSentAt.msecsTo(now_()));
    const int seconds = int(elapsed / 1000 % 60);
    const int ms = int(elapsed % 1000);
    emit controlText(QStringLiteral("StaticTextTimeMeasure"),
                     QString::asprintf("%dc %dmc", seconds, ms));
    // Only the millisecond part takes part in the maximum.
    if (ms > MaxResponseMs) {
        MaxResponseMs = quint16(ms);
        emit controlText(QStringLiteral("StaticTextMax"), QString::asprintf("%dmc", ms));
    }
}

void ModbusLink::ButtonStatClearClick() {
    NoAnswerCount = 0;
    CrcErrorCount = 0;
    RequestCount = 0;
    MaxResponseMs = 0;
    emit controlText(QStringLiteral("StaticTextNoAnsw"), QString());
    emit controlText(QStringLiteral("StaticTextErrCRC"), QString());
    emit controlText(QStringLiteral("StaticTextAllEnquiry"), QString());
}

bool ModbusLink::FlushPortBuffers() {
    if (!port_.flushInput()) {
        messages_.plain(portMessage());
        emit portFailed();
        return false;
    }
    port_.flushOutput();
    return true;
}

void ModbusLink::CountLinkUpFailure() {
    if (LinkUpRunning) ++StepFailures;
}

void ModbusLink::CountCurrentOutputsFailure() {
    if (CurrentOutputsRunning) ++StepFailures;
}

void ModbusLink::UnlockCalibrationControls() {
    CalibrationBusy = false;
    emit calibrationControlsUnlocked();
}

void ModbusLink::showCounter(const char* name, quint16 value) {
    emit controlText(QLatin1String(name), QString::number(value));
}

// ---------------------------------------------------------------- dispatch

void ModbusLink::dispatch() {
    const Reply reply{QByteArrayView(RxFrame.data(), RxLength)};
    if (const Handler& handler = handlers_[InquiryKind]) handler(reply);

    StepFailures = 0;
    ShowResponseTime();
    ShowStatusMessage(StatusDone);
    emit controlShown(QStringLiteral("ApdStatusLight1"), false);
    emit controlShown(QStringLiteral("ApdStatusLight2"), false);
    emit lampLit(QStringLiteral("ApdStatusLight3"), false);
    FlushPortBuffers();
}

void ModbusLink::handleException() {
    if (!CalibrationBusy) NextStep = &Steps.MetrologyPollStep;
    UnlockCalibrationControls();
    EnableSchemeControls(true);
    emit controlShown(QStringLiteral("sProgressBarSchKp"), false);
    emit controlShown(QStringLiteral("ApdStatusLight1"), false);
    // The code is taken as a signed byte: 128..255 are negative and have no text.
    ShowExceptionText(qint8(RxFrame[2]));
    FlushPortBuffers();
}

QString ModbusLink::ExceptionText(int code) {
    switch (code) {
    case 0:
        return QStringLiteral("MB_EX_NONE");
    case 1:
        return QStringLiteral("Код запроса не поддерживается");
    case 2:
        return QStringLiteral("Адрес данных указанный в запросе недоступен");
    case 3:
        return QStringLiteral("Данные в запросе являются недопустимой величиной");
    case 4:
        return QStringLiteral("Невосстанавливаемая ошибка");
    case 5:
        return QStringLiteral("Обработка запроса требует много времени");
    case 6:
        return QStringLiteral("Подчиненный занят обработкой команды");
    case 7:
        return QStringLiteral("На изменяемый параметр установлена аппаратная защита");
    case 8:
        return QStringLiteral("Ошибка паритета");
    case 10:
        return QStringLiteral("MB_EX_GATEWAY_PATH_FAILED");
    case 11:
        return QStringLiteral("MB_EX_GATEWAY_TGT_FAILED");
    case 64:
        return QStringLiteral("Начало информации не кратно размерности");
    case 65:
        return QStringLiteral("Размер запрашиваемой информации превышает допустимую величину");
    case 66:
        return QStringLiteral("По запрашиваемому адресу информация отсутствует или закрыта");
    case 67:
        return QStringLiteral("Не указан точный размер информации");
    case 68:
        return QStringLiteral("недопустимый сетевой адрес");
    case 69:
        return QStringLiteral("Попытка установить недопустимое значение");
    case 70:
        return QStringLiteral("На изменяемый параметр установлена аппаратная защита");
    case 71:
        return QStringLiteral("Передан неверный пароль");
    default:
        return {};
    }
}

void ModbusLink::ShowExceptionText(int code) {
    const QString text = ExceptionText(code);
    if (!text.isEmpty()) messages_.plain(text);
}

} // namespace tarvik
