#pragma once
// A check view for tests: offer answers are queued ahead of time, everything shown is recorded,
// nothing blocks.

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "updater/CheckView.h"

namespace vellumor::test {

class ScriptedCheckView final : public updater::CheckView {
 public:
  std::deque<int> offerAnswers;  // when empty, the offer is closed with its close box

  std::vector<std::string> statuses;
  std::vector<std::pair<std::string, std::string>> offers;
  std::vector<std::string> messages;
  std::vector<std::string> openedPages;
  updater::CheckContext shown;  // the context as last shown

  void ShowStatus(const updater::CheckContext& context) override {
    statuses.push_back(context.status);
    shown = context;
  }
  int AskOffer(std::string_view offerLine, std::string_view questionLine) override {
    offers.emplace_back(offerLine, questionLine);
    if (offerAnswers.empty()) {
      return updater::kOfferClosed;
    }
    const int answer = offerAnswers.front();
    offerAnswers.pop_front();
    return answer;
  }
  void ShowNoUpdates(std::string_view text) override { messages.emplace_back(text); }
  void OpenPage(std::string_view address) override { openedPages.emplace_back(address); }
};

}  // namespace vellumor::test
