// Replays a fuzz target's corpus through its LLVMFuzzerTestOneInput without libFuzzer: every file
// whole and cut at every length, so that truncated inputs are covered too. Arguments are files
// or directories (walked recursively). An empty corpus fails: a replay of nothing tests nothing.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg = argv[i];
        if (std::filesystem::is_directory(arg)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(arg)) {
                if (entry.is_regular_file()) {
                    files.push_back(entry.path());
                }
            }
        } else if (std::filesystem::is_regular_file(arg)) {
            files.push_back(arg);
        } else {
            std::fprintf(stderr, "replay: %s is neither a file nor a directory\n", argv[i]);
            return 1;
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "replay: no corpus files given\n");
        return 1;
    }
    std::sort(files.begin(), files.end());
    std::size_t runs = 0;
    for (const auto& file : files) {
        const std::vector<std::uint8_t> data = ReadFile(file);
        for (std::size_t length = 0; length <= data.size(); ++length) {
            // A copy of exactly this length, so that a read past the end is caught by ASan.
            const std::vector<std::uint8_t> input(data.begin(), data.begin() + length);
            LLVMFuzzerTestOneInput(input.data(), input.size());
            ++runs;
        }
    }
    std::printf("replayed %zu corpus files (%zu inputs)\n", files.size(), runs);
    return 0;
}
