#include <windows.h>

#include "win32/handles.h"
#include "win32/wide.h"
#include "win32/win32_platform.h"

namespace zorvak::win32 {
namespace {

[[noreturn]] void fail(const char* what, std::string_view path) {
  const DWORD code = GetLastError();
  throw ports::FileError(std::string(what) + " \"" + std::string(path) + "\". " + systemMessage(code));
}

void writeAll(HANDLE h, std::string_view bytes, std::string_view path) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(bytes.size() > (1u << 30) ? (1u << 30) : bytes.size());
    if (!WriteFile(h, bytes.data(), chunk, &written, nullptr)) fail("Cannot write file", path);
    bytes.remove_prefix(written);
  }
}

}  // namespace

std::string exePath() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n < buf.size()) return narrow(buf.substr(0, n));
    buf.resize(buf.size() * 2);
  }
}

std::string exeFolder() {
  const std::string path = exePath();
  return path.substr(0, path.find_last_of("\\/") + 1);
}

bool Win32FileSystem::fileExists(std::string_view path) {
  const DWORD a = GetFileAttributesW(widen(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::directoryExists(std::string_view path) {
  const DWORD a = GetFileAttributesW(widen(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Win32FileSystem::readFile(std::string_view path) {
  FileHandle h(CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) fail("Cannot open file", path);
  std::string out;
  char buf[65536];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(h.get(), buf, sizeof buf, &n, nullptr)) fail("Cannot read file", path);
    if (n == 0) break;
    out.append(buf, n);
  }
  return out;
}

void Win32FileSystem::writeFile(std::string_view path, std::string_view bytes) {
  FileHandle h(CreateFileW(widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) fail("Cannot create file", path);
  writeAll(h.get(), bytes, path);
}

void Win32FileSystem::appendFile(std::string_view path, std::string_view bytes) {
  // FILE_APPEND_DATA alone makes every write land at the end, even with two writers.
  FileHandle h(CreateFileW(widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) fail("Cannot open file", path);
  writeAll(h.get(), bytes, path);
}

bool Win32FileSystem::createDirectories(std::string_view path) {
  std::wstring p = widen(path);
  while (p.size() > 3 && (p.back() == L'\\' || p.back() == L'/')) p.pop_back();
  if (p.empty()) return false;
  for (std::size_t i = 0; i <= p.size(); ++i) {
    if (i == p.size() || ((p[i] == L'\\' || p[i] == L'/') && i > 0 && p[i - 1] != L':')) {
      const std::wstring part = p.substr(0, i);
      if (part.empty() || part.back() == L'\\') continue;
      CreateDirectoryW(part.c_str(), nullptr);
    }
  }
  return directoryExists(path);
}

bool Win32FileSystem::renameFile(std::string_view from, std::string_view to) {
  return MoveFileW(widen(from).c_str(), widen(to).c_str()) != 0;
}

bool Win32FileSystem::deleteFile(std::string_view path) { return DeleteFileW(widen(path).c_str()) != 0; }

std::optional<std::uint64_t> Win32FileSystem::fileSize(std::string_view path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::nullopt;
  }
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::vector<ports::DirEntry> Win32FileSystem::listDirectory(std::string_view path) {
  std::vector<ports::DirEntry> out;
  std::wstring pattern = widen(path);
  if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW fd{};
  HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    const std::wstring name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    out.push_back({narrow(name), (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                   (fd.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0});
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return out;
}

}  // namespace zorvak::win32
