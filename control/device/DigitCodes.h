#pragma once

#include <cstdint>

namespace fonerix {

// Phone-number characters travel as 4-bit digit codes: 0 space, 1..9, 10 for "0", 11..14 for
// F J L P, 15 for anything else.
char DigitToChar(uint8_t code);
uint8_t CharToDigit(char c);

}  // namespace fonerix
