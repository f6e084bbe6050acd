// An in-memory serial port for tests: what the program writes is collected, what the "device"
// says is fed in and announced with dataAvailable.
#pragma once

#include "serialport.h"

#include <QByteArray>
#include <QList>

namespace tarvik {

class FakeSerialPort : public SerialPort {
    Q_OBJECT
public:
    using SerialPort::SerialPort;

    bool setPortNumber(int number) override;
    int portNumber() const override { return portNumber_; }
    QString deviceName() const override;
    bool setBaudRate(qint32 baud) override;
    qint32 baudRate() const override { return baud_; }
    bool setParity(Parity parity) override;
    Parity parity() const override { return parity_; }
    bool setDataBits(int bits) override;
    int dataBits() const override { return dataBits_; }
    bool setStopBits(int bits) override;
    int stopBits() const override { return stopBits_; }

    qint64 bytesAvailable() const override { return input_.size(); }
    qint64 read(char* data, qint64 maxLength) override;
    int peek(int n) const override;
    bool flushInput() override;
    bool flushOutput() override;
    bool write(const QByteArray& data) override;

    // Test side.
    // Append bytes to the input buffer and raise dataAvailable with the new total.
    void feed(const QByteArray& bytes);
    // Append bytes without raising the event.
    void feedQuietly(const QByteArray& bytes) { input_.append(bytes); }
    // Every block written, in order.
    QList<QByteArray> written;
    QByteArray lastWritten() const { return written.isEmpty() ? QByteArray() : written.last(); }
    // When set, flushes and writes fail as a missing adapter would.
    bool unusable = false;
    // When set, reads fail.
    bool readFails = false;
    // When set, setPortNumber refuses.
    bool refusePortNumber = false;
    int flushInputCount = 0;
    bool isOpen = false;

private:
    QByteArray input_;
    int portNumber_ = 1;
    qint32 baud_ = 9600;
    Parity parity_ = Parity::None;
    int dataBits_ = 8;
    int stopBits_ = 1;
};

} // namespace tarvik
