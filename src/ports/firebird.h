// A Firebird database as the discovery sees it: open one connection with named parameters,
// read the first row of a query by field name, close. The client library is loaded at run time,
// so a machine without it gets failed connections rather than a program that does not start.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zorvak::ports {

// An error of the database layer; the text is the client library's own (fb_interpret's lines
// joined by " | ").
class DatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct FirebirdParams {
  std::string database;  // passed to the client exactly as given: a path, or server:path
  std::string user;
  std::string password;
  int connectTimeoutSec = 20;
  int sqlDialect = 3;
};

struct FieldValue {
  std::string name;   // as the server reports it (upper case for unquoted names)
  std::string value;  // UTF-8 text; NULL reads as empty
};

class Firebird {
 public:
  virtual ~Firebird() = default;
  // Closes a connection left open, then attaches. False when the attach fails or misses the
  // deadline; lastError() then tells why.
  virtual bool connect(const FirebirdParams& params) = 0;
  virtual bool connected() const = 0;
  virtual const std::string& lastError() const = 0;
  // The first row of the query in a read-committed transaction, or nothing when it yields no
  // row. Throws DatabaseError.
  virtual std::optional<std::vector<FieldValue>> firstRow(std::string_view sql) = 0;
  virtual void close() = 0;
};

}  // namespace zorvak::ports
