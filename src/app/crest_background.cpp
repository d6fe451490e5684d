// The crest's choices made in dialogs: the frame and turns in the framing
// dialog, and the background under transparent pixels, picked in the
// platform's colour dialog and kept in the settings.
#include <windows.h>

#include <commdlg.h>

#include "app/frame_dialog.h"
#include "app/main_window.h"
#include "app/settings.h"

namespace vx {

std::optional<Colorref> Main::PickColour(Colorref initial) {
    // The dialog's own custom colours last as long as the program.
    static COLORREF customColours[16] = {};
    CHOOSECOLORW choose{};
    choose.lStructSize = sizeof(choose);
    choose.hwndOwner = hwnd_;
    choose.rgbResult = initial;
    choose.lpCustColors = customColours;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorW(&choose)) return std::nullopt;
    return ColorrefOf(choose.rgbResult);
}

void Main::mnuFrame_Click() {
    if (!document_.HasPicture()) return;
    if (const std::optional<CrestOptions> chosen = ShowFrameDialog(hwnd_, document_.Picture(), document_.Options())) {
        document_.SetOptions(*chosen);
        ReflectDocument();
    }
}

void Main::mnuBackground_Click() {
    if (const std::optional<Colorref> colour = PickColour(document_.Options().background)) SetCrestBackground(*colour);
}

void Main::SetCrestBackground(Colorref colour) {
    document_.SetBackground(colour);
    SaveSetting(kAppTitle, kSettingsSection, kCrestBackgroundKey, RrggbbText(colour));
    ReflectDocument();
}

}  // namespace vx
