#include "wizard/isc_firebird.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>

#include "core/text.h"

namespace zorvak::wizard {
namespace {

// Attach threads not finished yet (see AbandonedAttachRunning).
std::atomic<int> attachesRunning{0};

void addItem(std::string& block, char item, std::string_view value) {
  block += item;
  block += static_cast<char>(value.size() > 255 ? 255 : value.size());
  block.append(value.substr(0, 255));
}

void addInt(std::string& block, char item, std::uint32_t value) {
  block += item;
  block += static_cast<char>(4);
  for (int i = 0; i < 4; ++i) block += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// What the worker and the caller share: the worker may outlive a caller that gave up on it.
struct AttachState {
  std::mutex mutex;
  bool done = false;
  bool abandoned = false;
  isc::Handle db = 0;
  std::string error;
};

std::string decimalText(std::int64_t value, int scale) {
  if (scale >= 0) {
    std::string s = std::to_string(value);
    if (value != 0) s.append(static_cast<std::size_t>(scale), '0');
    return s;
  }
  const bool negative = value < 0;
  const std::uint64_t magnitude = negative ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
  std::string digits = std::to_string(magnitude);
  const std::size_t places = static_cast<std::size_t>(-scale);
  if (digits.size() <= places) digits.insert(0, places + 1 - digits.size(), '0');
  digits.insert(digits.size() - places, ".");
  return (negative ? "-" : "") + digits;
}

// One column's value as text. Character columns come back in UTF-8 because the connection
// asks for it, except those of charset NONE or OCTETS, which come back as stored: the
// ZedozIze databases of that kind hold Windows-1252.
std::string columnText(const isc::XSQLVAR& v) {
  if ((v.sqltype & 1) && v.sqlind && *v.sqlind < 0) return {};
  const int type = v.sqltype & ~1;
  const int charset = v.sqlsubtype & 0xFF;
  const bool raw = charset == isc::kCharsetNone || charset == isc::kCharsetOctets;
  auto textOf = [&](std::string_view bytes) { return raw ? text::fromCp1252(bytes) : std::string(bytes); };
  switch (type) {
    case isc::kSqlText: {
      std::string_view bytes(v.sqldata, static_cast<std::size_t>(v.sqllen));
      while (!bytes.empty() && bytes.back() == ' ') bytes.remove_suffix(1);  // CHAR pads with blanks
      return textOf(bytes);
    }
    case isc::kSqlVarying: {
      std::uint16_t len = 0;
      std::memcpy(&len, v.sqldata, 2);
      return textOf(std::string_view(v.sqldata + 2, len));
    }
    case isc::kSqlShort: {
      std::int16_t x;
      std::memcpy(&x, v.sqldata, 2);
      return decimalText(x, v.sqlscale);
    }
    case isc::kSqlLong: {
      std::int32_t x;
      std::memcpy(&x, v.sqldata, 4);
      return decimalText(x, v.sqlscale);
    }
    case isc::kSqlInt64: {
      std::int64_t x;
      std::memcpy(&x, v.sqldata, 8);
      return decimalText(x, v.sqlscale);
    }
    case isc::kSqlDouble: {
      double x;
      std::memcpy(&x, v.sqldata, 8);
      return std::to_string(x);
    }
    case isc::kSqlFloat: {
      float x;
      std::memcpy(&x, v.sqldata, 4);
      return std::to_string(x);
    }
    case isc::kSqlBoolean:
      return *v.sqldata ? "True" : "False";
    default:
      throw ports::DatabaseError("Column " + std::string(v.sqlname, static_cast<std::size_t>(v.sqlname_length)) +
                                 ": data type " + std::to_string(type) + " is not supported");
  }
}

template <typename F>
bool bindOne(void* (*lookup)(void*, const char*), void* library, const char* name, F& slot, std::string& error) {
  void* p = lookup(library, name);
  if (!p) {
    error = std::string("entry point ") + name + " not found in the Firebird client";
    return false;
  }
  slot = reinterpret_cast<F>(p);
  return true;
}

}  // namespace

}  // namespace zorvak::wizard

namespace zorvak::isc {

bool BindApi(Api& api, void* (*lookup)(void*, const char*), void* library, std::string& error) {
  using wizard::bindOne;
  return bindOne(lookup, library, "isc_attach_database", api.attach_database, error) &&
         bindOne(lookup, library, "isc_detach_database", api.detach_database, error) &&
         bindOne(lookup, library, "isc_start_transaction", api.start_transaction, error) &&
         bindOne(lookup, library, "isc_commit_transaction", api.commit_transaction, error) &&
         bindOne(lookup, library, "isc_rollback_transaction", api.rollback_transaction, error) &&
         bindOne(lookup, library, "isc_dsql_allocate_statement", api.dsql_allocate_statement, error) &&
         bindOne(lookup, library, "isc_dsql_prepare", api.dsql_prepare, error) &&
         bindOne(lookup, library, "isc_dsql_describe", api.dsql_describe, error) &&
         bindOne(lookup, library, "isc_dsql_execute", api.dsql_execute, error) &&
         bindOne(lookup, library, "isc_dsql_fetch", api.dsql_fetch, error) &&
         bindOne(lookup, library, "isc_dsql_free_statement", api.dsql_free_statement, error) &&
         bindOne(lookup, library, "fb_interpret", api.interpret, error);
}

}  // namespace zorvak::isc

namespace zorvak::wizard {

std::string StatusText(const isc::Api& api, const isc::Status* status) {
  std::string out;
  const isc::Status* cursor = status;
  char line[1024];
  while (api.interpret(line, sizeof line, &cursor) > 0) {
    if (!out.empty()) out += " | ";
    out += line;
  }
  return out.empty() ? "Firebird error " + std::to_string(status[1]) : out;
}

std::string AttachParameterBlock(const ports::FirebirdParams& params) {
  std::string dpb(1, isc::kDpbVersion1);
  addItem(dpb, isc::kDpbUserName, params.user);
  addItem(dpb, isc::kDpbPassword, params.password);
  addInt(dpb, isc::kDpbConnectTimeout, static_cast<std::uint32_t>(params.connectTimeoutSec));
  addInt(dpb, isc::kDpbSqlDialect, static_cast<std::uint32_t>(params.sqlDialect));
  addItem(dpb, isc::kDpbLcCtype, "UTF8");
  return dpb;
}

IscFirebird::IscFirebird(isc::Library& library, ports::Clock& clock, std::int64_t attachDeadlineMs)
    : library_(library), clock_(clock), deadlineMs_(attachDeadlineMs) {}

IscFirebird::~IscFirebird() { close(); }

bool AbandonedAttachRunning() { return attachesRunning.load() > 0; }

bool IscFirebird::connect(const ports::FirebirdParams& params) {
  close();
  lastError_.clear();
  if (!api_) api_ = library_.load(lastError_);
  if (!api_) return false;

  auto state = std::make_shared<AttachState>();
  std::shared_ptr<ports::Event> finished = clock_.makeEvent();
  const isc::Api* api = api_;
  const std::string database = params.database;
  const std::string dpb = AttachParameterBlock(params);
  ++attachesRunning;
  std::thread([state, finished, api, database, dpb] {
    isc::Status status[isc::kStatusLength] = {};
    isc::Handle db = 0;
    api->attach_database(status, 0, database.c_str(), &db, static_cast<short>(dpb.size()), dpb.data());
    std::string error = (status[0] == 1 && status[1] != 0) ? StatusText(*api, status) : std::string();
    std::lock_guard lock(state->mutex);
    if (state->abandoned) {
      // Too late for the caller: do not leave an attachment behind.
      if (db) api->detach_database(status, &db);
    } else {
      state->db = db;
      state->error = error;
    }
    state->done = true;
    finished->set();
    --attachesRunning;
  }).detach();

  finished->wait(deadlineMs_);
  std::lock_guard lock(state->mutex);
  if (!state->done) {
    state->abandoned = true;
    lastError_ = "The connection to \"" + params.database + "\" did not complete within " +
                 std::to_string(deadlineMs_) + " ms";
    return false;
  }
  if (!state->error.empty()) {
    lastError_ = state->error;
    if (state->db) {
      isc::Status status[isc::kStatusLength] = {};
      api_->detach_database(status, &state->db);
    }
    return false;
  }
  db_ = state->db;
  return db_ != 0;
}

std::optional<std::vector<ports::FieldValue>> IscFirebird::firstRow(std::string_view sql) {
  if (!db_) throw ports::DatabaseError("Database not connected");
  isc::Status status[isc::kStatusLength] = {};
  auto check = [&] {
    if (status[0] == 1 && status[1] != 0) throw ports::DatabaseError(StatusText(*api_, status));
  };
  isc::Handle tr = 0;
  isc::Handle stmt = 0;
  const char tpb[] = {isc::kTpbVersion3, isc::kTpbRead, isc::kTpbReadCommitted, isc::kTpbRecVersion, isc::kTpbWait};
  auto cleanup = [&] {
    isc::Status ignored[isc::kStatusLength] = {};
    if (stmt) api_->dsql_free_statement(ignored, &stmt, isc::kDsqlDrop);
    if (tr) api_->rollback_transaction(ignored, &tr);
  };
  try {
    api_->start_transaction(status, &tr, 1, &db_, static_cast<short>(sizeof tpb), tpb);
    check();
    api_->dsql_allocate_statement(status, &db_, &stmt);
    check();
    std::vector<std::byte> daBuffer(sizeof(isc::XSQLDA) + 63 * sizeof(isc::XSQLVAR));
    auto* da = reinterpret_cast<isc::XSQLDA*>(daBuffer.data());
    da->version = isc::kSqldaVersion1;
    da->sqln = 64;
    const std::string query(sql);
    api_->dsql_prepare(status, &tr, &stmt, 0, query.c_str(), isc::kDialect3, da);
    check();
    if (da->sqld > da->sqln) {
      const int n = da->sqld;
      daBuffer.assign(sizeof(isc::XSQLDA) + (n - 1) * sizeof(isc::XSQLVAR), std::byte{0});
      da = reinterpret_cast<isc::XSQLDA*>(daBuffer.data());
      da->version = isc::kSqldaVersion1;
      da->sqln = static_cast<isc::Short>(n);
      api_->dsql_describe(status, &stmt, isc::kDialect3, da);
      check();
    }
    std::vector<std::vector<char>> data(static_cast<std::size_t>(da->sqld));
    std::vector<isc::Short> nulls(static_cast<std::size_t>(da->sqld));
    for (int i = 0; i < da->sqld; ++i) {
      isc::XSQLVAR& v = da->sqlvar[i];
      const std::size_t size = static_cast<std::size_t>(v.sqllen) + ((v.sqltype & ~1) == isc::kSqlVarying ? 2 : 0);
      data[static_cast<std::size_t>(i)].assign(size + 8, 0);
      v.sqldata = data[static_cast<std::size_t>(i)].data();
      v.sqlind = &nulls[static_cast<std::size_t>(i)];
    }
    api_->dsql_execute(status, &tr, &stmt, isc::kDialect3, nullptr);
    check();
    const isc::Status fetched = api_->dsql_fetch(status, &stmt, isc::kDialect3, da);
    std::optional<std::vector<ports::FieldValue>> row;
    if (fetched == 0) {
      row.emplace();
      for (int i = 0; i < da->sqld; ++i) {
        const isc::XSQLVAR& v = da->sqlvar[i];
        const isc::Short len = v.aliasname_length > 0 ? v.aliasname_length : v.sqlname_length;
        const char* name = v.aliasname_length > 0 ? v.aliasname : v.sqlname;
        row->push_back({std::string(name, static_cast<std::size_t>(len)), columnText(v)});
      }
    } else if (fetched != 100) {
      check();
    }
    cleanup();
    return row;
  } catch (...) {
    cleanup();
    throw;
  }
}

void IscFirebird::close() {
  if (!db_) return;
  isc::Status status[isc::kStatusLength] = {};
  api_->detach_database(status, &db_);
  db_ = 0;
}

}  // namespace zorvak::wizard
