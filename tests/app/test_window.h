// The real main window as the button-bar tests start it: the character
// from the assets, and no quit message into the test's own loop.
#pragma once

#include "app/main_window.h"
#include "support/win_test_support.h"

namespace vx::test {

inline bool StartTestWindow(Main& main) {
    Main::Options options;
    options.quitOnDestroy = false;
    options.characterFile = AssetPath(L"char0.dat");
    return main.Start(options);
}

}  // namespace vx::test
