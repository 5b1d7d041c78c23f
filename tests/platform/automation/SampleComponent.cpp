// The component library around the sample control.
#include "tests/platform/automation/SampleObject.h"

namespace fonerix {

const ComponentModule& ThisComponent() {
    return test::SampleModule();
}

}  // namespace fonerix
