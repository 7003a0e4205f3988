#include "posix/posix_processes.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace zorvak::posix {
namespace {

std::uint32_t windowsCode(int err) {
  switch (err) {
    case ENOENT: return 2;     // ERROR_FILE_NOT_FOUND
    case ENOTDIR: return 3;    // ERROR_PATH_NOT_FOUND
    case EACCES:
    case EPERM: return 5;      // ERROR_ACCESS_DENIED
    case ENOMEM:
    case EAGAIN: return 8;     // ERROR_NOT_ENOUGH_MEMORY
    case ENOEXEC: return 193;  // ERROR_BAD_EXE_FORMAT
    case E2BIG: return 206;    // ERROR_FILENAME_EXCED_RANGE
    default: return 31;        // ERROR_GEN_FAILURE
  }
}

std::uint32_t exitCodeOf(int status) {
  if (WIFEXITED(status)) return static_cast<std::uint32_t>(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return 128u + static_cast<std::uint32_t>(WTERMSIG(status));
  return ports::kStillActive;
}

// Waits for `pid` to become reapable, at most `ms`: a pidfd where the kernel has one, else a
// short poll.
void awaitExit(int pid, std::uint32_t ms) {
#ifdef SYS_pidfd_open
  const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (fd >= 0) {
    pollfd p{fd, POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
      const auto left =
          std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      const int r = ::poll(&p, 1, static_cast<int>(left.count()));
      if (r > 0 || (r < 0 && errno != EINTR)) break;
    }
    ::close(fd);
    return;
  }
#endif
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    siginfo_t si{};
    if (::waitid(P_PID, static_cast<id_t>(pid), &si, WEXITED | WNOHANG | WNOWAIT) != 0 ||
        si.si_pid != 0 || std::chrono::steady_clock::now() >= deadline) {
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace

std::vector<std::string> splitCommandLine(std::string_view s) {
  std::vector<std::string> args;
  std::size_t i = 0;
  auto blank = [&] { return s[i] == ' ' || s[i] == '\t'; };
  while (i < s.size()) {
    while (i < s.size() && blank()) ++i;
    if (i == s.size()) break;
    std::string arg;
    bool quoted = false;
    const bool program = args.empty();
    while (i < s.size() && (quoted || !blank())) {
      if (s[i] == '\\' && !program) {
        std::size_t n = 0;
        while (i < s.size() && s[i] == '\\') ++n, ++i;
        if (i < s.size() && s[i] == '"') {
          arg.append(n / 2, '\\');
          if (n % 2 == 1) {
            arg += '"';
            ++i;
          }
        } else {
          arg.append(n, '\\');
        }
      } else if (s[i] == '"') {
        quoted = !quoted;
        ++i;
      } else {
        arg += program && s[i] == '\\' ? '/' : s[i];
        ++i;
      }
    }
    args.push_back(std::move(arg));
  }
  return args;
}

std::uint32_t PosixProcesses::CreateProcessW(std::string_view commandLine,
                                             ports::ProcessInformation& info) {
  std::vector<std::string> args = splitCommandLine(commandLine);
  if (args.empty() || args[0].empty()) return windowsCode(ENOENT);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int err = ::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
  if (err != 0) return windowsCode(err);
  info.process = static_cast<ports::ProcessHandle>(pid);
  info.thread = 0;
  return 0;
}

bool PosixProcesses::reap(int pid) {
  std::lock_guard lock(mutex_);
  if (exited_.count(pid)) return true;
  int status = 0;
  if (::waitpid(pid, &status, WNOHANG) != pid) return false;
  exited_[pid] = exitCodeOf(status);
  return true;
}

std::uint32_t PosixProcesses::WaitForSingleObject(ports::ProcessHandle process, std::uint32_t ms) {
  const int pid = static_cast<int>(process);
  if (reap(pid)) return ports::kWaitObject0;
  awaitExit(pid, ms);
  return reap(pid) ? ports::kWaitObject0 : ports::kWaitTimeout;
}

std::uint32_t PosixProcesses::GetExitCodeProcess(ports::ProcessHandle process,
                                                 std::uint32_t& exitCode) {
  const int pid = static_cast<int>(process);
  if (!reap(pid)) {
    if (::kill(pid, 0) != 0 && errno == ESRCH) return 6;  // ERROR_INVALID_HANDLE
    exitCode = ports::kStillActive;
    return 0;
  }
  std::lock_guard lock(mutex_);
  exitCode = exited_[pid];
  return 0;
}

void PosixProcesses::CloseHandle(ports::ProcessHandle handle) {
  const int pid = static_cast<int>(handle);
  if (pid <= 0) return;
  if (reap(pid)) {
    std::lock_guard lock(mutex_);
    exited_.erase(pid);
    return;
  }
  // The child goes on running, as on Windows; someone must still collect it when it ends.
  std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
}

std::string PosixProcesses::SysErrorMessage(std::uint32_t code) {
  switch (code) {
    case 2: return "The system cannot find the file specified.";
    case 3: return "The system cannot find the path specified.";
    case 5: return "Access is denied.";
    case 6: return "The handle is invalid.";
    case 8: return "Not enough memory resources are available to process this command.";
    case 193: return "%1 is not a valid Win32 application.";
    case 206: return "The filename or extension is too long.";
    default: return "A device attached to the system is not functioning.";
  }
}

}  // namespace zorvak::posix
