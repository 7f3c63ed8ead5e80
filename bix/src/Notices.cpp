#include "Notices.h"

#include <bix/Notices.h>

#include <cstdio>
#include <mutex>

namespace bix {

namespace {

std::mutex& HandlerMutex() {
  static std::mutex mutex;
  return mutex;
}

NoticeHandler& Handler() {
  static NoticeHandler handler;
  return handler;
}

}  // namespace

NoticeHandler SetNoticeHandler(NoticeHandler handler) {
  std::lock_guard<std::mutex> lock(HandlerMutex());
  NoticeHandler previous = std::move(Handler());
  Handler() = std::move(handler);
  return previous;
}

void Notify(const std::string& notice) {
  NoticeHandler handler;
  {
    std::lock_guard<std::mutex> lock(HandlerMutex());
    handler = Handler();
  }
  if (handler) handler(notice);
  else std::fprintf(stderr, "bix: %s\n", notice.c_str());
}

}  // namespace bix
