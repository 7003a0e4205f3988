// The controls of the discovery and account window TForm2 as its presenter sees them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorvak::wizard {

class DiscoveryView {
 public:
  virtual ~DiscoveryView() = default;

  // EdtChave, EdtMaquina. Setting the key text fires the key box's change like typing does.
  virtual std::string keyText() = 0;
  virtual void setKeyText(std::string_view text) = 0;
  virtual void enableKey(bool on) = 0;
  virtual std::string machineName() = 0;
  virtual void setMachineName(std::string_view text) = 0;

  // LblProcura, EdtPathProcura with BtnPath, BtnLocalizar, BtnAlterarConta, LblStatus.
  virtual void setScanModeText(std::string_view text) = 0;
  virtual std::string pathText() = 0;
  virtual void setPathText(std::string_view text) = 0;
  virtual void showPathControls(bool on) = 0;
  virtual void enablePathButton(bool on) = 0;
  virtual void enableScanButton(bool on) = 0;
  virtual void setScanButtonCaption(std::string_view text) = 0;
  virtual void enableAlterarButton(bool on) = 0;
  virtual void setStatus(std::string_view text) = 0;
  virtual void showStatus(bool on) = 0;

  // CheckListDidedStore (owner-drawn: enabled lines bold, disabled ones grey) and Button2.
  virtual void clearLines() = 0;
  virtual void addLine(std::string_view text, bool enabled) = 0;
  virtual bool lineTicked(int index) = 0;
  virtual int textWidth(std::string_view text) = 0;  // pixels in the list's font
  virtual void setHorizontalExtent(int pixels) = 0;
  virtual void enableContinue(bool on) = 0;

  // The contact panel PnlRegistro.
  virtual void clearCnpjChoices() = 0;
  virtual void addCnpjChoice(std::string_view cnpj) = 0;
  virtual void selectCnpj(int index) = 0;  // without firing the choice's change
  virtual std::string cnpjText() = 0;
  virtual std::string razao() = 0;
  virtual void setRazao(std::string_view text) = 0;
  virtual std::string email() = 0;
  virtual void setEmail(std::string_view text) = 0;
  virtual std::string telefone() = 0;
  virtual void setTelefone(std::string_view text) = 0;
  virtual std::string whatsapp() = 0;  // the masked text, literals included
  // Placed 8 px from the window's left edge, the window's width less 16, anchored all round.
  virtual void showContactPanel(bool on) = 0;
  virtual void setCancelCaption(std::string_view text) = 0;
  // LblRegistro, repainted at once.
  virtual void setRegistroText(std::string_view text) = 0;

  // Dialogs.
  virtual void showMessage(std::string_view text) = 0;
  virtual bool askYesNo(std::string_view title, std::string_view text) = 0;
  virtual bool confirmWarning(std::string_view text) = 0;  // Yes / Cancel
  // The program's standard error box.
  virtual void showError(std::string_view text) = 0;
  virtual std::optional<std::string> chooseFolder(std::string_view start) = 0;
};

}  // namespace zorvak::wizard
