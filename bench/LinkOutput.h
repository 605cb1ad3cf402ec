// What the input engine sends, straight over a HID link and nothing else:
// the benchmarks time the engine and the link, not the window's reactions.
#pragma once
#include <string>

#include "device/HidLink.h"
#include "input/InputEngine.h"

class LinkOutput : public InputEngineOutput {
public:
  explicit LinkOutput(HidLink& link) : m_link(link) {}
  void exchangeFrame(const FeatureFrame& request) override {
    FeatureFrame reply;
    m_link.exchangeFeature(request, reply);
  }
  bool exchangeFrameWith(const std::string& mouse, const FeatureFrame& request) override {
    FeatureFrame reply;
    return m_link.exchangeFeatureOn(mouse, request, reply);
  }
  void closeCurrentWindow() override {}
  void doubleClick() override {}
  void showDpiState(int) override {}

private:
  HidLink& m_link;
};
