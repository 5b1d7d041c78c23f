// Large sorted phone-reference files for the benchmarks, written fast enough that a gigabyte
// costs seconds: lines "<number>,Abonent <number>,comment of the subscriber\r\n" for the even
// 11-digit numbers from a first one on, in large blocks, the digits counted up in place.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fonerix::bench {

inline constexpr int kReferenceDigits = 11;

// Writes lines until the file holds `bytes`; the number of lines. Exits on a write failure.
inline long long GenerateReferenceFile(const std::string& path, long long bytes,
                                       long long firstNumber) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        std::perror(path.c_str());
        std::exit(1);
    }
    const std::string tail = ",comment of the subscriber\r\n";
    char digits[kReferenceDigits + 1];
    std::snprintf(digits, sizeof digits, "%lld", firstNumber);
    std::string block;
    constexpr std::size_t kBlock = 8 << 20;
    block.reserve(kBlock + 256);
    long long written = 0;
    long long lines = 0;
    while (written < bytes) {
        block.append(digits, kReferenceDigits);
        block += ",Abonent ";
        block.append(digits, kReferenceDigits);
        block += tail;
        ++lines;
        // Count up by two.
        int i = kReferenceDigits - 1;
        digits[i] = static_cast<char>(digits[i] + 2);
        while (digits[i] > '9') {
            digits[i] = static_cast<char>(digits[i] - 10);
            --i;
            ++digits[i];
        }
        if (block.size() >= kBlock || written + static_cast<long long>(block.size()) >= bytes) {
            if (std::fwrite(block.data(), 1, block.size(), out) != block.size()) {
                std::perror(path.c_str());
                std::exit(1);
            }
            written += static_cast<long long>(block.size());
            block.clear();
        }
    }
    if (std::fclose(out) != 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
    return lines;
}

}  // namespace fonerix::bench
