// The open dialog's routine and its hook: the hook lays a preview pane
// beside the file list and draws every picture the user selects in it.
// The platform gives the hook no context of its own, so the module keeps
// the state of the one dialog that can be open at a time.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "common/picture_surface.h"

namespace vx::DlgPrev {

// The window that owns the dialog and hosts the pane until the dialog is
// ready; callers store it before every dialog. Cleared when it closes.
extern HWND OwnerForm;

std::wstring OpenWithPreview(HWND ownerForm, const std::wstring& filter, const std::wstring& initDir,
                             const std::wstring& title, std::int16_t filterIndex, std::int32_t flags,
                             DWORD& extendedError);

// Adds the hidden pane "MiPicture1" to the owner form.
void CreatePreviewBox();

UINT_PTR CALLBACK PreviewHook(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
void OnDialogNotify(HWND hDlg, int code);

// What the module holds while a dialog is open (for the pane's users and
// for tests).
PictureSurface* PreviewBox();
const SharedPicture& PreviewPicture();
const std::wstring& SelectedPath();

}  // namespace vx::DlgPrev
