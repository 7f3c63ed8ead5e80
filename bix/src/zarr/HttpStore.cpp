#include "ZarrStore.h"

#include "../io/IOError.h"

#include <curl/curl.h>

#include <mutex>

namespace bix::zarr {

namespace {

// How long a request may take: a server that does not answer within these
// is reported (and the chunk asked for again later) rather than waited for.
constexpr long kConnectSeconds = 10;
constexpr long kLowSpeedBytesPerSecond = 1024;
constexpr long kLowSpeedSeconds = 20;

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// One easy handle per thread, kept for the thread's life: requests from the
// same thread reuse its connections to the server.
struct ThreadHandle {
  CURL* curl;
  ThreadHandle() : curl(curl_easy_init()) {}
  ~ThreadHandle() {
    if (curl) curl_easy_cleanup(curl);
  }
};

std::size_t Append(char* data, std::size_t size, std::size_t count, void* to) {
  static_cast<std::string*>(to)->append(data, size * count);
  return size * count;
}

class HttpStore : public Store {
public:
  explicit HttpStore(std::string url) : m_url(std::move(url)) {
    while (!m_url.empty() && m_url.back() == '/') m_url.pop_back();
    InitCurlOnce();
  }
  bool Read(const std::string& key, std::string& bytes) const override {
    thread_local ThreadHandle handle;
    const std::string url = Where(key);
    CURL* curl = handle.curl;
    if (!curl) io::Fail(url, "cannot start a web request (libcurl)");
    curl_easy_reset(curl);
    bytes.clear();
    char error[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Append);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &bytes);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, kLowSpeedBytesPerSecond);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kLowSpeedSeconds);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "bix (orv)");
    const CURLcode result = curl_easy_perform(curl);
    if (result != CURLE_OK) io::Fail(url, error[0] ? error : curl_easy_strerror(result));
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (status == 404) return false;
    if (status != 200) io::Fail(url, "the server answered " + std::to_string(status));
    return true;
  }
  std::string Where(const std::string& key) const override { return m_url + "/" + key; }

private:
  std::string m_url;
};

}  // namespace

std::shared_ptr<const Store> OpenHttpStore(const std::string& url) { return std::make_shared<HttpStore>(url); }

}  // namespace bix::zarr
