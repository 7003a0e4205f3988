#include <windows.h>
#include <winhttp.h>

#include "core/text.h"
#include "win32/wide.h"
#include "win32/win32_net.h"

namespace zorvak::win32 {
namespace {

// Wine reports a receive time-out as WSAETIMEDOUT instead of ERROR_WINHTTP_TIMEOUT.
constexpr DWORD kWsaTimedOut = 10060;

struct InternetHandle {
  HINTERNET h = nullptr;
  InternetHandle() = default;
  explicit InternetHandle(HINTERNET handle) : h(handle) {}
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  ~InternetHandle() {
    if (h) WinHttpCloseHandle(h);
  }
};

std::string WinHttpText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 GetModuleHandleW(L"winhttp.dll"), code, 0, reinterpret_cast<wchar_t*>(&buffer), 0,
                                 nullptr);
  std::wstring text = n ? std::wstring(buffer, n) : std::wstring();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  std::string out = text.empty() ? systemMessage(code) : narrow(text);
  if (out.empty()) out = "WinHTTP error";
  return out + " (" + std::to_string(code) + ")";
}

bool IsTimeout(DWORD code) { return code == ERROR_WINHTTP_TIMEOUT || code == kWsaTimedOut; }

[[noreturn]] void Fail(const char* what) {
  const DWORD code = GetLastError();
  throw ports::HttpError(std::string(what) + ": " + WinHttpText(code), IsTimeout(code));
}

DWORD SecureProtocols(const ports::TlsRange& range) {
  DWORD flags = 0;
  const auto in = [&](ports::TlsVersion v) { return v >= range.lowest && v <= range.highest; };
  if (in(ports::TlsVersion::tls10)) flags |= WINHTTP_FLAG_SECURE_PROTOCOL_TLS1;
  if (in(ports::TlsVersion::tls11)) flags |= WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_1;
  if (in(ports::TlsVersion::tls12)) flags |= WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
  if (in(ports::TlsVersion::tls13)) flags |= WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
  return flags;
}

std::wstring QueryText(HINTERNET request, DWORD what) {
  DWORD size = 0;
  WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &size, WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return {};
  std::wstring out(size / sizeof(wchar_t), L'\0');
  if (!WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, out.data(), &size, WINHTTP_NO_HEADER_INDEX))
    return {};
  out.resize(size / sizeof(wchar_t));
  return out;
}

// "HTTP/1.1 200 OK\r\nName: value\r\n..." into the reply's fields.
void ReadHead(const std::string& raw, ports::HttpResponse& r) {
  std::size_t pos = 0;
  bool first = true;
  while (pos < raw.size()) {
    std::size_t end = raw.find("\r\n", pos);
    if (end == std::string::npos) end = raw.size();
    const std::string_view line(raw.data() + pos, end - pos);
    pos = end + 2;
    if (line.empty()) continue;
    if (first) {
      first = false;
      r.statusLine = std::string(line);
      const std::size_t sp = line.find(' ');
      const std::size_t sp2 = sp == std::string_view::npos ? sp : line.find(' ', sp + 1);
      r.reason = sp2 == std::string_view::npos ? "" : std::string(line.substr(sp2 + 1));
      continue;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    r.headers.push_back({std::string(line.substr(0, colon)), std::string(text::trim(line.substr(colon + 1)))});
  }
}

}  // namespace

struct WinHttpClient::Session {
  InternetHandle session;
};

WinHttpClient::WinHttpClient(ports::HttpClientSettings settings)
    : settings_(settings), session_(std::make_unique<Session>()) {
  // No agent name here: the callers send their own User-Agent header.
  session_->session.h = WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                    WINHTTP_NO_PROXY_BYPASS, 0);
  if (!session_->session.h) Fail("WinHttpOpen");
  DWORD protocols = SecureProtocols(ports::EffectiveTlsRange(settings.tls));
  if (!WinHttpSetOption(session_->session.h, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols)) {
    // A system without TLS 1.3 in WinHTTP refuses the flag: go on without it.
    protocols &= ~DWORD(WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3);
    if (!protocols || !WinHttpSetOption(session_->session.h, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols))
      Fail("WINHTTP_OPTION_SECURE_PROTOCOLS");
  }
}

WinHttpClient::~WinHttpClient() = default;

