// What the document needs from the outside besides prompts and progress: a clock.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace vellary::document {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds as a 32-bit counter that wraps, like the platform's tick count.
  virtual uint32_t tickCount() const = 0;
};

class SteadyClock : public Clock {
 public:
  uint32_t tickCount() const override {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<uint32_t>(ms.count());
  }
};

}  // namespace vellary::document
