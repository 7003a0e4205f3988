// The few functions of the Firebird client's legacy ISC API that the discovery uses, declared
// here rather than taken from ibase.h: the library is loaded at run time (libfbclient.so.2,
// fbclient.dll), and this API is the one every client since 2.5 still exports.
#pragma once

#include <cstdint>
#include <string>

namespace zorvak::isc {

using Status = std::intptr_t;           // ISC_STATUS
using Handle = std::uint32_t;           // FB_API_HANDLE on every 64-bit platform
using Long = std::int32_t;              // ISC_LONG (long on Win64, int on LP64: 32 bits both)
using Short = std::int16_t;

inline constexpr int kStatusLength = 20;

struct XSQLVAR {
  Short sqltype;
  Short sqlscale;
  Short sqlsubtype;
  Short sqllen;
  char* sqldata;
  Short* sqlind;
  Short sqlname_length;
  char sqlname[32];
  Short relname_length;
  char relname[32];
  Short ownname_length;
  char ownname[32];
  Short aliasname_length;
  char aliasname[32];
};

struct XSQLDA {
  Short version;
  char sqldaid[8];
  Long sqldabc;
  Short sqln;
  Short sqld;
  XSQLVAR sqlvar[1];
};

inline constexpr Short kSqldaVersion1 = 1;
inline constexpr unsigned short kDialect3 = 3;

// Column types (the low bit of sqltype says the column may be NULL).
inline constexpr int kSqlVarying = 448, kSqlText = 452, kSqlDouble = 480, kSqlFloat = 482,
                     kSqlLong = 496, kSqlShort = 500, kSqlInt64 = 580, kSqlBoolean = 32764;
// Character sets whose bytes come back as stored whatever the connection asks.
inline constexpr int kCharsetNone = 0, kCharsetOctets = 1;

// Parameter block items.
inline constexpr char kDpbVersion1 = 1, kDpbUserName = 28, kDpbPassword = 29, kDpbLcCtype = 48,
                      kDpbConnectTimeout = 57, kDpbSqlDialect = 63;
inline constexpr char kTpbVersion3 = 3, kTpbWait = 6, kTpbRead = 8, kTpbReadCommitted = 15,
                      kTpbRecVersion = 17;
inline constexpr unsigned short kDsqlClose = 1, kDsqlDrop = 2;

struct Api {
  Status (*attach_database)(Status*, short, const char*, Handle*, short, const char*);
  Status (*detach_database)(Status*, Handle*);
  Status (*start_transaction)(Status*, Handle*, short, ...);
  Status (*commit_transaction)(Status*, Handle*);
  Status (*rollback_transaction)(Status*, Handle*);
  Status (*dsql_allocate_statement)(Status*, Handle*, Handle*);
  Status (*dsql_prepare)(Status*, Handle*, Handle*, unsigned short, const char*, unsigned short, XSQLDA*);
  Status (*dsql_describe)(Status*, Handle*, unsigned short, XSQLDA*);
  Status (*dsql_execute)(Status*, Handle*, Handle*, unsigned short, const XSQLDA*);
  Status (*dsql_fetch)(Status*, Handle*, unsigned short, const XSQLDA*);
  Status (*dsql_free_statement)(Status*, Handle*, unsigned short);
  Long (*interpret)(char*, unsigned int, const Status**);
};

// Fills `api` from a library's exports; false with `error` naming the first missing one.
bool BindApi(Api& api, void* (*lookup)(void* library, const char* name), void* library, std::string& error);

// Finds and loads the client library once; later calls answer from the first.
class Library {
 public:
  virtual ~Library() = default;
  // The functions, or null with `error` telling why (no library, a missing entry point).
  virtual const Api* load(std::string& error) = 0;
};

}  // namespace zorvak::isc
