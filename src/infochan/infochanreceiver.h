// Finds the packets of the information channel in the bytes as they arrive. The stream is
// continuous and a read delivers whatever the port holds, so a packet may be cut anywhere: the
// bytes not used yet wait for the next batch. Every complete packet is checked once and then
// consumed, so a packet is never reported twice.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace tarvik {

class InfoChanReceiver {
public:
    struct Event {
        enum Kind { Packet, CrcError } kind;
        QByteArray packet; // the 142 bytes of the packet, header and CRC included

        // The packet from the status byte on.
        QByteArrayView payload() const;
    };

    // Takes the next bytes of the stream; returns the packets completed by them, in stream
    // order: good ones, and CRC failures of complete candidates.
    QList<Event> feed(QByteArrayView bytes);
    // Forgets the bytes kept from earlier batches (the port buffer was emptied).
    void reset() { pending_.clear(); }
    // Bytes kept for the next batch: at most an incomplete packet.
    qsizetype pending() const { return pending_.size(); }

private:
    QByteArray pending_;
};

} // namespace tarvik
