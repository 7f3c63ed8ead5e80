#ifndef ORV_VIEW_MAN_PAGE_H
#define ORV_VIEW_MAN_PAGE_H

#include <string>

namespace orvview {

// orv-view's manual page (roff, section 1), made from the text --help shows:
// its usage lines become the synopsis, its options the OPTIONS section.
std::string ManPage(const std::string& version);

}  // namespace orvview

#endif
