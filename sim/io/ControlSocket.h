// The Unix-domain socket on which other processes (tests, scripts) send the simulator commands.
#pragma once

#include <string>

#include "sim/io/UniqueFd.h"

namespace fonerix::sim {

class ControlSocket {
  public:
    // Listens at `path`. A socket left there by a simulator that is gone is replaced; a live
    // one, or anything that is not a socket, is an error. Throws saying what and which path.
    explicit ControlSocket(std::string path);
    ~ControlSocket();

    ControlSocket(const ControlSocket&) = delete;
    ControlSocket& operator=(const ControlSocket&) = delete;

    int ListenFd() const { return m_listener.Get(); }
    // A waiting connection, non-blocking; an empty UniqueFd when none is waiting.
    UniqueFd Accept();

  private:
    std::string m_path;
    UniqueFd m_listener;
};

}  // namespace fonerix::sim
