// The Modbus RTU slave of the virtual transducer: bytes from the line in, replies out.
//
// Everything here is free of I/O and time: the program that owns the line feeds the bytes it
// reads, tells when the line has gone quiet, and sends the replies (with their timing) itself.
#pragma once

#include "registermap.h"

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

namespace tarvik::sim {

struct SlaveOptions {
    std::uint8_t address = 1;
    // Fault injection, by the number of the request (see Exchange::number); 0 is off.
    int dropEvery = 0;    // no reply to every Nth request
    int corruptEvery = 0; // both CRC bytes of every Nth reply inverted
    int garbageEvery = 0; // every Nth reply preceded (or followed) by GarbageBytes
    bool garbageAfter = false;
};

// What the line carries as garbage: four bytes that are easy to spot in a dump.
inline constexpr char GarbageBytes[] = "\xDE\xAD\xBE\xEF";
inline constexpr int GarbageLength = 4;

// One request taken from the line and what the slave does about it.
struct Exchange {
    // Requests are numbered 1, 2, 3... in the order they arrive; every frame with a good CRC
    // addressed to this slave counts, whatever the answer. The fault options act on this number.
    int number = 0;
    QByteArray request;
    QByteArray reply; // the bytes to send, faults applied; empty for no answer
    bool dropped = false;
    bool corrupted = false;
    bool garbage = false;
};

class Slave {
public:
    Slave(SlaveOptions options, RegisterMap& registers);

    // Bytes read from the line. Every complete request at the head of the buffer is answered at
    // once; anything else waits for the line to go quiet.
    std::vector<Exchange> receive(QByteArrayView bytes);
    // The line has been quiet for 3.5 character times: what is buffered is one frame. It is
    // answered when its CRC is good, otherwise dropped.
    std::vector<Exchange> lineIdle();
    // True while bytes wait for the rest of their frame or for the line to go quiet.
    bool hasPendingBytes() const { return !buffer_.isEmpty(); }

    int requestCount() const { return requests_; }
    std::uint8_t address() const { return options_.address; }
    void setAddress(std::uint8_t address) { options_.address = address; }

    // The device's answer to one whole frame (CRC included), without faults. Empty when the
    // device keeps silent: another address, bad CRC, not a request, a malformed frame.
    QByteArray answer(QByteArrayView frame);

private:
    // What the slave knows of one function code: how long its request is and who answers it.
    struct Function {
        std::uint8_t code;
        // Length of a request whose first bytes are `head`; 0 while more bytes are needed.
        qsizetype (*length)(QByteArrayView head);
        QByteArray (Slave::*handle)(QByteArrayView frame);
    };
    static const Function* function(std::uint8_t code);

    // Length of the request at the head of the buffer: > 0 when known, 0 when more bytes are
    // needed to tell, < 0 for a function whose length the slave cannot tell.
    qsizetype requestLength() const;
    void take(QByteArrayView frame, std::vector<Exchange>& out);

    QByteArray readHolding(QByteArrayView frame);
    QByteArray writeSingle(QByteArrayView frame);
    QByteArray writeMultiple(QByteArrayView frame);
    QByteArray exception(std::uint8_t function, Exception code) const;

    SlaveOptions options_;
    RegisterMap& registers_;
    QByteArray buffer_;
    int requests_ = 0;
};

} // namespace tarvik::sim
