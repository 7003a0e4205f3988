#include <dlfcn.h>
#include <unistd.h>

#include <cctype>

#include "posix/posix_wizard.h"

namespace zorvak::posix {
namespace {

void* lookup(void* lib, const char* name) { return ::dlsym(lib, name); }

}  // namespace

const isc::Api* FbClientLibrary::load(std::string& error) {
  if (!tried_) {
    tried_ = true;
    // Never unloaded: a worker abandoned past its deadline may still be inside the library.
    void* lib = ::dlopen(soname_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
      const char* why = ::dlerror();
      error_ = "Firebird client library " + soname_ + " not loaded: " + (why ? why : "unknown error");
    } else {
      ok_ = isc::BindApi(api_, lookup, lib, error_);
    }
  }
  if (!ok_) error = error_;
  return ok_ ? &api_ : nullptr;
}

std::string PosixMachine::computerName() {
  char buf[256] = {};
  if (::gethostname(buf, sizeof buf - 1) != 0) return {};
  std::string name(buf);
  // NetBIOS names are upper case and at most 15 characters, the first label of the host name.
  name = name.substr(0, name.find('.'));
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name.substr(0, 15);
}

}  // namespace zorvak::posix
