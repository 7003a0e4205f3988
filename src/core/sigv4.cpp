#include "core/sigv4.h"

#include <algorithm>
#include <cstdio>

namespace zorvak::sigv4 {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// Leading and trailing blanks removed, inner runs of blanks folded to one.
std::string CanonicalValue(std::string_view v) {
  std::string out;
  bool blank = false;
  for (const char c : v) {
    if (c == ' ' || c == '\t') {
      blank = !out.empty();
      continue;
    }
    if (blank) out += ' ';
    blank = false;
    out += c;
  }
  return out;
}

struct CanonicalHeaders {
  std::string block;   // "name:value\n" lines
  std::string signed_; // "name;name"
};

CanonicalHeaders Canonical(const std::vector<ports::HttpHeader>& headers) {
  std::vector<std::pair<std::string, std::string>> sorted;
  for (const auto& h : headers) {
    std::string name;
    for (const char c : h.name) name += Lower(c);
    const std::string value = CanonicalValue(h.value);
    auto same = std::find_if(sorted.begin(), sorted.end(), [&](auto& p) { return p.first == name; });
    if (same != sorted.end()) {
      same->second += "," + value;
    } else {
      sorted.emplace_back(std::move(name), value);
    }
  }
  std::sort(sorted.begin(), sorted.end());
  CanonicalHeaders out;
  for (const auto& [name, value] : sorted) {
    out.block += name + ":" + value + "\n";
    if (!out.signed_.empty()) out.signed_ += ';';
    out.signed_ += name;
  }
  return out;
}

std::string_view AsText(const ports::Sha256Digest& d) {
  return {reinterpret_cast<const char*>(d.data()), d.size()};
}

}  // namespace

std::string UriEncode(std::string_view s, bool keepSlash) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '.' || c == '_' || c == '~' || (keepSlash && c == '/')) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0f];
    }
  }
  return out;
}

std::string Hex(const unsigned char* data, std::size_t size) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(size * 2);
  for (std::size_t i = 0; i < size; ++i) {
    out += kHex[data[i] >> 4];
    out += kHex[data[i] & 0x0f];
  }
  return out;
}

std::string AmzDate(DateTime utc) {
  const CivilTime c = toCivil(utc);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d%02d%02dT%02d%02d%02dZ", c.year, c.month, c.day, c.hour,
                c.minute, c.second);
  return buf;
}

std::string CanonicalRequest(const Request& r) {
  std::vector<std::pair<std::string, std::string>> query;
  for (const auto& [name, value] : r.query) query.emplace_back(UriEncode(name, false), UriEncode(value, false));
  std::sort(query.begin(), query.end());
  std::string queryText;
  for (const auto& [name, value] : query) {
    if (!queryText.empty()) queryText += '&';
    queryText += name + "=" + value;
  }
  const CanonicalHeaders h = Canonical(r.headers);
  return r.method + "\n" + r.canonicalUri + "\n" + queryText + "\n" + h.block + "\n" + h.signed_ +
         "\n" + r.payloadHash;
}

std::string Authorization(ports::Crypto& crypto, const Credentials& c, const Request& r,
                          std::string_view amzDate) {
  const std::string day(amzDate.substr(0, 8));
  const std::string scope = day + "/" + c.region + "/" + c.service + "/aws4_request";
  const std::string stringToSign = "AWS4-HMAC-SHA256\n" + std::string(amzDate) + "\n" + scope + "\n" +
                                   Hex(crypto.sha256(CanonicalRequest(r)));
  ports::Sha256Digest key = crypto.hmacSha256("AWS4" + c.secretKey, day);
  key = crypto.hmacSha256(AsText(key), c.region);
  key = crypto.hmacSha256(AsText(key), c.service);
  key = crypto.hmacSha256(AsText(key), "aws4_request");
  const std::string signature = Hex(crypto.hmacSha256(AsText(key), stringToSign));
  return "AWS4-HMAC-SHA256 Credential=" + c.accessKey + "/" + scope +
         ", SignedHeaders=" + Canonical(r.headers).signed_ + ", Signature=" + signature;
}

}  // namespace zorvak::sigv4
