// The real local peers of the network tests, started once per test program on free loopback
// ports and stopped when it ends: the recording HTTP server (tests/peers/recording_server.py)
// and the S3 peer (tools/s3peer). Paths come from the build (ZORVAK_SOURCE_DIR, ZORVAK_BUILD_DIR).
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "posix/posix_net.h"
#include "support/temp_dir.h"

extern char** environ;

namespace zorvak::test {

// A child process whose stdin we hold: closing it tells the peer to end.
class PeerProcess {
 public:
  explicit PeerProcess(const std::vector<std::string>& argv) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, in[0], 0);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_addclose(&fa, in[1]);
    posix_spawn_file_actions_addclose(&fa, out[0]);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const int rc = posix_spawnp(&pid_, args[0], &fa, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    close(in[0]);
    close(out[1]);
    stdin_ = in[1];
    fcntl(stdin_, F_SETFD, FD_CLOEXEC);
    if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
    // The first line is the peer's JSON greeting; a peer that dies first gives EOF here.
    std::string line;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') line += c;
    close(out[0]);
    if (line.empty()) throw std::runtime_error("peer did not start: " + argv[0] + " " + argv[1]);
    greeting_ = nlohmann::json::parse(line);
  }
  ~PeerProcess() {
    close(stdin_);
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  int port(const char* name) const { return greeting_.at(name).get<int>(); }

 private:
  pid_t pid_ = -1;
  int stdin_ = -1;
  nlohmann::json greeting_;
};

// A loopback port nobody listens on: connecting is refused at once.
inline int ClosedPort() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  close(s);
  return ntohs(a.sin_port);
}

inline std::string SourceDir() { return ZORVAK_SOURCE_DIR; }

// A self-signed certificate for 127.0.0.1, made with the openssl command once per program.
struct Certificate {
  TempDir dir;
  std::string cert = dir.file("cert.pem"), key = dir.file("key.pem");
  Certificate() {
    const std::string cmd = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 -keyout '" +
                            key + "' -out '" + cert + "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) throw std::runtime_error("openssl req failed");
  }
};

inline Certificate& TestCertificate() {
  static Certificate c;
  return c;
}

// The recording server, with its control requests.
class Recorder {
 public:
  static Recorder& Get() {
    static Recorder r;
    return r;
  }
  std::string url(const char* listener = "http") const {
    const bool tls = std::string(listener).starts_with("https");
    return std::string(tls ? "https" : "http") + "://127.0.0.1:" + std::to_string(process_.port(listener));
  }
  int port(const char* listener) const { return process_.port(listener); }

  // Queues the raw bytes of one reply, played to the next request.
  void script(const std::string& rawReply, const std::string& mode = "normal", int chunk = 1, int delayMs = 0) {
    ports::HttpRequest r{"POST", url() + "/__control/script", false,
                         {{"X-Mode", mode}, {"X-Chunk", std::to_string(chunk)}, {"X-Delay-Ms", std::to_string(delayMs)}},
                         rawReply};
    control(r);
  }
  std::string last() { return control({"GET", url() + "/__control/last"}); }
  int count() { return std::stoi(control({"GET", url() + "/__control/count"})); }
  std::string tls() { return control({"GET", url() + "/__control/tls"}); }
  void reset() { control({"POST", url() + "/__control/reset"}); }

 private:
  Recorder()
      : process_({"python3", SourceDir() + "/tests/peers/recording_server.py", "--cert", TestCertificate().cert,
                  "--key", TestCertificate().key}) {}
  std::string control(const ports::HttpRequest& r) {
    const ports::HttpResponse reply = client_.send(r);
    if (reply.status != 200) throw std::runtime_error("control request failed: " + reply.statusLine);
    return reply.body;
  }

  PeerProcess process_;
  posix::CurlHttpClient client_;
};

// The S3 peer with one bucket; `put` maps object keys to their contents.
class S3Peer {
 public:
  S3Peer(const std::string& key, const std::string& secret, const std::string& bucket,
         const std::map<std::string, std::string>& put, bool tls = false)
      : process_(Args(key, secret, bucket, put, tls)) {}
  int port() const { return process_.port("port"); }

 private:
  std::vector<std::string> Args(const std::string& key, const std::string& secret, const std::string& bucket,
                                const std::map<std::string, std::string>& put, bool tls) {
    const std::string install = SourceDir() + "/tools/s3peer/install.sh '" + ZORVAK_BUILD_DIR + "/s3peer'";
    if (std::system((install + " >/dev/null").c_str()) != 0) throw std::runtime_error("npm ci of the S3 peer failed");
    std::vector<std::string> a = {"node", SourceDir() + "/tools/s3peer/s3peer.js",
                                  "--modules", std::string(ZORVAK_BUILD_DIR) + "/s3peer/node_modules",
                                  "--dir", dir_.file("data"), "--key", key, "--secret", secret, "--bucket", bucket};
    int n = 0;
    for (const auto& [name, bytes] : put) {
      const std::string file = "obj" + std::to_string(n++);
      dir_.write(file, bytes);
      a.insert(a.end(), {"--put", bucket + "/" + name + "=" + dir_.file(file)});
    }
    if (tls) a.insert(a.end(), {"--tls-key", TestCertificate().key, "--tls-cert", TestCertificate().cert});
    return a;
  }

  TempDir dir_;
  PeerProcess process_;
};

}  // namespace zorvak::test

namespace zorvak::test {

// One recorded request, taken apart.
struct RecordedRequest {
  std::string requestLine;
  std::vector<ports::HttpHeader> headers;  // in the order sent
  std::string body;

  static RecordedRequest Parse(const std::string& raw) {
    RecordedRequest r;
    const std::size_t end = raw.find("\r\n\r\n");
    const std::string head = raw.substr(0, end);
    r.body = end == std::string::npos ? "" : raw.substr(end + 4);
    std::size_t pos = head.find("\r\n");
    r.requestLine = head.substr(0, pos);
    while (pos != std::string::npos) {
      const std::size_t next = head.find("\r\n", pos + 2);
      const std::string line = head.substr(pos + 2, next == std::string::npos ? next : next - pos - 2);
      const std::size_t colon = line.find(':');
      r.headers.push_back({line.substr(0, colon), std::string(text::trim(line.substr(colon + 1)))});
      pos = next;
    }
    return r;
  }
};

inline std::string Reply(const std::string& statusLine, const std::vector<std::string>& headers, const std::string& body,
                         bool withLength = true) {
  std::string r = statusLine + "\r\n";
  for (const auto& h : headers) r += h + "\r\n";
  if (withLength) r += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  return r + "Connection: close\r\n\r\n" + body;
}

inline std::string JsonReply(const std::string& body, const std::string& contentType = "application/json; charset=utf-8") {
  return Reply("HTTP/1.1 200 OK", {"Content-Type: " + contentType}, body);
}

}  // namespace zorvak::test
