#pragma once
// Forms, modal showing and the application object.

#include <functional>
#include <string>

#include "platform/toolkit/controls.h"

namespace zanvo::toolkit {

inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;

class Form {
 public:
  virtual ~Form() = default;
  std::string name;
  std::string caption;
  int client_width = 0;
  int client_height = 0;
  // The two sizes above are the whole window's, frame and caption included.
  bool size_includes_frame = false;
  bool visible = false;
  bool minimized = false;

  int modal_result() const { return modal_result_; }
  // Ends the modal loop that shows this form with `result`.
  void SetModalResult(int result) { modal_result_ = result; }
  // Before a modal loop starts.
  void ResetModalResult() { modal_result_ = mrNone; }
  // The close box or Alt+F4 on a modal form: the toolkit answers mrCancel.
  virtual void CloseBox() { SetModalResult(mrCancel); }

 private:
  int modal_result_ = mrNone;
};

// Runs a modal loop for a form until its modal result is set; returns that result. The Win32
// binding runs a real message loop; tests script what the user does meanwhile.
class ModalRunner {
 public:
  virtual ~ModalRunner() = default;
  virtual int ShowModal(Form& form) = 0;
};

// The application object: its idle and minimise events, and the termination request, which
// ends the message loop once the running handler returns.
class Application {
 public:
  std::string title;
  bool show_main_form = true;
  std::function<void()> OnIdle;
  std::function<void()> OnMinimize;

  void Terminate(int exit_code = 0) {
    terminate_requested_ = true;
    exit_code_ = exit_code;
  }
  bool terminate_requested() const { return terminate_requested_; }
  // What the process ends with.
  int exit_code() const { return exit_code_; }

 private:
  bool terminate_requested_ = false;
  int exit_code_ = 0;
};

}  // namespace zanvo::toolkit
