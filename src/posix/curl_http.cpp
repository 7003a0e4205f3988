#include <curl/curl.h>
#include <sys/mman.h>
#include <openssl/ssl.h>

#include <chrono>
#include <mutex>

#include "core/text.h"
#include "posix/posix_net.h"

namespace zorvak::posix {
namespace {

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct SlistDeleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

// One transfer's state, seen by the callbacks.
struct Transfer {
  ports::HttpResponse response;
  CURL* curl = nullptr;
  std::int64_t stallMs = 0;
  std::chrono::steady_clock::time_point lastActivity = std::chrono::steady_clock::now();
  curl_off_t lastDown = 0, lastUp = 0;
  bool stalled = false;
  const std::function<void(std::string_view)>* onBody = nullptr;
};

// A large body filled page by page costs one fault per 4 KiB page (26,000 for 64 MiB, more
// time than the transfer itself on loopback); transparent huge pages take 2 MiB at a time.
void PreferHugePages(std::string& body) {
  constexpr std::uintptr_t kHuge = 2u << 20;
  if (body.capacity() < 2 * kHuge) return;
  const auto begin = (reinterpret_cast<std::uintptr_t>(body.data()) + kHuge - 1) & ~(kHuge - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(body.data()) + body.capacity()) & ~(kHuge - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  std::string_view line(data, size * count);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  if (line.starts_with("HTTP/")) {
    // A new status line (after 100 Continue): start over.
    t.response.headers.clear();
    t.response.statusLine = std::string(line);
    const std::size_t sp = line.find(' ');
    const std::size_t sp2 = sp == std::string_view::npos ? sp : line.find(' ', sp + 1);
    t.response.reason = sp2 == std::string_view::npos ? "" : std::string(line.substr(sp2 + 1));
    long status = 0;
    curl_easy_getinfo(t.curl, CURLINFO_RESPONSE_CODE, &status);
    t.response.status = static_cast<int>(status);
    return size * count;
  }
  const std::size_t colon = line.find(':');
  if (colon != std::string_view::npos) {
    ports::HttpHeader h{std::string(line.substr(0, colon)), std::string(text::trim(line.substr(colon + 1)))};
    if (text::equalsNoCase(h.name, "Content-Length")) {
      ports::ReserveForDeclaredLength(t.response.body, h.value);
      PreferHugePages(t.response.body);
    }
    t.response.headers.push_back(std::move(h));
  }
  return size * count;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  t.response.body.append(data, size * count);
  if (t.onBody) (*t.onBody)(std::string_view(data, size * count));
  return size * count;
}

// The stall bound: no byte in either direction for stallMs once the connection is up. libcurl's
// low-speed check averages over seconds and only in whole seconds; this is exact to the
// callback's rate (at least once a second while idle).
int OnProgress(void* user, curl_off_t, curl_off_t down, curl_off_t, curl_off_t up) {
  auto& t = *static_cast<Transfer*>(user);
  const auto now = std::chrono::steady_clock::now();
  curl_off_t connected = 0;
  curl_easy_getinfo(t.curl, CURLINFO_PRETRANSFER_TIME_T, &connected);
  if (connected == 0 || down != t.lastDown || up != t.lastUp) {
    t.lastActivity = now;
    t.lastDown = down;
    t.lastUp = up;
    return 0;
  }
  if (now - t.lastActivity > std::chrono::milliseconds(t.stallMs)) {
    t.stalled = true;
    return 1;
  }
  return 0;
}

int OpenSslVersion(ports::TlsVersion v) {
  switch (v) {
    case ports::TlsVersion::tls10: return TLS1_VERSION;
    case ports::TlsVersion::tls11: return TLS1_1_VERSION;
    case ports::TlsVersion::tls12: return TLS1_2_VERSION;
    case ports::TlsVersion::tls13: return TLS1_3_VERSION;
  }
  return TLS1_2_VERSION;
}

// The allowed versions as the range of the OpenSSL context, set for every handshake.
CURLcode OnSslContext(CURL*, void* sslCtx, void* user) {
  const auto& range = *static_cast<const ports::TlsRange*>(user);
  auto* ctx = static_cast<SSL_CTX*>(sslCtx);
  const int lowest = OpenSslVersion(range.lowest), highest = OpenSslVersion(range.highest);
  if (SSL_CTX_set_min_proto_version(ctx, lowest) != 1 || SSL_CTX_set_max_proto_version(ctx, highest) != 1)
    return CURLE_SSL_CIPHER;
  // OpenSSL 3 refuses TLS 1.0 and 1.1 at its default security level; the set asks for them.
  if (lowest < TLS1_2_VERSION) SSL_CTX_set_security_level(ctx, 0);
  return CURLE_OK;
}

}  // namespace

// The cookies live in a share that outlasts every request's own easy handle.
struct CurlHttpClient::Handle {
  CURLSH* share = nullptr;
  ports::TlsRange tls;  // what OnSslContext reads
};

CurlHttpClient::CurlHttpClient(ports::HttpClientSettings settings)
    : settings_(settings), handle_(std::make_unique<Handle>()) {
  GlobalInit();
  handle_->share = curl_share_init();
  if (!handle_->share) throw ports::HttpError("curl_share_init falhou");
  curl_share_setopt(handle_->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
  handle_->tls = ports::EffectiveTlsRange(settings.tls);
}

CurlHttpClient::~CurlHttpClient() { curl_share_cleanup(handle_->share); }

ports::HttpResponse CurlHttpClient::send(const ports::HttpRequest& request) {
  const std::unique_ptr<CURL, void (*)(CURL*)> easy(curl_easy_init(), curl_easy_cleanup);
  if (!easy) throw ports::HttpError("curl_easy_init falhou");
  CURL* c = easy.get();
  Transfer t;
  t.curl = c;
  t.stallMs = settings_.stallTimeoutMs;
  if (request.onBody) t.onBody = &request.onBody;
  char error[CURL_ERROR_SIZE] = {};

  curl_easy_setopt(c, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(c, CURLOPT_FRESH_CONNECT, 1L);
  curl_easy_setopt(c, CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  // Larger reads: a quarter of the callbacks and copies on a large download.
  curl_easy_setopt(c, CURLOPT_BUFFERSIZE, 256L * 1024);
  curl_easy_setopt(c, CURLOPT_SHARE, handle_->share);
  curl_easy_setopt(c, CURLOPT_COOKIEFILE, "");
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
  curl_easy_setopt(c, CURLOPT_HTTP_VERSION, request.http10 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(settings_.connectTimeoutMs));
  if (settings_.totalTimeoutMs > 0) curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(settings_.totalTimeoutMs));
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, &t);
  curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(c, CURLOPT_HEADERDATA, &t);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, settings_.verifyCertificate ? 1L : 0L);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, settings_.verifyCertificate ? 2L : 0L);
  curl_easy_setopt(c, CURLOPT_SSL_CTX_FUNCTION, OnSslContext);
  curl_easy_setopt(c, CURLOPT_SSL_CTX_DATA, &handle_->tls);

  // Expect: 100-continue would add a header and a wait the servers do not need.
  Slist headers(curl_slist_append(nullptr, "Expect:"));
  for (const ports::HttpHeader& h : request.headers) {
    const std::string line = h.value.empty() ? h.name + ";" : h.name + ": " + h.value;
    headers.reset(curl_slist_append(headers.release(), line.c_str()));
  }
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
  if (request.method == "POST") {
    curl_easy_setopt(c, CURLOPT_POST, 1L);
    curl_easy_setopt(c, CURLOPT_POSTFIELDS, request.body.data());
    curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
  } else if (request.method != "GET") {
    curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, request.method.c_str());
  }

  const CURLcode rc = curl_easy_perform(c);
  if (rc == CURLE_OK) return std::move(t.response);
  std::string text = t.stalled ? "Operation timed out: no data for " + std::to_string(t.stallMs) + " ms"
                     : error[0] ? std::string(error)
                                : std::string(curl_easy_strerror(rc));
  if (t.response.status != 0) {
    t.response.bodyError = std::move(text);
    return std::move(t.response);
  }
  throw ports::HttpError(text, t.stalled || rc == CURLE_OPERATION_TIMEDOUT);
}

}  // namespace zorvak::posix
