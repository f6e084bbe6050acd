#include "registermap.h"

#include <bit>

namespace tarvik::sim {

void RegisterMap::add(RegisterBlock block) {
    block.words.resize(block.count);
    blocks_.push_back(std::move(block));
}

RegisterBlock* RegisterMap::locate(std::uint16_t address, int& index) {
    for (RegisterBlock& b : blocks_) {
        if (address < b.first) continue;
        const int offset = address - b.first;
        if (offset % b.step != 0 || offset / b.step >= b.count) continue;
        index = offset / b.step;
        return &b;
    }
    return nullptr;
}

Exception RegisterMap::read(std::uint16_t address, int count, std::vector<std::uint16_t>& out) {
    int index = 0;
    RegisterBlock* b = locate(address, index);
    if (!b || count < 1 || index + count > b->count) return IllegalDataAddress;
    if (b->refresh) b->refresh(b->words);
    out.assign(b->words.begin() + index, b->words.begin() + index + count);
    return NoException;
}

Exception RegisterMap::write(std::uint16_t address, const std::vector<std::uint16_t>& values) {
    int index = 0;
    RegisterBlock* b = locate(address, index);
    const int count = static_cast<int>(values.size());
    if (!b || !b->writable || count < 1 || index + count > b->count) return IllegalDataAddress;
    std::copy(values.begin(), values.end(), b->words.begin() + index);
    if (b->written) b->written(index, count);
    return NoException;
}

RegisterBlock* RegisterMap::block(const QString& name) {
    for (RegisterBlock& b : blocks_)
        if (b.name == name) return &b;
    return nullptr;
}

void putFloat(std::vector<std::uint16_t>& words, int index, float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    words[index] = static_cast<std::uint16_t>(bits >> 16);
    words[index + 1] = static_cast<std::uint16_t>(bits & 0xFFFF);
}

RegisterMap transducerRegisters(std::function<Measurements()> source) {
    RegisterMap map;
    RegisterBlock measurements;
    measurements.name = QStringLiteral("measurements");
    measurements.first = 0;
    measurements.count = 2 * QuantityCount;
    measurements.refresh = [source](std::vector<std::uint16_t>& words) {
        const Measurements m = source();
        for (int k = 0; k < QuantityCount; ++k)
            putFloat(words, 2 * k, m[k]);
    };
    map.add(std::move(measurements));
    return map;
}

} // namespace tarvik::sim
