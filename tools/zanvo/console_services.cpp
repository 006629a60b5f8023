#include "console_services.h"

#include <algorithm>

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
  const double asked_at = now_seconds ? now_seconds() : 0.0;
  int ticks = 0;
  // The countdown's seconds that have passed and are not yet counted; at least `at_least`.
  auto count_seconds = [&](int at_least) {
    const int passed = now_seconds ? static_cast<int>(now_seconds() - asked_at) : 0;
    for (int due = std::max(passed - ticks, at_least); due > 0 && form.modal_result() == toolkit::mrNone;
         --due, ++ticks) {
      dialog->timer.Tick();
    }
  };
  while (form.modal_result() == toolkit::mrNone) {
    const AnswerSource::Answer answer = answers_.Wait(1000);
    // An answer that comes after the countdown ran out (the program was stopped meanwhile)
    // comes too late: the card goes back.
    count_seconds(answer == AnswerSource::Answer::kNone ? 1 : 0);
    if (form.modal_result() != toolkit::mrNone) break;
    switch (answer) {
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
        err_ << dialog->lblRevert.caption << "\n";
        err_.flush();
        break;
    }
  }
  return form.modal_result();
}

}  // namespace zanvo::console
