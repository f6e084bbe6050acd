#include "fakeserialport.h"

#include <algorithm>
#include <cstring>

namespace tarvik {

bool FakeSerialPort::setPortNumber(int number) {
    if (refusePortNumber) return false;
    portNumber_ = number;
    isOpen = false;
    return true;
}

QString FakeSerialPort::deviceName() const {
    return portNumber_ > 0 ? QStringLiteral("/dev/fake%1").arg(portNumber_) : QString();
}

bool FakeSerialPort::setBaudRate(qint32 baud) {
    baud_ = baud;
    return true;
}

bool FakeSerialPort::setParity(Parity parity) {
    parity_ = parity;
    return true;
}

bool FakeSerialPort::setDataBits(int bits) {
    dataBits_ = bits;
    return true;
}

bool FakeSerialPort::setStopBits(int bits) {
    stopBits_ = bits;
    return true;
}

qint64 FakeSerialPort::read(char* data, qint64 maxLength) {
    if (readFails) return -1;
    const qint64 n = std::min<qint64>(maxLength, input_.size());
    std::memcpy(data, input_.constData(), size_t(n));
    input_.remove(0, n);
    return n;
}

int FakeSerialPort::peek(int n) const {
    if (n < 1 || n > input_.size()) return -1;
    return quint8(input_.at(n - 1));
}

bool FakeSerialPort::flushInput() {
    ++flushInputCount;
    if (unusable || portNumber_ == 0) return false;
    isOpen = true;
    input_.clear();
    return true;
}

bool FakeSerialPort::flushOutput() {
    if (unusable || portNumber_ == 0) return false;
    isOpen = true;
    return true;
}

bool FakeSerialPort::write(const QByteArray& data) {
    if (unusable || portNumber_ == 0) return false;
    written.append(data);
    return true;
}

void FakeSerialPort::feed(const QByteArray& bytes) {
    input_.append(bytes);
    emit dataAvailable(int(input_.size()));
}

} // namespace tarvik
