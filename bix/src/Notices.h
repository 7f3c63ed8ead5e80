#ifndef BIX_SRC_NOTICES_H
#define BIX_SRC_NOTICES_H

#include <string>

namespace bix {

// Hands `notice` to the installed notice handler (standard error by default).
void Notify(const std::string& notice);

}  // namespace bix

#endif
