#ifndef BIX_NOTICES_H
#define BIX_NOTICES_H

#include <functional>
#include <string>

namespace bix {

// What the library did on its own that a user should hear of, such as
// removing the temporary folder a killed save left behind. Each notice is one
// sentence; by default it goes to standard error as "bix: <sentence>".
using NoticeHandler = std::function<void(const std::string& notice)>;

// Installs `handler` (an empty one restores the default) and returns the one
// it replaces. Notices come from the thread that does the work.
NoticeHandler SetNoticeHandler(NoticeHandler handler);

}  // namespace bix

#endif
