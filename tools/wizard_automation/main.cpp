// wizard_automation.exe SCRIPT RESULT: starts a program and drives its windows from outside,
// one tab-separated command per line of SCRIPT (UTF-8), writing what it reads into RESULT.
// Every wait has a time-out; the first failure writes "error\t..." and ends with exit code 1.
//
//   start <exe> [args]                  wait-window <class> <ms>      wait-hidden <class> <ms>
//   key <class> F4|F11|F12              settext <class> <id> <text>   click <class> <id>
//   wait-enabled <class> <id> <ms>      wait-text <class> <id> <text> <ms>
//   lines <class> <id>                  tick <class> <id> <index>     select <class> <id> <index>
//   get <class> <id>                    box <button id> <ms>          mark <name> <ms>
//   close <class>                       wait-exit <ms>                sleep <ms>
//   kill
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "win32/wide.h"
#include "win32/wizard_ids.h"

using zorvak::win32::narrow;
using zorvak::win32::widen;

namespace {

PROCESS_INFORMATION child{};
std::string resultPath;
std::ofstream result;

void out(const std::string& line) {
  result << line << "\n";
  result.flush();
}

template <typename F>
bool waitFor(F&& condition, int ms) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(ms);
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() > end) return false;
    Sleep(50);
  }
}

HWND window(const std::string& cls) {
  HWND h = FindWindowW(widen(cls).c_str(), nullptr);
  if (!h) throw std::runtime_error("no window of class " + cls);
  return h;
}

HWND control(const std::string& cls, const std::string& id) {
  struct Find {
    int id;
    HWND found;
  } find{std::stoi(id), nullptr};
  EnumChildWindows(
      window(cls),
      [](HWND h, LPARAM lp) -> BOOL {
        auto* f = reinterpret_cast<Find*>(lp);
        if (GetDlgCtrlID(h) == f->id) {
          f->found = h;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&find));
  if (!find.found) throw std::runtime_error("no control " + id + " in " + cls);
  return find.found;
}

std::string textOf(HWND h) {
  wchar_t buf[4096] = {};
  SendMessageW(h, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buf));
  return narrow(buf);
}

// The newest message box of the driven program: its texts and the window itself.
HWND findBox() {
  struct Find {
    DWORD pid;
    HWND found;
  } find{child.dwProcessId, nullptr};
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        auto* f = reinterpret_cast<Find*>(lp);
        wchar_t cls[64] = {};
        GetClassNameW(h, cls, 64);
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid == f->pid && std::wstring(cls) == L"#32770" && IsWindowVisible(h)) {
          f->found = h;
          return FALSE;  // the top of the z-order comes first
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&find));
  return find.found;
}

