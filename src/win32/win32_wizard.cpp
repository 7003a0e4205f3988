#include <windows.h>

#include <vector>

#include "win32/wide.h"
#include "win32/win32_wizard.h"

namespace zorvak::win32 {
namespace {

void* lookup(void* lib, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(lib), name));
}

// The folders of the installed instances: the key "Firebird Server\Instances" under
// HKLM\SOFTWARE\Firebird Project holds one value per instance, each a root folder.
std::vector<std::wstring> instanceFolders() {
  std::vector<std::wstring> out;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Firebird Project\\Firebird Server\\Instances", 0,
                    KEY_READ, &key) != ERROR_SUCCESS) {
    return out;
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLen = 256;
    wchar_t data[MAX_PATH];
    DWORD dataLen = sizeof data;
    DWORD type = 0;
    const LONG rc = RegEnumValueW(key, i, name, &nameLen, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataLen);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS || type != REG_SZ) continue;
    std::wstring folder(data, wcsnlen(data, dataLen / sizeof(wchar_t)));
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    out.push_back(folder);
  }
  RegCloseKey(key);
  return out;
}

}  // namespace

const isc::Api* FbClientLibrary::load(std::string& error) {
  if (!tried_) {
    tried_ = true;
    // Never freed: a worker abandoned past its deadline may still be inside the library.
    HMODULE lib = LoadLibraryW(L"fbclient.dll");
    DWORD lastError = lib ? 0 : GetLastError();
    if (!lib) {
      for (const std::wstring& folder : instanceFolders()) {
        // 3.0 and later keep the client in the root, 2.5 in bin\.
        for (const wchar_t* sub : {L"", L"bin\\"}) {
          lib = LoadLibraryExW((folder + sub + L"fbclient.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
          if (lib) break;
        }
        if (lib) break;
      }
    }
    if (!lib) {
      error_ = "fbclient.dll: " + systemMessage(lastError);
    } else {
      ok_ = isc::BindApi(api_, lookup, lib, error_);
    }
  }
  if (!ok_) error = error_;
  return ok_ ? &api_ : nullptr;
}

std::uint32_t Win32Machine::logicalDrives() { return GetLogicalDrives(); }

std::string Win32Machine::computerName() {
  wchar_t buf[256];
  DWORD len = 256;
  if (!GetComputerNameW(buf, &len)) return {};
  return narrow(std::wstring_view(buf, len));
}

}  // namespace zorvak::win32
