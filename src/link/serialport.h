// The one serial port the program talks through. The link core uses only this interface; the
// program plugs in QtSerialPort, the tests a FakeSerialPort.
#pragma once

#include <QObject>
#include <QString>

namespace tarvik {

class SerialPort : public QObject {
    Q_OBJECT
public:
    enum class Parity { None = 0, Odd = 1, Even = 2 };

    using QObject::QObject;
    ~SerialPort() override = default;

    // Port number 0 means no port, 1..16 the ports Comm1..Comm16. Setting a number closes the
    // port; it is opened again by the next flush or write. Returns false if refused.
    virtual bool setPortNumber(int number) = 0;
    virtual int portNumber() const = 0;
    // The device the port number resolves to ("/dev/ttyUSB0"), empty when none.
    virtual QString deviceName() const = 0;

    virtual bool setBaudRate(qint32 baud) = 0;
    virtual qint32 baudRate() const = 0;
    virtual bool setParity(Parity parity) = 0;
    virtual Parity parity() const = 0;
    virtual bool setDataBits(int bits) = 0;
    virtual int dataBits() const = 0;
    virtual bool setStopBits(int bits) = 0;
    virtual int stopBits() const = 0;

    // Bytes waiting in the input buffer.
    virtual qint64 bytesAvailable() const = 0;
    // Reads up to maxLength bytes; returns the count read, or -1 on failure.
    virtual qint64 read(char* data, qint64 maxLength) = 0;
    // The n-th unread byte, counting from 1, without removing it; -1 if there is none.
    virtual int peek(int n) const = 0;
    // Discard the input or the output buffer. Either opens the port first if it is closed, so a
    // port that cannot be used shows up here. Return false on failure.
    virtual bool flushInput() = 0;
    virtual bool flushOutput() = 0;
    // Writes the whole block; returns false on failure.
    virtual bool write(const QByteArray& data) = 0;

signals:
    // Bytes arrived; count is the number of bytes waiting in the input buffer now.
    void dataAvailable(int count);
};

} // namespace tarvik
