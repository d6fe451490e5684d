// For the places whose contract is that nothing escapes them (timer and hook
// procedures, a dialog's hook, a hover that fails to show its tooltip): the
// step runs, and whatever it throws ends here.
#pragma once

namespace vx {

template <typename Step>
void SwallowingErrors(Step&& step) noexcept {
    try {
        step();
    } catch (...) {
    }
}

}  // namespace vx
