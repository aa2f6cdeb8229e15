#pragma once
// One update check, from the schedule in the product key to the offer: decides whether a check
// is due, stamps it, reads the two web pages and lets the version decision act.

#include <optional>
#include <string>

#include "updater/CheckServices.h"
#include "updater/CheckView.h"
#include "updater/UpdateArguments.h"

namespace vellumor::updater {

struct CheckOutcome {
  int result{0};  // 1 when the user accepted an offer, else 0
  // Set when the network failed under a probe: the check stopped there, in these words.
  std::optional<std::string> transportFailure;
};

class UpdateCheck final {
 public:
  UpdateCheck(CheckContext& context, const CheckServices& services, CheckView& view)
      : context_{context}, services_{services}, view_{view} {}

  CheckOutcome Run();

 private:
  void Status(std::string text) { SetStatus(context_, view_, std::move(text)); }

  CheckContext& context_;
  const CheckServices& services_;
  CheckView& view_;
};

}  // namespace vellumor::updater
