// The component library around the sample control.
#include "tests/platform/automation/SampleObject.h"

namespace fonerix {

const ComponentModule& ThisComponent() {
    return sample::SampleModule();
}

}  // namespace fonerix
