#include "sim/io/Simulator.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <variant>

#include "sim/Commands.h"
#include "sim/Generator.h"
#include "sim/SetContent.h"

namespace fonerix::sim {

namespace {

// The image is saved once the line has been quiet this long after a change, so that a burst of
// flash writes costs one save, not one per byte.
constexpr std::chrono::milliseconds kSaveAfterQuiet{100};

std::optional<ImageFile> ImageOf(const Options& options) {
    if (options.image.empty()) {
        return std::nullopt;
    }
    return ImageFile(options.image);
}

std::string ReadTextFile(const std::string& path, const char* what = "the scenario") {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::runtime_error(std::string("cannot read ") + what + " " + path);
    }
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// A fresh set of the type the options (or the scenario) name, with the content they ask for.
DeviceStores FreshStores(const Options& options) {
    const auto now = std::chrono::system_clock::now();
    Scenario scenario;
    if (!options.scenario.empty()) {
        ParsedScenario parsed = ParseScenario(ReadTextFile(options.scenario));
        if (!parsed.scenario) {
            throw std::runtime_error("the scenario " + options.scenario + ", " + parsed.error);
        }
        scenario = std::move(*parsed.scenario);
        // Sound files are named relative to the scenario file.
        const std::filesystem::path folder = std::filesystem::path(options.scenario).parent_path();
        for (Scenario::VoiceMessage& message : scenario.voice) {
            const std::string text =
                ReadTextFile((folder / message.file).string(), "the sound file");
            message.wav.assign(text.begin(), text.end());
        }
    }
    const std::optional<int> type = options.type ? options.type : scenario.type;
    if (!type) {
        throw std::runtime_error("neither --type nor the scenario " + options.scenario +
                                 " says which set to make");
    }
    if (options.generate) {
        scenario = GenerateScenario(*type, options.generate->seed, options.generate->count,
                                    LocalCivilTime(now));
    }
    try {
        return BuildSet(*type, scenario, now);
    } catch (const std::invalid_argument& error) {
        throw std::runtime_error((options.scenario.empty() ? std::string("the generated content")
                                                           : "the scenario " + options.scenario) +
                                 " does not fit the set: " + error.what());
    }
}

SimulatedSet BuildSet(const Options& options, const std::optional<ImageFile>& image) {
    std::optional<DeviceStores> stores = image ? image->Load() : std::nullopt;
    if (stores) {
        const int saved_type = stores->memory.DeviceType();
        if (options.type && *options.type != saved_type) {
            throw std::runtime_error("the image " + image->Path() + " holds a set of type " +
                                     std::to_string(saved_type) + ", but --type says " +
                                     std::to_string(*options.type));
        }
        if (!options.scenario.empty() || options.generate) {
            // Making a fresh set here would throw the saved one away.
            throw std::runtime_error("the image " + image->Path() +
                                     " already holds a set; --scenario and --generate make a "
                                     "fresh one");
        }
        return SimulatedSet(Engine(std::move(*stores)));
    }
    if (!options.type && options.scenario.empty()) {
        throw std::runtime_error("the image " + options.image +
                                 " does not exist yet: --type N says which set to make");
    }
    DeviceStores fresh = FreshStores(options);
    if (image) {
        image->Save(fresh);
    }
    return SimulatedSet(Engine(std::move(fresh)));
}

UniqueFd BlockTerminationSignals() {
    // Signals arrive as readable data in the poll loop, so that stopping is an ordinary step of
    // the loop and the link, the socket and the image are cleaned up by the usual destructors.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    if (::sigprocmask(SIG_BLOCK, &signals, nullptr) != 0) {
        throw std::system_error(errno, std::generic_category(), "cannot block SIGTERM and SIGINT");
    }
    UniqueFd fd(::signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC));
    if (!fd) {
        throw std::system_error(errno, std::generic_category(), "cannot watch for signals");
    }
    // A client that hangs up before its reply must not end the simulator.
    ::signal(SIGPIPE, SIG_IGN);
    return fd;
}

UniqueFd MakeTimer() {
    UniqueFd fd(::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC));
    if (!fd) {
        throw std::system_error(errno, std::generic_category(), "cannot create a timer");
    }
    return fd;
}

std::string BaudText(std::optional<unsigned> baud) {
    return baud ? std::to_string(*baud) : "unknown";
}

}  // namespace

