// Measures FindInReference on a large sorted reference file, next to two peers on the same file
// and the same numbers: util-linux look (a binary search too, one process a lookup) and
// grep -m1 (a scan from the start). Half the numbers are in the file, half fall between lines.
// The file lives in a temporary folder under /tmp, removed at the end.
//
//   reference_bench [--megabytes N] [--lookups N] [--look-lookups N] [--grep-lookups N]
//
// Goals: at least 1000 times faster than grep per lookup, and no slower than look.

#include <sys/statvfs.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/common/ReferenceFileGenerator.h"
#include "bench/common/Timing.h"
#include "client/data/ReferenceFiles.h"

namespace {

namespace fs = std::filesystem;
using fonerix::bench::Best;
using fonerix::bench::Clock;
using fonerix::bench::Run;
using fonerix::bench::Seconds;

constexpr long long kFirstNumber = 70000000000;  // 11 digits, so text order is number order

struct Options {
    long long megabytes = 1024;
    int lookups = 100000;
    int lookLookups = 300;
    int grepLookups = 6;
};

class TemporaryFolder {
  public:
    TemporaryFolder() {
        char pattern[] = "/tmp/reference-bench-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        m_path = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    const fs::path& Path() const { return m_path; }

  private:
    fs::path m_path;
};

std::string NumberText(long long number) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld", number);
    return text;
}

struct Probe {
    std::string number;
    bool present;
};

// Half present (even), half between two lines (odd), spread over the whole file.
std::vector<Probe> Probes(long long lines, int count, unsigned seed) {
    std::mt19937_64 random(seed);
    std::uniform_int_distribution<long long> line(0, lines - 1);
    std::vector<Probe> probes;
    for (int i = 0; i < count; ++i) {
        const bool present = i % 2 == 0;
        probes.push_back(
            {NumberText(kFirstNumber + 2 * line(random) + (present ? 0 : 1)), present});
    }
    return probes;
}

double Rate(double seconds, int count) {
    return count / seconds;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        const long long value = std::atoll(argv[i + 1]);
        if (arg == "--megabytes") {
            options.megabytes = value;
        } else if (arg == "--lookups") {
            options.lookups = static_cast<int>(value);
        } else if (arg == "--look-lookups") {
            options.lookLookups = static_cast<int>(value);
        } else if (arg == "--grep-lookups") {
            options.grepLookups = static_cast<int>(value);
        } else {
            std::fprintf(stderr, "reference_bench: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    // Byte order for look and grep, as the file is sorted.
    ::setenv("LC_ALL", "C", 1);

    TemporaryFolder folder;
    struct statvfs disk {};
    if (statvfs(folder.Path().c_str(), &disk) == 0) {
        const double freeGb =
            static_cast<double>(disk.f_bavail) * static_cast<double>(disk.f_frsize) / (1 << 30);
        if (freeGb < 3.0 && options.megabytes > 256) {
            std::printf("only %.1f GB free under /tmp: a 256 MB file instead of %lld MB\n", freeGb,
                        options.megabytes);
            options.megabytes = 256;
        }
    }
    const std::string path = (folder.Path() / "reference.txt").string();
    const long long bytes = options.megabytes << 20;
    const auto generationStart = Clock::now();
    const long long lines = fonerix::bench::GenerateReferenceFile(path, bytes, kFirstNumber);
    const double generation = Seconds(Clock::now() - generationStart);
    const double size = static_cast<double>(fs::file_size(path));
    std::printf("file: %.0f MB, %lld lines, written in %.1f s (%.2f GB/s); log2(size) = %.0f\n",
                size / (1 << 20), lines, generation, size / generation / (1 << 30),
                std::log2(size));

    // FindInReference, in the process.
    fonedesk::CReferenceFile file(path);
    if (!file.IsOpen()) {
        std::fprintf(stderr, "reference_bench: cannot open %s\n", path.c_str());
        return 1;
    }
    const std::vector<Probe> probes = Probes(lines, options.lookups, 1);
    int wrong = 0;
    std::string line;
    for (const Probe& probe : probes) {
        wrong += fonedesk::FindInReference(file, probe.number, ',', line) != probe.present;
    }
    const double ours = Best([&] {
        for (const Probe& probe : probes) {
            fonedesk::FindInReference(file, probe.number, ',', line);
        }
    });
    const double oursEach = ours / options.lookups;

    // look: -f to fold case as the search does, -t, so that only "<number>," is compared.
    const std::vector<Probe> lookProbes = Probes(lines, options.lookLookups, 2);
    int lookWrong = 0;
    const double look = Best([&] {
        lookWrong = 0;
        for (const Probe& probe : lookProbes) {
            const int rc = Run({"look", "-f", "-t", ",", probe.number + ",", path});
            lookWrong += (rc == 0) != probe.present;
        }
    });
    const double lookEach = look / options.lookLookups;

    // grep: one pass, it is slow.
    const std::vector<Probe> grepProbes = Probes(lines, options.grepLookups, 3);
    int grepWrong = 0;
    const auto grepStart = Clock::now();
    for (const Probe& probe : grepProbes) {
        const int rc = Run({"grep", "-m1", "^" + probe.number + ",", path});
        grepWrong += (rc == 0) != probe.present;
    }
    const double grepEach = Seconds(Clock::now() - grepStart) / options.grepLookups;

    std::printf("%-28s %10s %14s %16s %7s\n", "", "lookups", "per lookup", "lookups/s", "wrong");
    std::printf("%-28s %10d %11.2f us %16.0f %7d\n", "FindInReference (in process)",
                options.lookups, oursEach * 1e6, Rate(ours, options.lookups), wrong);
    std::printf("%-28s %10d %11.2f us %16.0f %7d\n", "look -f -t, (a process each)",
                options.lookLookups, lookEach * 1e6, Rate(look, options.lookLookups), lookWrong);
    std::printf("%-28s %10d %11.2f us %16.2f %7d\n", "grep -m1 ^number,", options.grepLookups,
                grepEach * 1e6, 1.0 / grepEach, grepWrong);
    const double versusGrep = grepEach / oursEach;
    const double versusLook = lookEach / oursEach;
    std::printf("goal: >= 1000x faster than grep per lookup: %.0fx  %s\n", versusGrep,
                versusGrep >= 1000 ? "met" : "NOT MET");
    std::printf("goal: no slower than look per lookup: %.1fx faster  %s\n", versusLook,
                versusLook >= 1.0 ? "met" : "NOT MET");
    return wrong == 0 ? 0 : 1;
}
