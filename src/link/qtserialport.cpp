#include "qtserialport.h"

namespace tarvik {

QtSerialPort::QtSerialPort(Resolver resolver, QObject* parent)
    : SerialPort(parent), resolver_(std::move(resolver)) {
    connect(&port_, &QSerialPort::readyRead, this,
            [this] { emit dataAvailable(int(port_.bytesAvailable())); });
    // An adapter pulled out of the PC: close, so the next flush tries to open it again and
    // reports the port instead of writing into nowhere.
    connect(&port_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        if (e == QSerialPort::ResourceError && port_.isOpen()) port_.close();
    });
}

bool QtSerialPort::setPortNumber(int number) {
    if (number < 0) return false;
    if (port_.isOpen()) port_.close();
    portNumber_ = number;
    return true;
}

QString QtSerialPort::deviceName() const {
    return portNumber_ > 0 && resolver_ ? resolver_(portNumber_) : QString();
}

bool QtSerialPort::ensureOpen() {
    if (port_.isOpen()) return true;
    const QString device = deviceName();
    if (device.isEmpty()) return false;
    port_.setPortName(device);
    if (!port_.open(QIODevice::ReadWrite)) return false;
    if (!applySettings()) {
        port_.close();
        return false;
    }
    return true;
}

bool QtSerialPort::applySettings() {
    static constexpr QSerialPort::Parity parities[] = {
        QSerialPort::NoParity, QSerialPort::OddParity, QSerialPort::EvenParity};
    return port_.setBaudRate(baud_) && port_.setParity(parities[int(parity_)]) &&
           port_.setDataBits(QSerialPort::DataBits(dataBits_)) &&
           port_.setStopBits(stopBits_ == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
           port_.setFlowControl(QSerialPort::NoFlowControl);
}

bool QtSerialPort::setBaudRate(qint32 baud) {
    if (baud <= 0) return false;
    baud_ = baud;
    return !port_.isOpen() || port_.setBaudRate(baud);
}

bool QtSerialPort::setParity(Parity parity) {
    parity_ = parity;
    return !port_.isOpen() || applySettings();
}

bool QtSerialPort::setDataBits(int bits) {
    if (bits < 5 || bits > 8) return false;
    dataBits_ = bits;
    return !port_.isOpen() || port_.setDataBits(QSerialPort::DataBits(bits));
}

bool QtSerialPort::setStopBits(int bits) {
    if (bits != 1 && bits != 2) return false;
    stopBits_ = bits;
    return !port_.isOpen() ||
           port_.setStopBits(bits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
}

qint64 QtSerialPort::bytesAvailable() const {
    return port_.isOpen() ? port_.bytesAvailable() : 0;
}

qint64 QtSerialPort::read(char* data, qint64 maxLength) {
    if (!port_.isOpen()) return -1;
    return port_.read(data, maxLength);
}

int QtSerialPort::peek(int n) const {
    if (n < 1 || !port_.isOpen()) return -1;
    QByteArray head = port_.peek(n);
    return head.size() < n ? -1 : quint8(head.at(n - 1));
}

bool QtSerialPort::flushInput() {
    return ensureOpen() && port_.clear(QSerialPort::Input);
}

bool QtSerialPort::flushOutput() {
    return ensureOpen() && port_.clear(QSerialPort::Output);
}

bool QtSerialPort::write(const QByteArray& data) {
    return ensureOpen() && port_.write(data) == data.size();
}

} // namespace tarvik
