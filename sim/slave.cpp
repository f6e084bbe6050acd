#include "slave.h"

#include "simcrc.h"

namespace tarvik::sim {

namespace {

std::uint8_t byteAt(QByteArrayView frame, qsizetype i) {
    return static_cast<std::uint8_t>(frame[i]);
}

std::uint16_t wordAt(QByteArrayView frame, qsizetype i) {
    return static_cast<std::uint16_t>(byteAt(frame, i) << 8 | byteAt(frame, i + 1));
}

void appendWord(QByteArray& frame, std::uint16_t word) {
    frame.append(static_cast<char>(word >> 8));
    frame.append(static_cast<char>(word & 0xFF));
}

qsizetype fixedEight(QByteArrayView) {
    return 8;
}

// Function 16: address, function, start, count, byte count, data, CRC.
qsizetype writeMultipleLength(QByteArrayView head) {
    return head.size() < 7 ? 0 : 9 + byteAt(head, 6);
}

bool hits(int number, int every) {
    return every > 0 && number % every == 0;
}

} // namespace

const Slave::Function* Slave::function(std::uint8_t code) {
    // The functions the transducer answers. Adding one is adding a row.
    static const Function functions[] = {
        {0x03, fixedEight, &Slave::readHolding},
        {0x06, fixedEight, &Slave::writeSingle},
        {0x10, writeMultipleLength, &Slave::writeMultiple},
    };
    for (const Function& f : functions)
        if (f.code == code) return &f;
    return nullptr;
}

Slave::Slave(SlaveOptions options, RegisterMap& registers)
    : options_(options), registers_(registers) {}

qsizetype Slave::requestLength() const {
    if (buffer_.size() < 2) return 0;
    const Function* f = function(byteAt(buffer_, 1));
    return f ? f->length(buffer_) : -1;
}

std::vector<Exchange> Slave::receive(QByteArrayView bytes) {
    buffer_.append(bytes);
    std::vector<Exchange> out;
    // Requests of known length are cut out as soon as they are complete; a frame whose CRC does
    // not check at that length is left for lineIdle(), which sees it whole.
    for (;;) {
        const qsizetype length = requestLength();
        if (length <= 0 || buffer_.size() < length || !crcIsValid(buffer_.first(length))) break;
        const QByteArray frame = buffer_.first(length);
        buffer_.remove(0, length);
        take(frame, out);
    }
    return out;
}

std::vector<Exchange> Slave::lineIdle() {
    std::vector<Exchange> out;
    const QByteArray frame = std::exchange(buffer_, {});
    if (crcIsValid(frame)) take(frame, out);
    return out;
}

void Slave::take(QByteArrayView frame, std::vector<Exchange>& out) {
    // Only requests to this slave count. Function codes with the top bit set are exception
    // replies, never requests: they are ignored, so that a line echoing our own replies back to
    // us cannot start an endless exchange.
    if (frame.size() < 4 || byteAt(frame, 0) != options_.address || byteAt(frame, 1) == 0 ||
        byteAt(frame, 1) >= 0x80)
        return;
    Exchange e;
    e.number = ++requests_;
    e.request = frame.toByteArray();
    e.reply = answer(frame);
    if (hits(e.number, options_.dropEvery)) {
        e.dropped = !e.reply.isEmpty();
        e.reply.clear();
    }
    if (!e.reply.isEmpty() && hits(e.number, options_.corruptEvery)) {
        e.corrupted = true;
        e.reply[e.reply.size() - 2] = static_cast<char>(~e.reply[e.reply.size() - 2]);
        e.reply[e.reply.size() - 1] = static_cast<char>(~e.reply[e.reply.size() - 1]);
    }
    if (!e.reply.isEmpty() && hits(e.number, options_.garbageEvery)) {
        e.garbage = true;
        const QByteArray garbage(GarbageBytes, GarbageLength);
        e.reply = options_.garbageAfter ? e.reply + garbage : garbage + e.reply;
    }
    out.push_back(std::move(e));
}

QByteArray Slave::answer(QByteArrayView frame) {
    if (frame.size() < 4 || !crcIsValid(frame) || byteAt(frame, 0) != options_.address) return {};
    const std::uint8_t code = byteAt(frame, 1);
    if (code == 0 || code >= 0x80) return {};
    const Function* f = function(code);
    if (!f) return exception(code, IllegalFunction);
    return (this->*(f->handle))(frame);
}

QByteArray Slave::exception(std::uint8_t function, Exception code) const {
    QByteArray reply;
    reply.append(static_cast<char>(options_.address));
    reply.append(static_cast<char>(function | 0x80));
    reply.append(static_cast<char>(code));
    appendCrc(reply);
    return reply;
}

QByteArray Slave::readHolding(QByteArrayView frame) {
    if (frame.size() != 8) return {};
    const int count = wordAt(frame, 4);
    if (count < 1 || count > 125) return exception(0x03, IllegalDataValue);
    std::vector<std::uint16_t> words;
    if (const Exception e = registers_.read(wordAt(frame, 2), count, words))
        return exception(0x03, e);
    QByteArray reply;
    reply.append(static_cast<char>(options_.address));
    reply.append('\x03');
    reply.append(static_cast<char>(2 * count));
    for (const std::uint16_t w : words)
        appendWord(reply, w);
    appendCrc(reply);
    return reply;
}

QByteArray Slave::writeSingle(QByteArrayView frame) {
    if (frame.size() != 8) return {};
    if (const Exception e = registers_.write(wordAt(frame, 2), {wordAt(frame, 4)}))
        return exception(0x06, e);
    return frame.toByteArray(); // the echo of the request
}

QByteArray Slave::writeMultiple(QByteArrayView frame) {
    if (frame.size() < 9) return {};
    const int count = wordAt(frame, 4);
    const int byteCount = byteAt(frame, 6);
    if (count < 1 || count > 123 || byteCount != 2 * count || frame.size() != 9 + byteCount)
        return exception(0x10, IllegalDataValue);
    std::vector<std::uint16_t> values;
    for (int k = 0; k < count; ++k)
        values.push_back(wordAt(frame, 7 + 2 * k));
    if (const Exception e = registers_.write(wordAt(frame, 2), values)) return exception(0x10, e);
    QByteArray reply = frame.first(6).toByteArray();
    appendCrc(reply);
    return reply;
}

} // namespace tarvik::sim