ports::HttpResponse WinHttpClient::send(const ports::HttpRequest& request) {
  const std::wstring url = widen(request.url);
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = DWORD(-1);
  if (!WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) Fail("URL");
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
  path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (path.empty()) path = L"/";
  const bool https = parts.nScheme == INTERNET_SCHEME_HTTPS;

  const ULONGLONG started = GetTickCount64();
  InternetHandle connection(WinHttpConnect(session_->session.h, host.c_str(), parts.nPort, 0));
  if (!connection.h) Fail("WinHttpConnect");
  const std::wstring method = widen(request.method);
  // Paths arrive encoded already; WinHTTP must not encode them again.
  InternetHandle req(WinHttpOpenRequest(connection.h, method.c_str(), path.c_str(), request.http10 ? L"HTTP/1.0" : nullptr,
                                        WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                        WINHTTP_FLAG_ESCAPE_DISABLE | WINHTTP_FLAG_ESCAPE_DISABLE_QUERY |
                                            (https ? WINHTTP_FLAG_SECURE : 0)));
  if (!req.h) Fail("WinHttpOpenRequest");

  // Redirections are the caller's to judge; every request on a connection of its own (WinHTTP
  // pools connections across sessions otherwise).
  DWORD features = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_KEEP_ALIVE;
  WinHttpSetOption(req.h, WINHTTP_OPTION_DISABLE_FEATURE, &features, sizeof features);
  const int stall = settings_.stallTimeoutMs, connect = settings_.connectTimeoutMs;
  if (!WinHttpSetTimeouts(req.h, connect, connect, stall, stall)) Fail("WinHttpSetTimeouts");
  // The receive time-out alone does not bound the wait for the reply's head.
  DWORD responseTimeout = static_cast<DWORD>(stall);
  WinHttpSetOption(req.h, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout, sizeof responseTimeout);
  if (https && !settings_.verifyCertificate) {
    DWORD ignore = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID |
                   SECURITY_FLAG_IGNORE_CERT_CN_INVALID | SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE;
    if (!WinHttpSetOption(req.h, WINHTTP_OPTION_SECURITY_FLAGS, &ignore, sizeof ignore)) Fail("WINHTTP_OPTION_SECURITY_FLAGS");
  }

  std::wstring headers;
  for (const ports::HttpHeader& h : request.headers) headers += widen(h.name) + L": " + widen(h.value) + L"\r\n";
  if (!headers.empty() &&
      !WinHttpAddRequestHeaders(req.h, headers.c_str(), static_cast<DWORD>(headers.size()),
                                WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE))
    Fail("WinHttpAddRequestHeaders");

  const DWORD bodySize = static_cast<DWORD>(request.body.size());
  if (!WinHttpSendRequest(req.h, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                          bodySize ? const_cast<char*>(request.body.data()) : WINHTTP_NO_REQUEST_DATA, bodySize, bodySize,
                          0))
    Fail("WinHttpSendRequest");
  if (!WinHttpReceiveResponse(req.h, nullptr)) Fail("WinHttpReceiveResponse");

  ports::HttpResponse r;
  DWORD status = 0, size = sizeof status;
  WinHttpQueryHeaders(req.h, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX, &status,
                      &size, WINHTTP_NO_HEADER_INDEX);
  r.status = static_cast<int>(status);
  ReadHead(narrow(QueryText(req.h, WINHTTP_QUERY_RAW_HEADERS_CRLF)), r);
  if (const auto length = r.header("Content-Length")) ports::ReserveForDeclaredLength(r.body, *length);

  // Read straight into the body's tail: the object is held once.
  for (;;) {
    if (settings_.totalTimeoutMs > 0 && GetTickCount64() - started > static_cast<ULONGLONG>(settings_.totalTimeoutMs)) {
      r.bodyError = "Operation timed out: the request took longer than " + std::to_string(settings_.totalTimeoutMs) + " ms";
      break;
    }
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(req.h, &available)) {
      r.bodyError = WinHttpText(GetLastError());
      break;
    }
    if (available == 0) break;
    const std::size_t at = r.body.size();
    if (r.body.capacity() < at + available) r.body.reserve(std::max(at + available, r.body.capacity() * 2));
    r.body.resize(at + available);
    DWORD read = 0;
    if (!WinHttpReadData(req.h, r.body.data() + at, available, &read)) {
      r.body.resize(at);
      r.bodyError = WinHttpText(GetLastError());
      break;
    }
    r.body.resize(at + read);
    if (request.onBody) request.onBody(std::string_view(r.body.data() + at, read));
  }
  return r;
}

}  // namespace zorvak::win32
