#pragma once

#include <string>

namespace fonerix {

// What a user should be told when a COM port could not be opened, from the errno of the open:
// the cause in words and, where there is one, the fix.
std::string DescribeOpenFailure(int error);

}  // namespace fonerix