Simulator::Simulator(const Options& options)
    : m_options(options),
      m_start(Clock::now()),
      m_signals(BlockTerminationSignals()),
      m_timer(MakeTimer()),
      m_image(ImageOf(options)),
      m_set(BuildSet(options, m_image)),
      m_link(options.link),
      m_trace(m_start) {
    for (const FaultSwitch& fault : options.faults) {
        m_set.Apply(fault);
    }
    if (!options.control.empty()) {
        m_control.emplace(options.control);
    }
    if (!options.trace.empty()) {
        m_trace.OpenFile(options.trace);
        m_trace.SetOn(true);
    }
    if (options.pace) {
        receive_clock_.emplace(m_set.Device().Traits().baud);
        send_clock_.emplace(m_set.Device().Traits().baud);
    }
    seen_revision_ = m_set.Device().Revision();
}

int Simulator::Run() {
    std::printf("ready %s\n", m_link.LinkPath().c_str());
    std::fflush(stdout);
    while (!m_quit) {
        ServeOnce();
    }
    // Whatever the set still owes the host goes out now, unpaced.
    for (OutgoingByte& byte : m_outgoing) {
        byte.due = TimePoint{};
    }
    line_full_ = false;
    WriteDueBytes(Clock::now());
    for (Client& client : m_clients) {
        FlushReplies(client);
    }
    return SaveImage() ? 0 : 1;
}

void Simulator::ServeOnce() {
    const TimePoint now = Clock::now();
    DeliverDueBytes(now);
    WriteDueBytes(now);
    NoteChanges(now);
    if (save_due_ && now >= *save_due_) {
        save_due_.reset();
        SaveImage();
    }
    ArmTimer(now);

    enum : std::size_t { kSignals, kTimer, kLine, kStandardInput, kListener, kFirstClient };
    std::vector<pollfd> fds(kFirstClient);
    fds[kSignals] = {m_signals.Get(), POLLIN, 0};
    fds[kTimer] = {m_timer.Get(), POLLIN, 0};
    fds[kLine] = {m_link.MasterFd(), static_cast<short>(POLLIN | (line_full_ ? POLLOUT : 0)), 0};
    fds[kStandardInput] = {standard_input_open_ ? STDIN_FILENO : -1, POLLIN, 0};
    fds[kListener] = {m_control ? m_control->ListenFd() : -1, POLLIN, 0};
    for (const Client& client : m_clients) {
        const short events = static_cast<short>(POLLIN | (client.replies.empty() ? 0 : POLLOUT));
        fds.push_back({client.fd.Get(), events, 0});
    }
    if (::poll(fds.data(), fds.size(), -1) < 0) {
        if (errno == EINTR) {
            return;
        }
        throw std::system_error(errno, std::generic_category(), "poll");
    }

    if (fds[kSignals].revents != 0) {
        signalfd_siginfo info{};
        while (::read(m_signals.Get(), &info, sizeof info) == sizeof info) {
        }
        m_quit = true;
        return;
    }
    if (fds[kTimer].revents != 0) {
        std::uint64_t expirations = 0;
        [[maybe_unused]] const ssize_t ignored =
            ::read(m_timer.Get(), &expirations, sizeof expirations);
    }
    if (fds[kLine].revents & POLLOUT) {
        line_full_ = false;
    }
    if (fds[kLine].revents & POLLIN) {
        ReadLine(Clock::now());
    }
    if (fds[kStandardInput].revents != 0) {
        ReadStandardInput();
    }
    if (fds[kListener].revents != 0) {
        AcceptClients();
    }
    // Clients accepted just now have no entry in fds yet; they are polled from the next round.
    std::vector<Client> staying;
    for (std::size_t i = 0; i < m_clients.size(); ++i) {
        const short events = kFirstClient + i < fds.size() ? fds[kFirstClient + i].revents : 0;
        if (ServeClient(m_clients[i], events)) {
            staying.push_back(std::move(m_clients[i]));
        }
    }
    m_clients = std::move(staying);
}

void Simulator::ReadLine(TimePoint now) {
    std::uint8_t buffer[4096];
    const ssize_t count = ::read(m_link.MasterFd(), buffer, sizeof buffer);
    if (count <= 0) {
        // EAGAIN or EINTR: nothing this time. The simulator holds a slave descriptor open, so
        // the line never hangs up under it.
        return;
    }
    // The host sets its line speed before it writes, so the speed now is the speed these
    // bytes were sent at.
    const std::optional<unsigned> baud = m_link.LineBaud();
    for (ssize_t i = 0; i < count; ++i) {
        const TimePoint due = receive_clock_ ? receive_clock_->Cross(now) : now;
        m_incoming.push_back(IncomingByte{buffer[i], due, baud});
        ++bytes_received_;
    }
}

