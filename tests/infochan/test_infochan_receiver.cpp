// The receiver of the information-channel stream: packets cut anywhere by the batches,
// damaged packets, garbage and header patterns inside the data.
#include "infochanpacket.h"
#include "infochanreceiver.h"
#include "infochanstream.h"

#include <QRandomGenerator>
#include <QTest>

using namespace tarvik;
using namespace tarvik::test;

namespace {

using Event = InfoChanReceiver::Event;

struct Outcome {
    QList<QByteArray> packets; // good packets, in order
    int crcErrors = 0;
    qsizetype maxPending = 0;
};

// Feeds the stream in pieces of 1..maxPiece bytes, cut at seeded pseudo-random points.
Outcome FeedInPieces(const QByteArray& stream, quint32 seed, int maxPiece) {
    InfoChanReceiver receiver;
    QRandomGenerator random(seed);
    Outcome out;
    for (qsizetype at = 0; at < stream.size();) {
        const qsizetype piece =
            qMin<qsizetype>(random.bounded(1, maxPiece + 1), stream.size() - at);
        for (const Event& e : receiver.feed(QByteArrayView(stream).sliced(at, piece))) {
            if (e.kind == Event::Packet)
                out.packets << e.packet;
            else
                ++out.crcErrors;
        }
        out.maxPending = qMax(out.maxPending, receiver.pending());
        at += piece;
    }
    return out;
}

QByteArray Stream(int first, int count) {
    QByteArray s;
    for (int n = first; n < first + count; ++n)
        s += NumberedPacket(n);
    return s;
}

QList<QByteArray> Packets(std::initializer_list<int> numbers) {
    QList<QByteArray> out;
    for (int n : numbers)
        out << NumberedPacket(n);
    return out;
}

// A packet whose values contain the header pattern, so a search that starts inside it finds
// a header that is none.
QByteArray PacketWithFalseHeader() {
    PacketSpec s;
    // Value 10 travels as 55 AA 01 80, value 11 starts with 8E.
    s.values[10] = 0x018055AA;
    s.values[11] = 0x00008E00;
    return MakePacket(s);
}

// Ways of cutting the stream into batches.
void PiecesData() {
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("maxPiece");
    QTest::newRow("byte by byte") << 1u << 1;
    QTest::newRow("small pieces") << 2u << 9;
    QTest::newRow("about a packet") << 3u << 150;
    QTest::newRow("several packets") << 4u << 700;
    QTest::newRow("one batch") << 5u << 100000;
}

} // namespace

class InfoChanReceiverTest : public QObject {
    Q_OBJECT
private slots:
    void cleanStreamGivesEveryPacketOnce() {
        QFETCH(quint32, seed);
        QFETCH(int, maxPiece);
        const Outcome out = FeedInPieces(Stream(0, 40), seed, maxPiece);
        QCOMPARE(out.crcErrors, 0);
        QCOMPARE(out.packets.size(), 40);
        for (int n = 0; n < 40; ++n)
            QCOMPARE(out.packets[n], NumberedPacket(n));
        QVERIFY(out.maxPending < InfoChanPacketSize);
    }
    void cleanStreamGivesEveryPacketOnce_data() { PiecesData(); }

    void damagedPacketIsReportedOnce() {
        QFETCH(quint32, seed);
        QFETCH(int, maxPiece);
        QByteArray damaged = NumberedPacket(2);
        damaged[60] = char(damaged[60] ^ 0x10);
        const QByteArray stream = Stream(0, 2) + damaged + Stream(3, 3);
        const Outcome out = FeedInPieces(stream, seed, maxPiece);
        QCOMPARE(out.crcErrors, 1);
        QCOMPARE(out.packets, Packets({0, 1, 3, 4, 5}));
    }
    void damagedPacketIsReportedOnce_data() { PiecesData(); }

    void damagedCrcIsReportedOnce() {
        QByteArray damaged = NumberedPacket(1);
        damaged[141] = char(damaged[141] ^ 0xFF);
        const Outcome out = FeedInPieces(NumberedPacket(0) + damaged + NumberedPacket(2), 7, 50);
        QCOMPARE(out.crcErrors, 1);
        QCOMPARE(out.packets, Packets({0, 2}));
    }

