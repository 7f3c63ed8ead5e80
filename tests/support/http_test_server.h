#ifndef ORV_TESTS_HTTP_TEST_SERVER_H
#define ORV_TESTS_HTTP_TEST_SERVER_H

// Runs tests/support/http_test_server.py on a folder for the life of the
// object: its URL, and the switch that makes it fail on purpose.

#include <curl/curl.h>

#include <csignal>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace orvtest {

class HttpTestServer {
public:
  explicit HttpTestServer(const std::string& folder) {
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe");
    m_pid = ::fork();
    if (m_pid == 0) {
      ::dup2(out[1], 1);
      ::close(out[0]);
      ::execl(ORV_TEST_PYTHON, ORV_TEST_PYTHON, ORV_HTTP_TEST_SERVER, folder.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(out[1]);
    FILE* in = ::fdopen(out[0], "r");
    int port = 0;
    const bool read = std::fscanf(in, "%d", &port) == 1;
    std::fclose(in);
    if (!read) throw std::runtime_error("the test web server did not start");
    m_url = "http://127.0.0.1:" + std::to_string(port);
  }
  ~HttpTestServer() {
    ::kill(m_pid, SIGTERM);
    ::waitpid(m_pid, nullptr, 0);
  }
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  const std::string& Url() const { return m_url; }
  void Fail(bool failing) const { Get(failing ? "/__fail__/on" : "/__fail__/off"); }
  // Files served and connections accepted so far.
  std::pair<int, int> Stats() const {
    int requests = 0, connections = 0;
    std::sscanf(Get("/__stats__").c_str(), "%d %d", &requests, &connections);
    return {requests, connections};
  }

private:
  std::string Get(const std::string& path) const {
    std::string body;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, (m_url + path).c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, +[](char* d, std::size_t s, std::size_t n, void* to) {
      static_cast<std::string*>(to)->append(d, s * n);
      return s * n;
    });
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return body;
  }

  pid_t m_pid = -1;
  std::string m_url;
};

}  // namespace orvtest

#endif
