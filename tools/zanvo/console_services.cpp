#include "console_services.h"

#include "app/accept_dialog.h"
#include "app/texts.h"

namespace zanvo::console {

int ConsoleBoxes::Show(MessageKind kind, std::string_view text, std::string_view) {
  if (kind == MessageKind::kConfirmOkCancel) return kIdOk;
  std::string line(text);
  for (char& c : line) {
    if (c == '\r') c = ' ';
  }
  shown.push_back(line);
  err_ << "zanvo: " << line << "\n";
  return kind == MessageKind::kErrorAbort ? kIdAbort : kIdOk;
}

int TerminalKeepQuestion::ShowModal(toolkit::Form& form) {
  form.ResetModalResult();
  auto* dialog = dynamic_cast<app::TAcceptDlg*>(&form);
  if (dialog == nullptr) return toolkit::mrCancel;
  if (before_asking) before_asking();
  err_ << app::texts::kAcceptQuestion << " [y/N]\n" << dialog->lblRevert.caption << "\n";
  err_.flush();
  last_answer = "no answer";
  while (form.modal_result() == toolkit::mrNone) {
    switch (answers_.Wait(1000)) {
      case AnswerSource::Answer::kYes:
        last_answer = "yes";
        dialog->btnOkClick();
        break;
      case AnswerSource::Answer::kNo:
        last_answer = "no";
        dialog->btnCancelClick();
        break;
      case AnswerSource::Answer::kClosed:
        // Nobody can answer any more: the question ends as its close box ends it.
        last_answer = "closed";
        dialog->CloseBox();
        break;
      case AnswerSource::Answer::kNone:
        dialog->timer.Tick();
        if (form.modal_result() == toolkit::mrNone) {
          err_ << dialog->lblRevert.caption << "\n";
          err_.flush();
        }
        break;
    }
  }
  return form.modal_result();
}

}  // namespace zanvo::console
