// AWS Signature Version 4 over the crypto port: the Authorization header of one request.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/datetime.h"
#include "ports/crypto.h"
#include "ports/http.h"

namespace zorvak::sigv4 {

struct Credentials {
  std::string accessKey, secretKey, region, service;
};

struct Request {
  std::string method;        // "GET"
  std::string canonicalUri;  // the path as sent, already URI-encoded ("/" for none)
  std::vector<std::pair<std::string, std::string>> query;  // raw (not encoded) names and values
  std::vector<ports::HttpHeader> headers;  // every header to sign; host and x-amz-date included
  std::string payloadHash;                 // lower-case hex SHA-256 of the body
};

// RFC 3986 unreserved characters as they are, everything else %XX (upper-case); "/" kept only
// when asked, as S3 object keys keep it.
std::string UriEncode(std::string_view s, bool keepSlash);
std::string Hex(const unsigned char* data, std::size_t size);
template <std::size_t N>
std::string Hex(const std::array<std::uint8_t, N>& d) { return Hex(d.data(), N); }

// "20130524T000000Z" from a UTC instant.
std::string AmzDate(DateTime utc);

std::string CanonicalRequest(const Request& r);
// The value of the Authorization header; `amzDate` must equal the signed x-amz-date.
std::string Authorization(ports::Crypto& crypto, const Credentials& c, const Request& r,
                          std::string_view amzDate);

}  // namespace zorvak::sigv4
