#ifndef ORV_SRC_QUOTED_FIELD_H
#define ORV_SRC_QUOTED_FIELD_H

#include <string>
#include <string_view>

namespace orv {

// A field of a file as a message quotes it: at most 60 characters, then
// "…" (a field of megabytes would take minutes to show), cut between
// UTF-8 characters.
std::string QuotedField(std::string_view field);

}  // namespace orv

#endif
