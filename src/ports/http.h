// HTTP as the programs see it: one request, one whole reply in memory. The adapters are libcurl
// (src/posix) and WinHTTP (src/win32); what goes on the wire beyond what a request names
// (Host, Content-Length) is theirs.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/text.h"

namespace zorvak::ports {

// TLS protocol versions a client may negotiate (Config/SSL's set).
struct TlsVersions {
  bool ssl2 = false, ssl3 = false, tls10 = false, tls11 = false, tls12 = false;
  bool empty() const { return !(ssl2 || ssl3 || tls10 || tls11 || tls12); }
  friend bool operator==(const TlsVersions&, const TlsVersions&) = default;
};

enum class TlsVersion { tls10 = 10, tls11 = 11, tls12 = 12, tls13 = 13 };
struct TlsRange {
  TlsVersion lowest, highest;
  friend bool operator==(const TlsRange&, const TlsRange&) = default;
};

// What the adapters negotiate for a set:
// - from its lowest to its highest TLS version, gaps filled: Config/SSL's plain-text search puts
//   TLS 1.0 into every set that names TLS 1.2, and OpenSSL, given a gap, keeps only the versions
//   below it, so "[sslvTLSv1_2]" would otherwise negotiate TLS 1.0;
// - SSL 2.0 and 3.0 are left out: no stack we ship on speaks them any more;
// - a set with no TLS version (empty, or SSL only) allows TLS 1.2 and 1.3: a Config/SSL that
//   names nothing usable must neither make https impossible nor open it to old versions.
inline TlsRange EffectiveTlsRange(const TlsVersions& v) {
  if (!(v.tls10 || v.tls11 || v.tls12)) return {TlsVersion::tls12, TlsVersion::tls13};
  const TlsVersion lowest = v.tls10 ? TlsVersion::tls10 : v.tls11 ? TlsVersion::tls11 : TlsVersion::tls12;
  const TlsVersion highest = v.tls12 ? TlsVersion::tls12 : v.tls11 ? TlsVersion::tls11 : TlsVersion::tls10;
  return {lowest, highest};
}

struct HttpClientSettings {
  TlsVersions tls;                 // for https only
  bool verifyCertificate = true;   // the agent's management client turns this off
  // Time to establish the connection (TCP and TLS handshake).
  std::int32_t connectTimeoutMs = 15000;
  // Longest silence while waiting for the reply or between two pieces of it. A transfer that
  // keeps moving is never cut, however long it takes.
  std::int32_t stallTimeoutMs = 30000;
  // Longest whole request, 0 for none: a server that trickles a byte now and then never trips
  // the stall bound, and must not hold a cycle for ever. The WinHTTP adapter checks it between
  // reads, so it may be passed by up to one stall bound.
  std::int32_t totalTimeoutMs = 0;
};

// Bounds of the programs' clients. A request to the management server or a probe page is small:
// two minutes is plenty. The engine's download may be large on a slow line: it keeps an hour.
inline constexpr std::int32_t kRequestTotalTimeoutMs = 120000;
inline constexpr std::int32_t kDownloadTotalTimeoutMs = 3600000;

struct HttpHeader {
  std::string name, value;
};

struct HttpRequest {
  std::string method = "GET";  // "GET" or "POST"
  std::string url;             // http:// or https://, already encoded
  bool http10 = false;         // HTTP/1.0 instead of HTTP/1.1
  std::vector<HttpHeader> headers;
  std::string body;
  // Sees each piece of the reply's body as it arrives, in order (the reply still holds it all).
  std::function<void(std::string_view)> onBody;
};

struct HttpResponse {
  int status = 0;
  std::string statusLine;  // as received, e.g. "HTTP/1.1 404 Not Found"
  std::string reason;      // "Not Found"
  std::vector<HttpHeader> headers;
  std::string body;
  // Set when the transfer broke off after the status line arrived (connection lost, stall):
  // the body is then what had arrived, and this holds the client's text for the failure.
  std::optional<std::string> bodyError;

  // The first header of that name, compared without case.
  std::optional<std::string_view> header(std::string_view name) const;
};

// No reply at all: name not resolved, connection refused or timed out, TLS failure, silence
// before the status line. The text is the HTTP library's own.
class HttpError : public std::runtime_error {
 public:
  explicit HttpError(const std::string& text, bool timedOut = false)
      : std::runtime_error(text), timedOut_(timedOut) {}
  bool timedOut() const { return timedOut_; }

 private:
  bool timedOut_;
};

// One client per owner; never two requests at once. Redirections are never followed: a 3xx
// reply is returned as it is. Every request goes out on a fresh connection, which is closed
// when the reply has been read.
class HttpClient {
 public:
  virtual ~HttpClient() = default;
  // Any status is a reply; throws HttpError when there is none.
  virtual HttpResponse send(const HttpRequest& request) = 0;
};

// Makes room for a body of the declared Content-Length in one allocation, so the object is held
// once. The declared length is trusted only up to 512 MiB, so a lying server cannot make us
// reserve gigabytes before a byte has come; a length that is no number is left to the caller,
// who compares it with the body.
inline void ReserveForDeclaredLength(std::string& body, std::string_view contentLength) {
  constexpr std::uint64_t kMaxReserve = 512u << 20;
  std::uint64_t n = 0;
  if (contentLength.empty()) return;
  for (char c : contentLength) {
    if (c < '0' || c > '9' || n > kMaxReserve) break;
    n = n * 10 + static_cast<std::uint64_t>(c - '0');
  }
  body.reserve(static_cast<std::size_t>(n < kMaxReserve ? n : kMaxReserve));
}

inline std::optional<std::string_view> HttpResponse::header(std::string_view name) const {
  for (const HttpHeader& h : headers) {
    if (text::equalsNoCase(h.name, name)) return std::string_view(h.value);
  }
  return std::nullopt;
}

}  // namespace zorvak::ports
