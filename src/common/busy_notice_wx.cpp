// The toolkit's busy notice for the display-free computations, installed
// when the library is loaded.

#include "busy_notice.h"

#include <wx/busyinfo.h>

namespace orv {

namespace {

class ToolkitBusyNotice : public BusyNotice {
public:
  explicit ToolkitBusyNotice(const char* message) : m_info(message) {}

private:
  wxBusyInfo m_info;
};

const bool kToolkitNoticesInstalled = [] {
  SetBusyNoticeMaker([](const char* message) -> std::unique_ptr<BusyNotice> {
    return std::make_unique<ToolkitBusyNotice>(message);
  });
  return true;
}();

}  // namespace

}  // namespace orv
