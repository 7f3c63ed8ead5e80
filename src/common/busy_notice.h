#ifndef ORV_SRC_BUSY_NOTICE_H
#define ORV_SRC_BUSY_NOTICE_H

// A notice shown while a long computation runs ("Creating histogram..."),
// gone when destroyed. The computations are display-free: the viewer
// installs the toolkit's busy notice as the maker when the library loads;
// without a maker (display-free tests) no notice is shown.

#include <memory>

namespace orv {

class BusyNotice {
public:
  virtual ~BusyNotice() = default;
};

using BusyNoticeMaker = std::unique_ptr<BusyNotice> (*)(const char* message);

void SetBusyNoticeMaker(BusyNoticeMaker maker);
// The notice of `message`, or null when no maker is installed.
std::unique_ptr<BusyNotice> ShowBusyNotice(const char* message);

}  // namespace orv

#endif
