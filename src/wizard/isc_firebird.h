// The Firebird port over the ISC API of a client library loaded at run time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ports/clock.h"
#include "ports/firebird.h"
#include "wizard/isc_api.h"

namespace zorvak::wizard {

// The client's own connect time-out bounds a peer that accepts and never answers, but not a
// TCP connect that never completes (measured ~134 s with a time-out of 20): the attach runs on
// a worker thread and a connection that misses this deadline counts as failed.
inline constexpr std::int64_t kAttachDeadlineMs = 25000;

class IscFirebird final : public ports::Firebird {
 public:
  IscFirebird(isc::Library& library, ports::Clock& clock, std::int64_t attachDeadlineMs = kAttachDeadlineMs);
  ~IscFirebird() override;

  bool connect(const ports::FirebirdParams& params) override;
  bool connected() const override { return db_ != 0; }
  const std::string& lastError() const override { return lastError_; }
  std::optional<std::vector<ports::FieldValue>> firstRow(std::string_view sql) override;
  void close() override;

 private:
  isc::Library& library_;
  ports::Clock& clock_;
  std::int64_t deadlineMs_;
  const isc::Api* api_ = nullptr;
  isc::Handle db_ = 0;
  std::string lastError_;
};

// Whether an attach abandoned at its deadline is still inside the client library. The library's
// own shutdown at process exit waits for it (for minutes, on a connect that never completes), so
// a program that ends then must end without running the library's exit code.
bool AbandonedAttachRunning();

// The status vector's text: fb_interpret's lines joined by " | ".
std::string StatusText(const isc::Api& api, const isc::Status* status);
// The parameter block of an attach: user, password, connection time-out, dialect, and UTF8 as
// the connection's character set.
std::string AttachParameterBlock(const ports::FirebirdParams& params);

}  // namespace zorvak::wizard
