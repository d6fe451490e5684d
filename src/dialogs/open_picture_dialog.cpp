#include "dialogs/open_picture_dialog.h"

#include "dialogs/open_dialog.h"
#include "dialogs/filter_text.h"

namespace vx {

void CVistaPrevia::SetFilter2(std::int32_t vData) {
    SetFilter(BuildFilterText(vData));
    filter2_ = vData;
}

std::wstring CVistaPrevia::Abrir(HWND unform) {
    // The dialog's behaviour is fixed; whatever a caller set is replaced.
    flags_ = kDialogFlags;
    DWORD extendedError = 0;
    return DlgPrev::OpenWithPreview(unform, Filter(), initDir_, dialogTitle_, filterIndex_, flags_, extendedError);
}

}  // namespace vx
