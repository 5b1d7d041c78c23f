#include "tests/control/FakeSet.h"

namespace fonerix::test {

std::vector<uint8_t>& FakeSet::Page(uint16_t block, uint8_t page) {
    auto& bytes = m_flash[uint32_t{block} << 8 | page];
    if (bytes.empty()) {
        bytes.assign(kPageBytes, 0xFF);
    }
    return bytes;
}

uint8_t FakeSet::Flash(uint16_t block, uint8_t page, size_t column) const {
    const auto it = m_flash.find(uint32_t{block} << 8 | page);
    return it == m_flash.end() || column >= kPageBytes ? 0xFF : it->second[column];
}

void FakeSet::PutRaw(uint16_t block, uint8_t page, size_t column,
                     const std::vector<uint8_t>& bytes) {
    auto& p = Page(block, page);
    for (size_t i = 0; i < bytes.size(); ++i) {
        p.at(column + i) = bytes[i];
    }
}

void FakeSet::PutTriples(uint16_t block, uint8_t page, size_t column,
                         const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> raw;
    for (const uint8_t b : bytes) {
        raw.insert(raw.end(), {b, b, b});
    }
    PutRaw(block, page, column, raw);
}

std::vector<uint8_t> FakeSet::GetTriples(uint16_t block, uint8_t page, size_t column,
                                         size_t count) const {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < count; ++i) {
        out.push_back(Flash(block, page, column + 3 * i));
    }
    return out;
}

int FakeSet::Count(char kind) const {
    int n = 0;
    for (const auto& a : flashLog) {
        n += a.kind == kind;
    }
    return n;
}

void FakeSet::operator()(uint8_t byte, std::vector<uint8_t>& answer) {
    if (silent) {
        return;
    }
    if (m_command != 0) {
        Parameter(byte, answer);
        return;
    }
    if (byte == 0x00) {
        ++m_zeros;
        if (!deepSleep && m_zeros <= 2) {
            answer.push_back(wakeWithoutFF ? 0x00 : 0xFF);
        }
        if (m_zeros == 100) {
            answer.push_back(0xFF);  // a long run wakes it from any sleep
        }
        return;
    }
    m_zeros = 0;
    switch (byte) {
        case 0x82:
        case 0x84:
        case 0x88:
        case 0x90:
        case 0xA0:
            if (missedEchoes > 0) {
                --missedEchoes;
                return;
            }
            answer.push_back(wrongEcho ? byte ^ 1 : byte);
            m_command = byte;
            m_params.clear();
            return;
        default:
            others.push_back(byte);
    }
}

void FakeSet::Parameter(uint8_t byte, std::vector<uint8_t>& answer) {
    m_params.push_back(byte);
    const auto& p = m_params;
    const auto done = [&] { m_command = 0; };
    switch (m_command) {
        case 0x82:
            registerReads.push_back(p[0]);
            answer.push_back(registers[p[0]]);
            done();
            break;
        case 0x84:
            if (p.size() == 2) {
                registers[p[0]] = p[1];
                done();
            }
            break;
        case 0x88:
            if (p.size() == 3) {
                const auto at = static_cast<uint16_t>(p[1] << 8 | p[2]);
                memoryReads.emplace_back(at, p[0]);
                for (uint32_t i = 0; i < p[0]; ++i) {
                    answer.push_back(memory[(at + i) & 0xFFFF]);
                }
                done();
            }
            break;
        case 0x90:
            if (p.size() == 3) {
                memory[static_cast<uint16_t>(p[0] << 8 | p[1])] = p[2];
                done();
            }
            break;
        case 0xA0: {
            const uint8_t sub = p[0];
            if (sub == 3 && p.size() == 3) {
                const auto block = static_cast<uint16_t>(p[2] << 8 | p[1]);
                flashLog.push_back({'e', block, 0, 0, 0});
                for (int page = 0; page < 64; ++page) {
                    m_flash.erase(uint32_t{block} << 8 | page);
                }
                done();
            } else if ((sub == 1 || sub == 2) && p.size() >= 6) {
                const uint8_t column = p[1], page = p[2], count = p[5];
                const auto block = static_cast<uint16_t>(p[4] << 8 | p[3]);
                if (sub == 1) {
                    flashLog.push_back({'r', block, page, column, count});
                    for (uint32_t i = 0; i < count; ++i) {
                        answer.push_back(Flash(block, page, column + i));
                    }
                    done();
                } else if (p.size() == 6u + count) {
                    flashLog.push_back({'w', block, page, column, count});
                    auto& bytes = Page(block, page);
                    for (uint32_t i = 0; i < count && column + i < kPageBytes; ++i) {
                        overwrites += bytes[column + i] != 0xFF;
                        bytes[column + i] &= p[6 + i];
                    }
                    done();
                }
            } else if (sub != 1 && sub != 2 && sub != 3) {
                done();
            }
            break;
        }
        default:
            done();
    }
}

}  // namespace fonerix::test
