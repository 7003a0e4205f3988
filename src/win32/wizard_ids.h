// Window classes and control identifiers of the wizard's windows, shared with the automation
// program of the GUI tests.
#pragma once

namespace zorvak::win32::ids {

inline constexpr const wchar_t* kLauncherClass = L"ZorvakTForm4";
inline constexpr const wchar_t* kDiscoveryClass = L"ZorvakTForm2";
inline constexpr const wchar_t* kValidationClass = L"ZorvakTForm1";
inline constexpr const wchar_t* kScheduleClass = L"ZorvakTForm3";
inline constexpr const wchar_t* kPanelClass = L"ZorvakPanel";

enum : int {
  // TForm4
  LblValidando = 100,
  // TForm2, discovery half
  LblIntro = 200,
  LblChave,
  EdtChave,
  BtnAlterarConta,
  LblMaquina,
  EdtMaquina,
  LblProcura,
  EdtPathProcura,
  BtnPath,
  BtnLocalizar,
  LblStatus,
  CheckListDidedStore,
  Button1,
  Button2,
  PnlRegistro,
  // TForm2, contact panel
  LblRegistroIntro = 300,
  LblCNPJ,
  EdtCNPJ,
  LblRazao,
  EdtRazao,
  LblEmail,
  EdtEmail,
  LblTelefone,
  EdtTelefone,
  LblWhats,
  EdtWhats,
  LblRegistro,
  // TForm1 and TForm3
  Form1Cancelar = 400,
  Form1Continuar,
  Form3Voltar = 500,
  Form3Finalizar,
};

// Item data of a check list line.
inline constexpr unsigned kLineEnabled = 1, kLineTicked = 2;
inline constexpr int kLineHeight = 13;
inline constexpr int kCheckWidth = 16;  // the check box column at the left of every line

}  // namespace zorvak::win32::ids
