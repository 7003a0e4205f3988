// What the programs rely on of the backup engine, a program of its own beside them.
#pragma once

namespace zorvak::engine {

inline constexpr const char* kExecutable = "ZorvakService.exe";
inline constexpr const char* kServiceName = "Zorvak";
inline constexpr const char* kInstallSwitches = " -install -silent";
inline constexpr const char* kUninstallSwitches = " -uninstall -silent";
inline constexpr const char* kKillCommand = "TASKKILL /im ZorvakService.exe /F";

// Heartbeat: the engine writes the local date-time here, more often than the time-out.
inline constexpr const char* kHeartbeatSection = "STATUS";
inline constexpr const char* kHeartbeatKey = "Backup";
inline constexpr const char* kTimeoutSection = "Agente";
inline constexpr const char* kTimeoutKey = "BackupTimeout";
inline constexpr int kDefaultTimeoutSeconds = 1200;

// Internet verdict, shown by the wizard.
inline constexpr const char* kInternetSection = "Report";
inline constexpr const char* kInternetKey = "Internet";

// Local data, rebuilt by the engine when absent.
inline constexpr const char* kDataFolder = "Data\\";
inline constexpr const char* kDataFiles[] = {"conta.xml", "comandos.xml", "politicas.xml",
                                             "Reportes.xml"};

}  // namespace zorvak::engine
