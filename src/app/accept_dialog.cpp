#include "app/accept_dialog.h"

// Not written yet.

namespace zanvo::app {

TAcceptDlg::TAcceptDlg() {}
void TAcceptDlg::OnCreate() {}
void TAcceptDlg::OnTickTack() {}
void TAcceptDlg::btnOkClick() {}
void TAcceptDlg::btnCancelClick() {}
void TAcceptDlg::CloseBox() {}

}  // namespace zanvo::app
