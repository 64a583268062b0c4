#include "common/option_lock.h"

namespace miyoutong {

void SetOptionsLocked(ControlSurface& controls, bool locked) {
    for (Control control : kOptionLockControls) {
        controls.SetEnabled(control, !locked);
    }
}

}  // namespace miyoutong
