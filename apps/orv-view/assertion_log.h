#ifndef ORV_VIEW_ASSERTION_LOG_H
#define ORV_VIEW_ASSERTION_LOG_H

#include <wx/debug.h>

namespace orvview {

// The toolkit's "An assertion failed!" dialog stops a scripted run, and its
// "Stop" aborts the program with the user's work: release builds of
// orv-view write the failed check to standard error instead and go on.
// Returns the handler it replaces.
wxAssertHandler_t LogAssertionsInsteadOfAsking();

}  // namespace orvview

#endif