std::string boxText(HWND box) {
  std::string all;
  EnumChildWindows(
      box,
      [](HWND h, LPARAM lp) -> BOOL {
        wchar_t cls[64] = {};
        GetClassNameW(h, cls, 64);
        if (std::wstring(cls) == L"Static") {
          const std::string t = textOf(h);
          auto* s = reinterpret_cast<std::string*>(lp);
          if (!t.empty()) *s += (s->empty() ? "" : " ") + t;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  return all;
}

std::string flatten(std::string s) {
  for (char& c : s) {
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
  }
  return s;
}

void run(const std::vector<std::string>& a) {
  const std::string& cmd = a.at(0);
  auto arg = [&](std::size_t i) -> const std::string& {
    if (i >= a.size()) throw std::runtime_error(cmd + ": missing argument");
    return a[i];
  };
  if (cmd == "start") {
    STARTUPINFOW si{sizeof si};
    std::wstring line = L"\"" + widen(arg(1)) + L"\"";
    if (a.size() > 2) line += L" " + widen(arg(2));  // the program's own switches
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &child)) {
      throw std::runtime_error("cannot start " + arg(1));
    }
  } else if (cmd == "wait-window") {
    if (!waitFor([&] { HWND h = FindWindowW(widen(arg(1)).c_str(), nullptr); return h && IsWindowVisible(h); },
                 std::stoi(arg(2)))) {
      throw std::runtime_error("window " + arg(1) + " not shown");
    }
  } else if (cmd == "wait-hidden") {
    if (!waitFor([&] { HWND h = FindWindowW(widen(arg(1)).c_str(), nullptr); return !h || !IsWindowVisible(h); },
                 std::stoi(arg(2)))) {
      throw std::runtime_error("window " + arg(1) + " still shown");
    }
  } else if (cmd == "key") {
    const WPARAM vk = arg(2) == "F4" ? VK_F4 : arg(2) == "F11" ? VK_F11 : VK_F12;
    PostMessageW(window(arg(1)), WM_KEYDOWN, vk, 1);
    PostMessageW(window(arg(1)), WM_KEYUP, vk, 0xC0000001);
  } else if (cmd == "settext") {
    const std::wstring t = widen(a.size() > 3 ? a[3] : "");
    SendMessageW(control(arg(1), arg(2)), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(t.c_str()));
  } else if (cmd == "click") {
    PostMessageW(control(arg(1), arg(2)), BM_CLICK, 0, 0);
  } else if (cmd == "wait-enabled") {
    HWND h = control(arg(1), arg(2));
    if (!waitFor([&] { return IsWindowEnabled(h) != 0; }, std::stoi(arg(3)))) {
      throw std::runtime_error("control " + arg(2) + " not enabled");
    }
  } else if (cmd == "wait-text") {
    HWND h = control(arg(1), arg(2));
    if (!waitFor([&] { return textOf(h) == arg(3); }, std::stoi(arg(4)))) {
      throw std::runtime_error("control " + arg(2) + " reads \"" + flatten(textOf(h)) + "\"");
    }
  } else if (cmd == "lines") {
    HWND list = control(arg(1), arg(2));
    const LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
      wchar_t buf[2048] = {};
      SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
      const LRESULT data = SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0);
      out("line\t" + std::to_string((data & zorvak::win32::ids::kLineEnabled) ? 1 : 0) + "\t" +
          std::to_string((data & zorvak::win32::ids::kLineTicked) ? 1 : 0) + "\t" + narrow(buf));
    }
  } else if (cmd == "tick") {
    HWND list = control(arg(1), arg(2));
    const int index = std::stoi(arg(3));
    const LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    const LPARAM at = MAKELPARAM(6, (index - top) * zorvak::win32::ids::kLineHeight + 6);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
  } else if (cmd == "select") {
    HWND combo = control(arg(1), arg(2));
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(std::stoi(arg(3))), 0);
    PostMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
  } else if (cmd == "get") {
    out("text\t" + arg(2) + "\t" + flatten(textOf(control(arg(1), arg(2)))));
  } else if (cmd == "box") {
    HWND box = nullptr;
    if (!waitFor([&] { return (box = findBox()) != nullptr; }, std::stoi(arg(2)))) {
      throw std::runtime_error("no message box");
    }
    Sleep(200);  // let the box finish laying itself out
    out("box\t" + flatten(boxText(box)));
    HWND button = GetDlgItem(box, std::stoi(arg(1)));
    if (!button) throw std::runtime_error("message box without button " + arg(1));
    PostMessageW(button, BM_CLICK, 0, 0);
    waitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 5000);
  } else if (cmd == "mark") {
    const std::string base = resultPath + "." + arg(1);
    std::ofstream(base + ".ready") << "ready\n";
    if (!waitFor([&] { return GetFileAttributesW(widen(base + ".done").c_str()) != INVALID_FILE_ATTRIBUTES; },
                 std::stoi(arg(2)))) {
      throw std::runtime_error("mark " + arg(1) + " not acknowledged");
    }
  } else if (cmd == "close") {
    // As a click on the title bar's button: the window becomes active first.
    HWND h = window(arg(1));
    SetForegroundWindow(h);
    waitFor([&] { return GetForegroundWindow() == h; }, 3000);
    PostMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0);
  } else if (cmd == "wait-exit") {
    if (WaitForSingleObject(child.hProcess, static_cast<DWORD>(std::stoi(arg(1)))) != WAIT_OBJECT_0) {
      throw std::runtime_error("program still running");
    }
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    out("exit\t" + std::to_string(code));
  } else if (cmd == "kill") {
    TerminateProcess(child.hProcess, 0);
    WaitForSingleObject(child.hProcess, 10000);
  } else if (cmd == "sleep") {
    Sleep(static_cast<DWORD>(std::stoi(arg(1))));
  } else {
    throw std::runtime_error("unknown command " + cmd);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  resultPath = narrow(argv[2]);
  result.open(resultPath, std::ios::binary | std::ios::trunc);
  std::ifstream script(narrow(argv[1]), std::ios::binary);
  std::string line;
  int number = 0;
  while (std::getline(script, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::stringstream ss(line);
    for (std::string f; std::getline(ss, f, '\t');) fields.push_back(f);
    try {
      out("do\t" + std::to_string(number) + "\t" + fields[0]);
      run(fields);
    } catch (const std::exception& e) {
      out("error\t" + std::to_string(number) + "\t" + e.what());
      if (child.hProcess) TerminateProcess(child.hProcess, 99);
      return 1;
    }
  }
  out("done");
  return 0;
}
