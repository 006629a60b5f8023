#pragma once
// Keeping the processor for a measurement of a fraction of a second: a program that times the
// hardware in a busy-wait loses accuracy whenever the system gives its time slice to another.
// The platform raises the thread's claim while held and gives back what it had on release.

namespace zanvo {

class ProcessorHold {
 public:
  virtual ~ProcessorHold() = default;
  virtual void Hold() = 0;
  // Restores what Hold() changed; called once after each Hold().
  virtual void Release() = 0;
};

}  // namespace zanvo
