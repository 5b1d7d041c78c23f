#include "sim/SimulatedSet.h"

namespace fonerix::sim {

Reception SimulatedSet::ReceiveFromHost(std::uint8_t byte) {
    const Reception reception = faults_.Receive();
    if (reception == Reception::kDelivered) {
        engine_.Receive(byte);
        for (const Transmission& transmission : engine_.TakeTransmissions()) {
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
        engine_.SetDeepSleep(change.value != 0);
    } else {
        faults_.Apply(change);
    }
}

std::string SimulatedSet::DescribeFaults() const {
    const std::string line = faults_.Describe();
    if (!engine_.DeepSleep()) {
        return line;
    }
    return line == "none" ? "deep-sleep" : line + ",deep-sleep";
}

}  // namespace fonerix::sim
