// The three-phase network that the virtual transducer "measures".
#pragma once

#include <array>

namespace tarvik::sim {

// The 31 measured quantities in the order of the measurement block (register pair k holds
// quantity k) and of the information-channel packet.
enum Quantity : int {
    Ua,
    Ub,
    Uc, // phase voltages, V
    Ia,
    Ib,
    Ic, // currents, A
    Uab,
    Ubc,
    Uca, // line voltages, V
    Pa,
    Pb,
    Pc, // active power per phase, W
    Qa,
    Qb,
    Qc, // reactive power per phase, var
    Sa,
    Sb,
    Sc, // apparent power per phase, VA
    PFa,
    PFb,
    PFc, // power factors per phase
    P,
    Q,
    S,  // totals
    PF, // total power factor
    F,  // frequency, Hz
    UMean,
    IMean,
    ULMean,
    U0,
    I0, // zero-sequence voltage and current
    QuantityCount
};

using Measurements = std::array<float, QuantityCount>;

// The network `seconds` after the start: a slightly unbalanced 100 V (line) / 5 A four-wire
// load with a power factor near 0.9 at 50 Hz. Every value drifts slowly and smoothly, and the
// derived values stay consistent with the phase values (line voltages from the phasors, powers
// from U, I and the phase angle, totals as sums, means as means, zero sequence from the phasor
// sums).
Measurements measurementsAt(double seconds);

} // namespace tarvik::sim
