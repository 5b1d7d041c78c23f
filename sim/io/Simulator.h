// The simulator program's run time: one thread, one poll loop over the line, standard input,
// the control socket, signals and a timer for the paced line and the image's saving.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/SimulatedSet.h"
#include "sim/WireClock.h"
#include "sim/io/ByteTrace.h"
#include "sim/io/ControlSocket.h"
#include "sim/io/ImageFile.h"
#include "sim/io/LineAssembler.h"
#include "sim/io/Options.h"
#include "sim/io/PtyLink.h"
#include "sim/io/UniqueFd.h"

namespace fonerix::sim {

class Simulator {
  public:
    // Loads the image, opens the line and the control socket. Throws saying what failed.
    explicit Simulator(const Options& options);

    // Prints "ready PATH" and serves until `quit`, SIGTERM or SIGINT; then saves the image.
    // Returns the exit status.
    int Run();

  private:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;

    struct IncomingByte {
        std::uint8_t byte;
        TimePoint due;                      // when it has finished arriving
        std::optional<unsigned> line_baud;  // the host's line speed when it arrived
    };
    struct OutgoingByte {
        std::uint8_t byte;
        TimePoint due;  // when it may be handed to the host
    };
    struct Client {
        UniqueFd fd;
        LineAssembler lines;
        std::string replies;
    };

    void ServeOnce();
    void ReadLine(TimePoint now);
    void DeliverDueBytes(TimePoint now);
    void WriteDueBytes(TimePoint now);
    void Send(const std::vector<std::uint8_t>& bytes, TimePoint ready);
    void NoteChanges(TimePoint now);
    bool SaveImage();
    void ArmTimer(TimePoint now);

    void ReadStandardInput();
    void AcceptClients();
    // False when the client has gone.
    bool ServeClient(Client& client, short events);
    void FlushReplies(Client& client);
    std::string Execute(std::string_view line, TimePoint now);
    std::string Status() const;
    std::string DumpTo(const std::string& path) const;

    Options m_options;
    TimePoint m_start;
    // Before the link exists, so that no SIGTERM can end the program with the link left behind.
    UniqueFd m_signals;
    UniqueFd m_timer;
    std::optional<ImageFile> m_image;
    SimulatedSet m_set;
    PtyLink m_link;
    std::optional<ControlSocket> m_control;
    ByteTrace m_trace;

    std::optional<WireClock> receive_clock_;  // when pacing
    std::optional<WireClock> send_clock_;
    std::deque<IncomingByte> m_incoming;
    std::deque<OutgoingByte> m_outgoing;
    bool line_full_ = false;  // the host is not reading; wait until the line takes bytes again
    std::optional<unsigned> last_line_baud_;
    std::uint64_t bytes_received_ = 0;

    std::uint64_t seen_revision_ = 0;
    std::optional<TimePoint> save_due_;

    LineAssembler standard_input_;
    bool standard_input_open_ = true;
    std::vector<Client> m_clients;
    bool m_quit = false;
};

}  // namespace fonerix::sim