    void garbageBetweenPackets() {
        QFETCH(quint32, seed);
        QFETCH(int, maxPiece);
        // Noise and headers cut short are skipped without a report.
        const QByteArray noise = QByteArray::fromHex("00FF1234AA55");
        const QByteArray partialHeaders = QByteArray::fromHex("55AA0180"
                                                              "55AA01"
                                                              "5555AA");
        QByteArray stream = noise + NumberedPacket(0) + partialHeaders + NumberedPacket(1) +
                            QByteArray(300, '\x55') + NumberedPacket(2) + noise;
        const Outcome out = FeedInPieces(stream, seed, maxPiece);
        QCOMPARE(out.crcErrors, 0);
        QCOMPARE(out.packets, Packets({0, 1, 2}));
    }
    void garbageBetweenPackets_data() { PiecesData(); }

    void packetWithLostBytesIsReported() {
        // Bytes lost on the line: the short packet fails, the next one still comes through.
        const QByteArray shortened = NumberedPacket(1).left(100);
        const Outcome out = FeedInPieces(NumberedPacket(0) + shortened + Stream(2, 2), 11, 200);
        QCOMPARE(out.crcErrors, 1);
        QCOMPARE(out.packets, Packets({0, 2, 3}));
    }

    void headerSplitAcrossBatches_data() {
        QTest::addColumn<int>("cut");
        for (int cut = 1; cut <= InfoChanHeaderSize; ++cut)
            QTest::addRow("after %d", cut) << cut;
    }
    void headerSplitAcrossBatches() {
        QFETCH(int, cut);
        InfoChanReceiver receiver;
        const QByteArray noise = QByteArray::fromHex("0102030405060708");
        const QByteArray packet = NumberedPacket(5);
        QVERIFY(receiver.feed(noise + packet.left(cut)).isEmpty());
        const QList<Event> events = receiver.feed(packet.mid(cut));
        QCOMPARE(events.size(), 1);
        QCOMPARE(events[0].kind, Event::Packet);
        QCOMPARE(events[0].packet, packet);
        QCOMPARE(events[0].payload().size(), InfoChanPacketSize - InfoChanHeaderSize);
    }

    void falseHeaderInsideAlignedPackets() {
        const QByteArray tricky = PacketWithFalseHeader();
        QVERIFY(tricky.indexOf(InfoChanHeader, 1) > 0);
        const Outcome out =
            FeedInPieces(tricky + NumberedPacket(1) + tricky + NumberedPacket(2), 3, 90);
        QCOMPARE(out.crcErrors, 0);
        QCOMPARE(out.packets,
                 (QList<QByteArray>{tricky, NumberedPacket(1), tricky, NumberedPacket(2)}));
    }

    void falseHeaderDoesNotHideRealPacket() {
        QFETCH(quint32, seed);
        QFETCH(int, maxPiece);
        // Listening starts in the middle of a packet, before a header pattern in its data:
        // that false candidate overlaps the real packet that follows, which must still show.
        const QByteArray tricky = PacketWithFalseHeader();
        const QByteArray stream = tricky.mid(20) + Stream(1, 3);
        const Outcome out = FeedInPieces(stream, seed, maxPiece);
        QCOMPARE(out.packets, Packets({1, 2, 3}));
        QCOMPARE(out.crcErrors, 1); // the false candidate
    }
    void falseHeaderDoesNotHideRealPacket_data() { PiecesData(); }

    void keptBytesStayBounded() {
        InfoChanReceiver receiver;
        QVERIFY(receiver.feed(QByteArray(10000, '\x55')).isEmpty());
        QVERIFY(receiver.pending() < InfoChanHeaderSize);
        // A header followed by a long run of a packet that never completes correctly.
        QByteArray noise(5000, '\x00');
        noise.prepend(InfoChanHeader.toByteArray());
        const QList<Event> events = receiver.feed(noise);
        QCOMPARE(events.size(), 1);
        QCOMPARE(events[0].kind, Event::CrcError);
        QVERIFY(receiver.pending() < InfoChanPacketSize);
    }

    void nothingIsDeliveredTwice() {
        InfoChanReceiver receiver;
        QCOMPARE(receiver.feed(NumberedPacket(1)).size(), 1);
        QVERIFY(receiver.feed({}).isEmpty());
        QVERIFY(receiver.feed(QByteArray(200, '\x00')).isEmpty());
    }

    void resetForgetsPartialPacket() {
        InfoChanReceiver receiver;
        const QByteArray packet = NumberedPacket(1);
        receiver.feed(packet.left(70));
        receiver.reset();
        QVERIFY(receiver.feed(packet.mid(70)).isEmpty());
        QCOMPARE(receiver.feed(NumberedPacket(2)).size(), 1);
    }
};

QObject* MakeInfoChanReceiverTest() {
    return new InfoChanReceiverTest;
}

#include "test_infochan_receiver.moc"
