#include "assertion_log.h"

#include <wx/string.h>

#include <cstdio>

namespace orvview {

namespace {

void WriteAssertion(const wxString& file, int line, const wxString& function, const wxString& condition,
                    const wxString& message) {
  std::fprintf(stderr, "orv-view: internal check failed in %s (%s:%d): %s\n", function.utf8_str().data(),
               file.utf8_str().data(), line, (message.empty() ? condition : message).utf8_str().data());
}

}  // namespace

wxAssertHandler_t LogAssertionsInsteadOfAsking() { return wxSetAssertHandler(WriteAssertion); }

}  // namespace orvview
