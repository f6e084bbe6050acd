#include "infochanreceiver.h"

#include "infochanpacket.h"
#include "inquiry.h"

namespace tarvik {

QByteArrayView InfoChanReceiver::Event::payload() const {
    return QByteArrayView(packet).sliced(InfoChanHeaderSize);
}

QList<InfoChanReceiver::Event> InfoChanReceiver::feed(QByteArrayView bytes) {
    pending_.append(bytes);
    QList<Event> events;
    qsizetype from = 0; // everything before it is used up
    for (;;) {
        const qsizetype at = pending_.indexOf(InfoChanHeader, from);
        if (at < 0) {
            // Keep a tail that may be the start of a header cut by the batch.
            from = qMax(from, pending_.size() - (InfoChanHeaderSize - 1));
            break;
        }
        if (pending_.size() - at < InfoChanPacketSize) {
            from = at; // the rest of this packet comes with a later batch
            break;
        }
        QByteArray candidate = pending_.sliced(at, InfoChanPacketSize);
        if (ModbusCrc16(candidate) == 0) {
            events.append({Event::Packet, std::move(candidate)});
            from = at + InfoChanPacketSize;
        } else {
            // Damaged, or a header pattern inside the data of another packet: look again from
            // the next byte, so a real packet that starts inside this candidate is not lost.
            events.append({Event::CrcError, std::move(candidate)});
            from = at + 1;
        }
    }
    pending_.remove(0, from);
    return events;
}

} // namespace tarvik
