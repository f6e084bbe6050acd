// The real serial port, on QSerialPort. Port number N is turned into a device path by a
// resolver that the program supplies (settings file, then the ports present). The port is
// opened lazily, by the first flush or write after its number changed, like the line driver the
// program was built around.
#pragma once

#include "serialport.h"

#include <QSerialPort>
#include <functional>

namespace tarvik {

class QtSerialPort : public SerialPort {
    Q_OBJECT
public:
    using Resolver = std::function<QString(int portNumber)>;

    explicit QtSerialPort(Resolver resolver, QObject* parent = nullptr);

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

    qint64 bytesAvailable() const override;
    qint64 read(char* data, qint64 maxLength) override;
    int peek(int n) const override;
    bool flushInput() override;
    bool flushOutput() override;
    bool write(const QByteArray& data) override;

    // The last error text of the underlying port, for the status line.
    QString errorText() const { return port_.errorString(); }

private:
    bool ensureOpen();
    bool applySettings();

    Resolver resolver_;
    mutable QSerialPort port_;
    int portNumber_ = 0;
    qint32 baud_ = 9600;
    Parity parity_ = Parity::None;
    int dataBits_ = 8;
    int stopBits_ = 1;
};

} // namespace tarvik