void Simulator::DeliverDueBytes(TimePoint now) {
    const unsigned answers_at = m_set.Device().Traits().baud;
    while (!m_incoming.empty() && m_incoming.front().due <= now) {
        const IncomingByte in = m_incoming.front();
        m_incoming.pop_front();
        last_line_baud_ = in.line_baud;
        if (in.line_baud != answers_at) {
            // At the wrong speed the set sees only framing errors: it answers nothing.
            if (m_trace.On()) {
                m_trace.Received(now, in.byte,
                                 "ignored: line at " + BaudText(in.line_baud) +
                                     " bit/s, the set answers at " + std::to_string(answers_at));
            }
            continue;
        }
        switch (m_set.ReceiveFromHost(in.byte)) {
            case Reception::kDelivered:
                m_trace.Received(now, in.byte);
                break;
            case Reception::kLostDeadLine:
                m_trace.Received(now, in.byte, "lost: the line is dead (fault)");
                break;
            case Reception::kLostDropped:
                m_trace.Received(now, in.byte, "lost: dropped (fault)");
                break;
        }
        // Answers leave when the byte was received on the virtual wire, not when the loop got
        // round to it, so that pacing does not drift.
        Send(m_set.TakeOutgoing(), in.due);
    }
}

void Simulator::Send(const std::vector<std::uint8_t>& bytes, TimePoint ready) {
    for (const std::uint8_t byte : bytes) {
        m_outgoing.push_back(OutgoingByte{byte, send_clock_ ? send_clock_->Cross(ready) : ready});
    }
}

void Simulator::WriteDueBytes(TimePoint now) {
    if (line_full_) {
        return;
    }
    std::vector<std::uint8_t> due;
    for (const OutgoingByte& byte : m_outgoing) {
        if (byte.due > now) {
            break;
        }
        due.push_back(byte.byte);
    }
    if (due.empty()) {
        return;
    }
    const ssize_t written = ::write(m_link.MasterFd(), due.data(), due.size());
    if (written < 0) {
        if (errno == EAGAIN) {
            line_full_ = true;
        }
        return;
    }
    const auto count = static_cast<std::size_t>(written);
    m_trace.Sent(now, std::span(due).first(count));
    m_outgoing.erase(m_outgoing.begin(), m_outgoing.begin() + static_cast<std::ptrdiff_t>(count));
    // The host is not reading fast enough: wait until the line takes bytes again.
    line_full_ = count < due.size();
}

void Simulator::NoteChanges(TimePoint now) {
    const std::uint64_t revision = m_set.Device().Revision();
    if (m_image && revision != seen_revision_) {
        seen_revision_ = revision;
        save_due_ = now + kSaveAfterQuiet;
    }
}

bool Simulator::SaveImage() {
    if (!m_image) {
        return true;
    }
    try {
        m_image->Save(m_set.Device().Stores());
        return true;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "fonerix-sim: %s\n", error.what());
        return false;
    }
}

void Simulator::ArmTimer(TimePoint now) {
    std::optional<TimePoint> next;
    const auto consider = [&next](TimePoint at) {
        if (!next || at < *next) {
            next = at;
        }
    };
    if (!m_incoming.empty()) {
        consider(m_incoming.front().due);
    }
    if (!m_outgoing.empty() && !line_full_) {
        consider(m_outgoing.front().due);
    }
    if (save_due_) {
        consider(*save_due_);
    }
    itimerspec spec{};  // all zero: disarmed
    if (next) {
        // An absolute deadline on the monotonic clock (steady_clock's), so a late wake-up never
        // pushes the following deadlines back.
        const auto since_epoch = std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::max(*next, now).time_since_epoch());
        spec.it_value.tv_sec = static_cast<time_t>(since_epoch.count() / 1'000'000'000);
        spec.it_value.tv_nsec = static_cast<long>(since_epoch.count() % 1'000'000'000);
        if (spec.it_value.tv_sec == 0 && spec.it_value.tv_nsec == 0) {
            spec.it_value.tv_nsec = 1;
        }
    }
    if (::timerfd_settime(m_timer.Get(), TFD_TIMER_ABSTIME, &spec, nullptr) != 0) {
        throw std::system_error(errno, std::generic_category(), "cannot set the timer");
    }
}

void Simulator::ReadStandardInput() {
    char buffer[4096];
    const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) {
        return;
    }
    if (count <= 0) {
        // Run detached from a terminal or a pipe that closed: the control socket and the
        // signals still work.
        standard_input_open_ = false;
        return;
    }
    standard_input_.Append(std::string_view(buffer, static_cast<std::size_t>(count)));
    while (const auto line = standard_input_.NextLine()) {
        const std::string reply =
            line->too_long ? "error: line too long" : Execute(line->text, Clock::now());
        std::printf("%s\n", reply.c_str());
        std::fflush(stdout);
    }
}

