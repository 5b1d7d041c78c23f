#include "tests/control/ScriptedSet.h"

namespace fonerix::test {

void ScriptedSet::operator()(uint8_t byte, std::vector<uint8_t>& answer) {
    if (silent) {
        return;
    }
    if (command_ != 0) {
        Parameter(byte, answer);
        return;
    }
    if (byte == 0x00) {
        ++zeros_;
        if (!deepSleep && zeros_ <= 2) {
            answer.push_back(wakeWithoutFF ? 0x00 : 0xFF);
        }
        if (zeros_ == 100) {
            answer.push_back(0xFF);  // a long run wakes it from any sleep
        }
        return;
    }
    zeros_ = 0;
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
            command_ = byte;
            params_.clear();
            return;
        default:
            others.push_back(byte);
    }
}

void ScriptedSet::Parameter(uint8_t byte, std::vector<uint8_t>& answer) {
    params_.push_back(byte);
    const auto& p = params_;
    const auto done = [&] { command_ = 0; };
    switch (command_) {
        case 0x82:
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
                const uint32_t at = uint32_t{p[1]} << 8 | p[2];
                for (uint32_t i = 0; i < p[0]; ++i) {
                    answer.push_back(memory[(at + i) % memory.size()]);
                }
                done();
            }
            break;
        case 0x90:
            if (p.size() == 3) {
                memory[(uint32_t{p[0]} << 8 | p[1]) % memory.size()] = p[2];
                done();
            }
            break;
        case 0xA0: {
            const uint8_t sub = p[0];
            if (sub == 3 && p.size() == 3) {
                done();
            } else if ((sub == 1 || sub == 2) && p.size() >= 6) {
                const uint8_t column = p[1], page = p[2], count = p[5];
                const auto block = static_cast<uint16_t>(p[4] << 8 | p[3]);
                if (sub == 1) {
                    for (uint32_t i = 0; i < count; ++i) {
                        const auto it = flash.find(FlashKey(block, page, uint8_t(column + i)));
                        answer.push_back(it == flash.end() ? 0xFF : it->second);
                    }
                    done();
                } else if (p.size() == 6u + count) {
                    for (uint32_t i = 0; i < count; ++i) {
                        flash[FlashKey(block, page, uint8_t(column + i))] = p[6 + i];
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
