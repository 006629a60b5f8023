#pragma once
// The last few answers of a costly pure function of one frequency, kept per thread: the display
// drivers ask their clock searches for the same handful of frequencies at every mode set, on
// every card made. An answer is only ever reused for the very same argument.

#include <array>

namespace zanvo::virt {

template <typename Value, int kSize = 16>
class RecentResults {
 public:
  template <typename Compute>
  Value Get(double key, Compute compute) {
    for (int i = 0; i < count_; ++i) {
      if (keys_[i] == key) return values_[i];
    }
    const Value value = compute(key);
    keys_[next_] = key;
    values_[next_] = value;
    next_ = (next_ + 1) % kSize;
    if (count_ < kSize) ++count_;
    return value;
  }

 private:
  std::array<double, kSize> keys_{};
  std::array<Value, kSize> values_{};
  int count_ = 0;
  int next_ = 0;
};

}  // namespace zanvo::virt
