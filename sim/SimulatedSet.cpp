#include "sim/SimulatedSet.h"

namespace fonerix::sim {

Reception SimulatedSet::ReceiveFromHost(std::uint8_t byte) {
    const Reception reception = m_faults.Receive();
    if (reception == Reception::kDelivered) {
        m_engine.Receive(byte);
        for (const Transmission& transmission : m_engine.TakeTransmissions()) {
            Transmit(transmission);
        }
    }
    return reception;
}

void SimulatedSet::SendEvent(std::vector<std::uint8_t> frame) {
    Transmit(Transmission{TransmissionKind::kEvent, std::move(frame)});
}

void SimulatedSet::SendRaw(std::vector<std::uint8_t> bytes) {
    Transmit(Transmission{TransmissionKind::kRaw, std::move(bytes)});
}

void SimulatedSet::Apply(const FaultSwitch& change) {
    if (change.fault == Fault::kDeepSleep) {
        m_engine.SetDeepSleep(change.value != 0);
    } else {
        m_faults.Apply(change);
    }
}

std::string SimulatedSet::DescribeFaults() const {
    const std::string line = m_faults.Describe();
    if (!m_engine.DeepSleep()) {
        return line;
    }
    return line == "none" ? "deep-sleep" : line + ",deep-sleep";
}

}  // namespace fonerix::sim
