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
    explicit SimulatedSet(Engine engine) : m_engine(std::move(engine)) {}

    // One byte from the host; whatever the set answers is added to the outgoing bytes.
    Reception ReceiveFromHost(std::uint8_t byte);
    // An event frame, sent whatever the host is doing, as the set does.
    void SendEvent(std::vector<std::uint8_t> frame);
    // A call recorded in its log (see Engine::RecordCall).
    std::string RecordCall(const CallEntry& call) { return m_engine.RecordCall(call); }
    // Bytes put on the line exactly as given.
    void SendRaw(std::vector<std::uint8_t> bytes);

    // The bytes on the wire to the host since the last call.
    std::vector<std::uint8_t> TakeOutgoing() { return std::exchange(m_outgoing, {}); }

    void Apply(const FaultSwitch& change);
    // The active faults, line and set together, as on the command line; "none" if there are none.
    std::string DescribeFaults() const;

    const Engine& Device() const { return m_engine; }

  private:
    void Transmit(const Transmission& transmission) { m_faults.Transmit(transmission, m_outgoing); }

    Engine m_engine;
    LineFaults m_faults;
    std::vector<std::uint8_t> m_outgoing;
};

}  // namespace fonerix::sim
