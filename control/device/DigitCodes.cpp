#include "control/device/DigitCodes.h"

namespace fonerix {

namespace {
constexpr char kCodeChars[16] = {' ', '1', '2', '3', '4', '5', '6', '7',
                                 '8', '9', '0', 'F', 'J', 'L', 'P', '_'};
}

char DigitToChar(uint8_t code) {
    return code < 16 ? kCodeChars[code] : '?';
}

uint8_t CharToDigit(char c) {
    switch (c) {
        case ' ':
            return 0;
        case '0':
            return 10;
        case 'F':
        case 'f':
            return 11;
        case 'J':
        case 'j':
            return 12;
        case 'L':
        case 'l':
            return 13;
        case 'P':
        case 'p':
            return 14;
        default:
            break;
    }
    if (c >= '1' && c <= '9') {
        return static_cast<uint8_t>(c - '0');
    }
    return 15;
}

}  // namespace fonerix
