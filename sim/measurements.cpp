#include "measurements.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace tarvik::sim {

namespace {

using Phasor = std::complex<double>;

// A slow sine drift around 1.0: relative amplitude, period in seconds and a phase offset.
struct Drift {
    double amplitude;
    double period;
    double offset;
    double at(double t) const {
        return 1.0 + amplitude * std::sin(2 * std::numbers::pi * t / period + offset);
    }
};

constexpr double NominalPhaseVoltage = 100.0 / std::numbers::sqrt3; // 57.735 V
constexpr double NominalCurrent = 5.0;
constexpr double NominalFrequency = 50.0;

// One row per phase: voltage drift, current drift, drift of the load angle.
struct PhaseDrifts {
    Drift voltage;
    Drift current;
    Drift angle;
};
constexpr PhaseDrifts Phases[3] = {
    {{0.010, 47.0, 0.0}, {0.040, 61.0, 0.5}, {0.06, 113.0, 1.0}},
    {{0.008, 53.0, 2.1}, {0.035, 67.0, 2.6}, {0.07, 127.0, 3.1}},
    {{0.012, 59.0, 4.2}, {0.045, 71.0, 4.7}, {0.05, 139.0, 5.2}},
};
constexpr double NominalAngle = 0.451; // acos(0.9)
constexpr Drift FrequencyDrift{0.001, 97.0, 0.3};

double degrees(double d) {
    return d * std::numbers::pi / 180.0;
}

} // namespace

Measurements measurementsAt(double seconds) {
    Measurements m{};
    Phasor uSum, iSum;
    double u[3], i[3];
    Phasor voltage[3];
    for (int p = 0; p < 3; ++p) {
        const PhaseDrifts& d = Phases[p];
        u[p] = NominalPhaseVoltage * d.voltage.at(seconds);
        i[p] = NominalCurrent * d.current.at(seconds);
        const double phi = NominalAngle * d.angle.at(seconds);
        const double rotation = degrees(-120.0 * p); // A at 0, B at -120, C at +120 degrees
        voltage[p] = std::polar(u[p], rotation);
        uSum += voltage[p];
        iSum += std::polar(i[p], rotation - phi);

        m[Ua + p] = static_cast<float>(u[p]);
        m[Ia + p] = static_cast<float>(i[p]);
        m[Pa + p] = static_cast<float>(u[p] * i[p] * std::cos(phi));
        m[Qa + p] = static_cast<float>(u[p] * i[p] * std::sin(phi));
        m[Sa + p] = static_cast<float>(u[p] * i[p]);
        m[PFa + p] = static_cast<float>(std::cos(phi));
    }
    for (int p = 0; p < 3; ++p)
        m[Uab + p] = static_cast<float>(std::abs(voltage[p] - voltage[(p + 1) % 3]));

    const double p = double(m[Pa]) + m[Pb] + m[Pc];
    const double s = double(m[Sa]) + m[Sb] + m[Sc];
    m[P] = static_cast<float>(p);
    m[Q] = static_cast<float>(double(m[Qa]) + m[Qb] + m[Qc]);
    m[S] = static_cast<float>(s);
    m[PF] = static_cast<float>(p / s);
    m[F] = static_cast<float>(NominalFrequency * FrequencyDrift.at(seconds));
    m[UMean] = static_cast<float>((u[0] + u[1] + u[2]) / 3);
    m[IMean] = static_cast<float>((i[0] + i[1] + i[2]) / 3);
    m[ULMean] = static_cast<float>((double(m[Uab]) + m[Ubc] + m[Uca]) / 3);
    m[U0] = static_cast<float>(std::abs(uSum) / 3);
    m[I0] = static_cast<float>(std::abs(iSum) / 3);
    return m;
}

} // namespace tarvik::sim
