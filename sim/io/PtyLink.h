// The set's end of the serial line: a pseudo-terminal whose slave is linked at a path the host
// opens as its port.
#pragma once

#include <optional>
#include <string>

#include "sim/io/UniqueFd.h"

namespace fonerix::sim {

class PtyLink {
  public:
    // Opens a pseudo-terminal, puts its slave in raw mode and makes `link_path` a symbolic link
    // to the slave, replacing an earlier symbolic link there but nothing else. Throws
    // std::runtime_error (or std::system_error) saying which step failed, on which path.
    explicit PtyLink(std::string link_path);
    // Removes the link, unless something else has been linked there since.
    ~PtyLink();

    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    // The set's side: read what the host writes, write what the set sends. Non-blocking.
    int MasterFd() const { return m_master.Get(); }
    const std::string& SlaveName() const { return slave_name_; }
    const std::string& LinkPath() const { return link_path_; }

    // The line speed the host has set on its port, in bit/s; nothing if the terminal settings
    // cannot be read or name no standard speed.
    std::optional<unsigned> LineBaud() const;

  private:
    void CreateLink();

    std::string link_path_;
    UniqueFd m_master;
    // Held open for the simulator's whole life: while any slave descriptor is open, the host can
    // close and reopen its port without the line being hung up under the set.
    UniqueFd m_slave;
    std::string slave_name_;
};

}  // namespace fonerix::sim
