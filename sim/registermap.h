// The register table of the virtual transducer: which addresses exist, what they hold, which
// of them a master may write.
#pragma once

#include "measurements.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace tarvik::sim {

// Modbus exception codes the transducer answers with.
enum Exception : std::uint8_t {
    NoException = 0,
    IllegalFunction = 1,
    IllegalDataAddress = 2,
    IllegalDataValue = 3,
};

// One contiguous block of 16-bit registers. In the measurement block every register has its own
// address; in the settings area the device counts two address units per register, so there the
// register after 512 is 514 (step 2). A read must stay inside one block.
struct RegisterBlock {
    QString name;
    std::uint16_t first = 0; // address of register 0 of the block
    std::uint16_t count = 0; // number of registers
    std::uint16_t step = 1;  // address units per register
    bool writable = false;
    std::vector<std::uint16_t> words; // the contents; writes persist while the program runs
    // Live blocks (the measurements) fill `words` before every read.
    std::function<void(std::vector<std::uint16_t>&)> refresh;
    // Called after a master wrote `count` registers from index `index` of the block.
    std::function<void(int index, int count)> written;
};

class RegisterMap {
public:
    void add(RegisterBlock block);

    // The `count` registers from `address` on, or the exception code for a request that leaves
    // the registers the device has.
    Exception read(std::uint16_t address, int count, std::vector<std::uint16_t>& out);
    Exception write(std::uint16_t address, const std::vector<std::uint16_t>& values);

    RegisterBlock* block(const QString& name);

private:
    // The block holding `address` as one of its registers and that register's index in it.
    RegisterBlock* locate(std::uint16_t address, int& index);

    std::vector<RegisterBlock> blocks_;
};

// Writes a float into two registers, the upper half first, as the measurement block holds it.
void putFloat(std::vector<std::uint16_t>& words, int index, float value);

// The transducer's register map: the measurement block 0..61, filled from `source` on every read.
RegisterMap transducerRegisters(std::function<Measurements()> source);

} // namespace tarvik::sim