void Simulator::AcceptClients() {
    while (UniqueFd fd = m_control->Accept()) {
        m_clients.push_back(Client{std::move(fd), LineAssembler{}, {}});
    }
}

bool Simulator::ServeClient(Client& client, short events) {
    if (events & (POLLIN | POLLHUP | POLLERR)) {
        char buffer[4096];
        const ssize_t count = ::read(client.fd.Get(), buffer, sizeof buffer);
        if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR)) {
            return false;
        }
        if (count > 0) {
            client.lines.Append(std::string_view(buffer, static_cast<std::size_t>(count)));
        }
        while (const auto line = client.lines.NextLine()) {
            client.replies +=
                line->too_long ? "error: line too long" : Execute(line->text, Clock::now());
            client.replies += '\n';
        }
    }
    FlushReplies(client);
    return true;
}

void Simulator::FlushReplies(Client& client) {
    while (!client.replies.empty()) {
        const ssize_t sent =
            ::send(client.fd.Get(), client.replies.data(), client.replies.size(), MSG_NOSIGNAL);
        if (sent <= 0) {
            return;  // EAGAIN: the rest goes when the client reads; otherwise it is gone
        }
        client.replies.erase(0, static_cast<std::size_t>(sent));
    }
}

std::string Simulator::Execute(std::string_view line, TimePoint now) {
    ParsedCommand parsed = ParseCommand(line);
    if (!parsed.command) {
        return "error: " + parsed.error;
    }
    Command& command = *parsed.command;
    if (auto* event = std::get_if<SendEventCommand>(&command)) {
        m_set.SendEvent(std::move(event->frame));
        Send(m_set.TakeOutgoing(), now);
    } else if (auto* raw = std::get_if<SendRawCommand>(&command)) {
        m_set.SendRaw(std::move(raw->bytes));
        Send(m_set.TakeOutgoing(), now);
    } else if (const auto* fault = std::get_if<FaultCommand>(&command)) {
        m_set.Apply(fault->change);
    } else if (const auto* trace = std::get_if<TraceCommand>(&command)) {
        m_trace.SetOn(trace->on);
    } else if (std::holds_alternative<StatusCommand>(command)) {
        return Status();
    } else if (const auto* record = std::get_if<RecordCallCommand>(&command)) {
        const std::string refused = m_set.RecordCall(record->call);
        if (!refused.empty()) {
            return "error: " + refused;
        }
    } else if (const auto* dump = std::get_if<DumpListsCommand>(&command)) {
        return DumpTo(dump->path);
    } else if (std::holds_alternative<QuitCommand>(command)) {
        m_quit = true;
    }
    return "ok";
}

std::string Simulator::DumpTo(const std::string& path) const {
    const std::string text = DumpLists(m_set.Device().Stores());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file) {
        return "error: cannot write " + path;
    }
    return "ok " + std::to_string(std::count(text.begin(), text.end(), '\n')) + " lines in " + path;
}

std::string Simulator::Status() const {
    const Engine& device = m_set.Device();
    const HostActivity& activity = device.Activity();
    std::string status = "ok type=" + std::to_string(device.DeviceType());
    status += device.Awake() ? " state=awake" : " state=asleep";
    status += " baud=" + (bytes_received_ == 0 ? std::string("none") : BaudText(last_line_baud_));
    status += " answers-at=" + std::to_string(device.Traits().baud);
    status += " received=" + std::to_string(bytes_received_);
    // Quoted: a dialled number may hold spaces, or nothing at all.
    status += " dialled=" + (activity.last_dialled ? '"' + *activity.last_dialled + '"' : "-");
    status += " key=" + (activity.last_key ? std::to_string(*activity.last_key) : "-");
    status += " faults=" + m_set.DescribeFaults();
    // Every command that wrote or erased a store: a test can tell that the host left the set
    // untouched.
    status += " changes=" + std::to_string(device.Revision());
    return status;
}

}  // namespace fonerix::sim
