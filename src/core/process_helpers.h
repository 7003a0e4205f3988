// Running a short-lived program (a forced kill, a service executable with its switches) and
// waiting a bounded time for it. Command lines that start a program by its path put the path
// through QuotedProgram (core/service_switches.h) first.
#pragma once

#include <cstdint>
#include <string_view>

#include "ports/processes.h"

namespace zorvak {

// How long each program waits for the processes it starts.
inline constexpr std::uint32_t kAgentExecuteTimeoutMs = 20000;
inline constexpr std::uint32_t kWizardExecuteTimeoutMs = 30000;

// Starts the trimmed command line hidden and waits for it at most `timeoutMs`. Returns its exit
// code, 259 (still active) when it outlived the wait: it is then left running. Raises OsError
// when the process cannot be started (code 2 for a missing program).
std::uint32_t ExecuteAndWait(ports::Processes& processes, std::string_view aCommando,
                             std::uint32_t timeoutMs);

}  // namespace zorvak
