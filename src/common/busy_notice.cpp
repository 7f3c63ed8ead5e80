#include "busy_notice.h"

#include <atomic>

namespace orv {

namespace {

std::atomic<BusyNoticeMaker>& Maker() {
  static std::atomic<BusyNoticeMaker> maker{nullptr};
  return maker;
}

}  // namespace

void SetBusyNoticeMaker(BusyNoticeMaker maker) { Maker() = maker; }

std::unique_ptr<BusyNotice> ShowBusyNotice(const char* message) {
  const BusyNoticeMaker maker = Maker();
  return maker ? maker(message) : nullptr;
}

}  // namespace orv
