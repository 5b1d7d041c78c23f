// A set on its line: the engine behind the fault layer. This is what a program or an in-process
// test drives: bytes from the host in, bytes on the wire to the host out.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "sim/Engine.h"
#include "sim/LineFaults.h"

namespace fonerix::sim {

class SimulatedSet {
  public:
    explicit SimulatedSet(Engine engine) : engine_(std::move(engine)) {}

    // One byte from the host; whatever the set answers is added to the outgoing bytes.
    Reception ReceiveFromHost(std::uint8_t byte);
    // An event frame, sent whatever the host is doing, as the set does.
    void SendEvent(std::vector<std::uint8_t> frame);
    // A call recorded in its log (see Engine::RecordCall).
    std::string RecordCall(const CallEntry& call) { return engine_.RecordCall(call); }
    // Bytes put on the line exactly as given.
    void SendRaw(std::vector<std::uint8_t> bytes);

    // The bytes on the wire to the host since the last call.
    std::vector<std::uint8_t> TakeOutgoing() { return std::exchange(outgoing_, {}); }

    void Apply(const FaultSwitch& change);
    // The active faults, line and set together, as on the command line; "none" if there are none.
    std::string DescribeFaults() const;

    const Engine& Device() const { return engine_; }

  private:
    void Transmit(const Transmission& transmission) { faults_.Transmit(transmission, outgoing_); }

    Engine engine_;
    LineFaults faults_;
    std::vector<std::uint8_t> outgoing_;
};

}  // namespace fonerix::sim
