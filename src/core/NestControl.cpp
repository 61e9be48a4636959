#include "core/NestControl.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace plavo {

TNestControl::TNestControl(TProgressFunction Progress, TMessageFunction Message)
    : FProgress(std::move(Progress)), FMessage(std::move(Message)) {}

void TNestControl::RequestStop() {
  FStopCount.fetch_add(1, std::memory_order_relaxed);
  FStop.store(true, std::memory_order_relaxed);
}

void TNestControl::RequestSkipSearch() {
  FSkipSearch.store(true, std::memory_order_relaxed);
}

void TNestControl::ClearRequests() {
  FStop.store(false, std::memory_order_relaxed);
  FSkipSearch.store(false, std::memory_order_relaxed);
}

void TNestControl::SetPosition(int Position) {
  Position = std::clamp(Position, 0, 100);
  if (FPosition.exchange(Position, std::memory_order_relaxed) == Position || !FProgress) return;
  try {
    FProgress(Position);
  } catch (...) {
    // Progress is only a display; a failing one must not end the work.
  }
}

void TNestControl::ReportFraction(double Fraction) {
  if (!std::isfinite(Fraction)) return;
  // The first shape of a batch reports a little below the batch's start; the display never
  // shows less than 0 or more than 100.
  SetPosition(static_cast<int>(std::clamp(Fraction * 100.0, 0.0, 100.0)));
}

void TNestControl::ShowError(const std::string& Text) {
  if (FMessage) FMessage(TMessageKind::Error, Text);
}

void TNestControl::ShowWarning(const std::string& Text) {
  if (FMessage) FMessage(TMessageKind::Warning, Text);
}

}  // namespace plavo
