// ZorvakVerificadorDided.exe: the setup wizard. The four windows are created once, in the
// order launcher, discovery (shown maximized at once), validation, schedule; the launcher is
// the main window and the message loop shows it.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "deployment.h"
#include "win32/win32_net.h"
#include "win32/win32_platform.h"
#include "win32/win32_wizard.h"
#include "win32/wizard_windows.h"
#include "wizard/account_server.h"
#include "wizard/discovery.h"
#include "wizard/flow.h"
#include "wizard/working_windows.h"
#ifdef ZORVAK_FIREBIRD_FIXTURE
#include "wizard/fixture_firebird.h"
#else
#include "wizard/isc_firebird.h"
#endif

using namespace zorvak;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  OleInitialize(nullptr);  // the folder chooser's new-style dialog needs it

  win32::Win32Platform platform;
  win32::Win32Machine machine;
  const std::string appFolder = win32::exeFolder();
#ifdef ZORVAK_FIREBIRD_FIXTURE
  wizard::FixtureFirebird firebird(platform.profiles.open(appFolder + "firebird_fixture.ini"));
#else
  win32::FbClientLibrary fbclient;
  wizard::IscFirebird firebird(fbclient, platform.clock);
#endif
  // Bounds of our own for the wizard's requests: the protocol sets none.
  win32::WinHttpClient http(ports::HttpClientSettings{{}, true, 15000, 30000, ports::kRequestTotalTimeoutMs});
  wizard::ManagementAccountServer server(http);

  win32::WizardShell shell(instance, platform.clock);
  wizard::Flow flow(shell);
  win32::DiscoveryWindow form2View(instance);
  wizard::Discovery form2(form2View, flow, shell, platform.ports, machine, firebird, server,
                          {appFolder, deployment::kDefaultServerUrl, deployment::kProbeUrl});
  wizard::Validation form1(flow);
  wizard::Schedule form3(flow);
  shell.attach(flow, form2, form1, form3);
  form2View.attach(form2);

  shell.createLauncher();
  flow.Create();
  form2View.create(shell.launcher());
  shell.setDiscoveryWindow(form2View.hwnd());
  form2.Create();
  form2View.showMaximized();
  shell.createValidation();
  shell.createSchedule();
  win32::EndProgram(shell.run());
}
