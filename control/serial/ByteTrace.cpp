#include "control/serial/ByteTrace.h"

#include <sys/time.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>

namespace fonerix {

namespace {

struct TraceSink {
    std::FILE* file = nullptr;
    std::mutex mutex;

    TraceSink() {
        const char* setting = std::getenv("FONERIX_TRACE");
        if (setting == nullptr || *setting == '\0' || std::string_view(setting) == "0") {
            return;
        }
        if (setting[0] == '/' || setting[0] == '.') {
            file = std::fopen(setting, "a");
        }
        if (file == nullptr) {
            file = stderr;
        }
    }
};

TraceSink& Sink() {
    static TraceSink sink;
    return sink;
}

void Stamp(std::FILE* out, uint8_t port) {
    timeval now{};
    gettimeofday(&now, nullptr);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    std::fprintf(out, "%02d:%02d:%02d.%06ld COM%u ", local.tm_hour, local.tm_min, local.tm_sec,
                 static_cast<long>(now.tv_usec), static_cast<unsigned>(port));
}

}  // namespace

bool ByteTrace::Enabled() {
    return Sink().file != nullptr;
}

void ByteTrace::Bytes(uint8_t port, char direction, const uint8_t* data, uint32_t count) {
    TraceSink& sink = Sink();
    if (sink.file == nullptr || count == 0) {
        return;
    }
    std::lock_guard lock(sink.mutex);
    Stamp(sink.file, port);
    std::fputc(direction, sink.file);
    for (uint32_t i = 0; i < count; ++i) {
        std::fprintf(sink.file, " %02X", data[i]);
    }
    std::fputc('\n', sink.file);
    std::fflush(sink.file);
}

void ByteTrace::Note(uint8_t port, std::string_view what) {
    TraceSink& sink = Sink();
    if (sink.file == nullptr) {
        return;
    }
    std::lock_guard lock(sink.mutex);
    Stamp(sink.file, port);
    std::fprintf(sink.file, "%.*s\n", static_cast<int>(what.size()), what.data());
    std::fflush(sink.file);
}

}  // namespace fonerix
