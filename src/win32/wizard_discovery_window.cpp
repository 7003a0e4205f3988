#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include "win32/wide.h"
#include "win32/wizard_ids.h"
#include "win32/wizard_windows.h"

namespace zorvak::win32 {
namespace {

constexpr int kMargin = 8;
constexpr int kPanelTop = 40;
constexpr int kButtonsHeight = 50;

std::string textOf(HWND hwnd) {
  const int n = GetWindowTextLengthW(hwnd);
  std::wstring w(static_cast<std::size_t>(n) + 1, L'\0');
  GetWindowTextW(hwnd, w.data(), n + 1);
  w.resize(static_cast<std::size_t>(n));
  return narrow(w);
}

void setText(HWND hwnd, std::string_view text) { SetWindowTextW(hwnd, widen(text).c_str()); }

// VCL labels take a lone CR as a line break; the Win32 static wants CR LF.
std::wstring lineBreaks(std::string_view text) {
  std::wstring out;
  const std::wstring w = widen(text);
  for (std::size_t i = 0; i < w.size(); ++i) {
    out += w[i];
    if (w[i] == L'\r' && (i + 1 == w.size() || w[i + 1] != L'\n')) out += L'\n';
  }
  return out;
}

DiscoveryWindow* windowOf(HWND hwnd) {
  return reinterpret_cast<DiscoveryWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

int CALLBACK browseCallback(HWND hwnd, UINT msg, LPARAM, LPARAM data) {
  if (msg == BFFM_INITIALIZED && data) SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

}  // namespace

DiscoveryWindow::DiscoveryWindow(HINSTANCE instance) : instance_(instance) {
  auto font = [](int height, int weight, const wchar_t* face) {
    return CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, face);
  };
  uiFont_ = font(11, FW_NORMAL, L"Tahoma");
  boldFont_ = font(11, FW_BOLD, L"Tahoma");
  listFont_ = font(9, FW_NORMAL, L"Tahoma");
  listBold_ = font(9, FW_BOLD, L"Tahoma");
  statusFont_ = font(13, FW_NORMAL, L"Tahoma");
}

DiscoveryWindow::~DiscoveryWindow() {
  for (HFONT f : {uiFont_, boldFont_, listFont_, listBold_, statusFont_}) DeleteObject(f);
}

HWND DiscoveryWindow::item(int id) const {
  HWND h = GetDlgItem(hwnd_, id);
  return h ? h : GetDlgItem(panel_, id);
}

HWND DiscoveryWindow::make(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, HFONT font) {
  HWND h = CreateWindowExW(0, cls, text, WS_CHILD | WS_CLIPSIBLINGS | style, 0, 0, 10, 10, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
  SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font ? font : uiFont_), TRUE);
  return h;
}

void DiscoveryWindow::create(HWND owner) {
  owner_ = owner;
  WNDCLASSEXW wc{sizeof wc};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance_;
  wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(1));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = ids::kDiscoveryClass;
  RegisterClassExW(&wc);
  WNDCLASSEXW pc{sizeof pc};
  pc.lpfnWndProc = PanelProc;
  pc.hInstance = instance_;
  pc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  pc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  pc.lpszClassName = ids::kPanelClass;
  RegisterClassExW(&pc);

  hwnd_ = CreateWindowExW(0, ids::kDiscoveryClass, L"Zorvak for ZedozIze - Localização da Instalação",
                          WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 600, 560, owner_,
                          nullptr, instance_, this);
  const DWORD v = WS_VISIBLE;
  make(hwnd_, L"STATIC",
       L"O Zorvak irá tentar localizar a instalação do sistema ZedozIze em seu servidor para configurar as regras de backup.",
       v | SS_LEFT, ids::LblIntro);
  make(hwnd_, L"STATIC", L"Identificação", v | SS_LEFT, ids::LblChave);
  HWND key = make(hwnd_, L"EDIT", L"", v | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, ids::EdtChave);
  EnableWindow(key, FALSE);
  make(hwnd_, L"BUTTON", L"Alterar", BS_PUSHBUTTON | WS_TABSTOP, ids::BtnAlterarConta);  // never made visible
  make(hwnd_, L"STATIC", L"Nome da Máquina", v | SS_LEFT, ids::LblMaquina);
  EnableWindow(make(hwnd_, L"EDIT", L"", v | WS_BORDER | ES_AUTOHSCROLL, ids::EdtMaquina), FALSE);
  make(hwnd_, L"STATIC", L"", v | SS_LEFT, ids::LblProcura);
  make(hwnd_, L"EDIT", L"", v | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, ids::EdtPathProcura);
  make(hwnd_, L"BUTTON", L"...", v | BS_PUSHBUTTON | WS_TABSTOP, ids::BtnPath);
  EnableWindow(make(hwnd_, L"BUTTON", L"Procurar", v | BS_PUSHBUTTON | WS_TABSTOP, ids::BtnLocalizar), FALSE);
  make(hwnd_, L"STATIC", L"", SS_LEFT | SS_NOPREFIX, ids::LblStatus, statusFont_);
  HWND list = make(hwnd_, L"LISTBOX", L"",
                   v | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                       LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                   ids::CheckListDidedStore, listFont_);
  SetWindowSubclass(list, ListProc, 1, reinterpret_cast<DWORD_PTR>(this));
  make(hwnd_, L"BUTTON", L"Cancelar", v | BS_PUSHBUTTON | WS_TABSTOP, ids::Button1);
  EnableWindow(make(hwnd_, L"BUTTON", L"Continuar", v | BS_PUSHBUTTON | WS_TABSTOP, ids::Button2), FALSE);

  panel_ = CreateWindowExW(WS_EX_CONTROLPARENT, ids::kPanelClass, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER,
                           0, 0, 10, 10, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::PnlRegistro)),
                           instance_, this);
  make(panel_, L"STATIC",
       L"Confirme seus dados principais de contato. Essas informações serão usadas para que o suporte possa entrar "
       L"em contato caso seja necessário.",
       v | SS_LEFT, ids::LblRegistroIntro);
  make(panel_, L"STATIC", L"CNPJ", v | SS_LEFT, ids::LblCNPJ);
  make(panel_, L"COMBOBOX", L"", v | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, ids::EdtCNPJ);
  make(panel_, L"STATIC", L"Razão Social", v | SS_LEFT, ids::LblRazao);
  EnableWindow(make(panel_, L"EDIT", L"", v | WS_BORDER | ES_AUTOHSCROLL, ids::EdtRazao), FALSE);
  make(panel_, L"STATIC", L"Email", v | SS_LEFT, ids::LblEmail);
  make(panel_, L"EDIT", L"", v | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, ids::EdtEmail);
  make(panel_, L"STATIC", L"Telefone", v | SS_LEFT, ids::LblTelefone);
  make(panel_, L"EDIT", L"", v | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, ids::EdtTelefone);
  make(panel_, L"STATIC", L"WhatSApp", v | SS_LEFT, ids::LblWhats);
  HWND whats = make(panel_, L"EDIT", L"", v | WS_BORDER | WS_TABSTOP, ids::EdtWhats);
  SendMessageW(whats, EM_SETLIMITTEXT, 14, 0);
  SetWindowSubclass(whats, MaskProc, 2, reinterpret_cast<DWORD_PTR>(this));
  showMask(0);
  make(panel_, L"STATIC", L"", v | SS_LEFT | SS_NOPREFIX, ids::LblRegistro, boldFont_);
  layout();
}

void DiscoveryWindow::showMaximized() { ShowWindow(hwnd_, SW_SHOWMAXIMIZED); }

void DiscoveryWindow::layout() {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  const int w = rc.right, h = rc.bottom;
  auto place = [&](int id, int x, int y, int cw, int ch) { MoveWindow(item(id), x, y, cw, ch, TRUE); };
  place(ids::LblIntro, kMargin, 10, w - 2 * kMargin, 28);
  place(ids::LblChave, kMargin, 47, 80, 16);
  place(ids::EdtChave, 90, 44, 200, 21);
  place(ids::BtnAlterarConta, 294, 43, 60, 23);
  place(ids::LblMaquina, 370, 47, 120, 16);
  place(ids::EdtMaquina, 492, 44, 180, 21);
  place(ids::LblProcura, kMargin, 81, 300, 16);
  place(ids::EdtPathProcura, 312, 78, 300, 21);
  place(ids::BtnPath, 616, 77, 28, 23);
  place(ids::BtnLocalizar, w - kMargin - 140, 75, 140, 27);
  place(ids::LblStatus, kMargin, 108, w - 2 * kMargin, 36);
  place(ids::CheckListDidedStore, kMargin, 148, w - 2 * kMargin, h - 148 - kButtonsHeight);
  place(ids::Button1, w - kMargin - 2 * 110 - 8, h - 40, 110, 30);
  place(ids::Button2, w - kMargin - 110, h - 40, 110, 30);
  // The contact panel: 8 px from the left edge, the window's width less 16, anchored to all
  // four sides over the discovery half.
  MoveWindow(panel_, kMargin, kPanelTop, w - 2 * kMargin, h - kPanelTop - kButtonsHeight, TRUE);
  RECT pr;
  GetClientRect(panel_, &pr);
  const int pw = pr.right;
  place(ids::LblRegistroIntro, 12, 10, pw - 24, 30);
  int y = 50;
  for (auto [label, edit] : {std::pair{ids::LblCNPJ, ids::EdtCNPJ}, {ids::LblRazao, ids::EdtRazao},
                             {ids::LblEmail, ids::EdtEmail}, {ids::LblTelefone, ids::EdtTelefone},
                             {ids::LblWhats, ids::EdtWhats}}) {
    place(label, 12, y + 3, 90, 16);
    place(edit, 105, y, edit == ids::EdtWhats ? 120 : 360, edit == ids::EdtCNPJ ? 200 : 21);
    y += 30;
  }
  place(ids::LblRegistro, 12, y + 10, pw - 24, 70);
}

LRESULT CALLBACK DiscoveryWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<DiscoveryWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  DiscoveryWindow* self = windowOf(hwnd);
  return self ? self->handle(msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK DiscoveryWindow::PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
  }
  DiscoveryWindow* self = windowOf(hwnd);
  if (self && (msg == WM_COMMAND || msg == WM_CTLCOLORSTATIC)) return self->handle(msg, wp, lp);
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT DiscoveryWindow::handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      if (panel_) layout();
      return 0;
    case WM_GETMINMAXINFO:
      return 0;
    case WM_ACTIVATE:
      // Reported at once, as the hand-over and the watchdog expect: the activation at the
      // window's creation must come before the launcher's own.
      if (LOWORD(wp) != WA_INACTIVE && presenter_) presenter_->Activated();
      break;
    case WM_CLOSE:
      ShowWindow(hwnd_, SW_HIDE);
      activateOwnerIfNothingActive(hwnd_);
      if (presenter_) presenter_->Closed();
      return 0;
    case WM_COMMAND:
      command(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_MEASUREITEM: {
      auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      m->itemHeight = ids::kLineHeight;
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (d->CtlID == static_cast<UINT>(ids::CheckListDidedStore)) drawLine(*d);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      SetBkMode(dc, TRANSPARENT);
      if (GetDlgCtrlID(reinterpret_cast<HWND>(lp)) == ids::LblStatus) SetTextColor(dc, RGB(255, 0, 0));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

void DiscoveryWindow::command(int id, int code) {
  if (!presenter_) return;
  switch (id) {
    case ids::EdtChave:
      if (code == EN_CHANGE) presenter_->KeyTextChanged();
      break;
    case ids::EdtCNPJ:
      if (code == CBN_SELCHANGE) presenter_->CnpjChanged();
      break;
    case ids::BtnLocalizar:
      if (code == BN_CLICKED) presenter_->ScanClicked();
      break;
    case ids::BtnPath:
      if (code == BN_CLICKED) presenter_->PathButtonClicked();
      break;
    case ids::BtnAlterarConta:
      if (code == BN_CLICKED) presenter_->AlterarClicked();
      break;
    case ids::Button1:
      if (code == BN_CLICKED) presenter_->CancelClicked();
      break;
    case ids::Button2:
      if (code == BN_CLICKED) presenter_->ContinueClicked();
      break;
  }
}

void DiscoveryWindow::drawLine(const DRAWITEMSTRUCT& d) {
  if (d.itemID == static_cast<UINT>(-1)) return;
  const unsigned flags = static_cast<unsigned>(d.itemData);
  const bool enabled = flags & ids::kLineEnabled;
  // The check box column, drawn as the list draws it.
  RECT box{d.rcItem.left, d.rcItem.top, d.rcItem.left + ids::kCheckWidth, d.rcItem.bottom};
  FillRect(d.hDC, &box, GetSysColorBrush(COLOR_WINDOW));
  RECT check{box.left + 1, box.top, box.left + 1 + ids::kLineHeight, box.top + ids::kLineHeight};
  DrawFrameControl(d.hDC, &check, DFC_BUTTON,
                   DFCS_BUTTONCHECK | DFCS_FLAT | ((flags & ids::kLineTicked) ? DFCS_CHECKED : 0) |
                       (enabled ? 0 : DFCS_INACTIVE));
  // The line: its rectangle filled with the current brush, the text at left + 2, top.
  RECT line{box.right, d.rcItem.top, d.rcItem.right, d.rcItem.bottom};
  const bool selected = d.itemState & ODS_SELECTED;
  FillRect(d.hDC, &line, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  SetBkMode(d.hDC, TRANSPARENT);
  SetTextColor(d.hDC, GetSysColor(!enabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  HGDIOBJ old = SelectObject(d.hDC, enabled ? listBold_ : listFont_);
  const int len = static_cast<int>(SendMessageW(d.hwndItem, LB_GETTEXTLEN, d.itemID, 0));
  std::wstring text(static_cast<std::size_t>(len < 0 ? 0 : len) + 1, L'\0');
  SendMessageW(d.hwndItem, LB_GETTEXT, d.itemID, reinterpret_cast<LPARAM>(text.data()));
  TextOutW(d.hDC, line.left + 2, line.top, text.c_str(), len < 0 ? 0 : len);
  SelectObject(d.hDC, old);
  if (d.itemState & ODS_FOCUS) DrawFocusRect(d.hDC, &line);
}

void DiscoveryWindow::toggleLine(int index) {
  HWND list = item(ids::CheckListDidedStore);
  const LRESULT data = SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
  if (data == LB_ERR || !(data & ids::kLineEnabled)) return;  // disabled lines cannot be ticked
  SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index), data ^ ids::kLineTicked);
  RECT rc;
  if (SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rc)) != LB_ERR) {
    InvalidateRect(list, &rc, FALSE);
  }
}

LRESULT CALLBACK DiscoveryWindow::ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  auto* self = reinterpret_cast<DiscoveryWindow*>(ref);
  if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
    const LRESULT hit = SendMessageW(hwnd, LB_ITEMFROMPOINT, 0, lp);
    const int index = LOWORD(hit);
    RECT rc;
    if (!HIWORD(hit) &&
        SendMessageW(hwnd, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rc)) != LB_ERR &&
        static_cast<short>(LOWORD(lp)) < rc.left + ids::kCheckWidth) {
      self->toggleLine(index);
    }
  } else if (msg == WM_KEYDOWN && wp == VK_SPACE) {
    const LRESULT sel = SendMessageW(hwnd, LB_GETCURSEL, 0, 0);
    if (sel != LB_ERR) self->toggleLine(static_cast<int>(sel));
    return 0;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void DiscoveryWindow::showMask(std::size_t caret) {
  HWND edit = item(ids::EdtWhats);
  maskUpdating_ = true;
  SetWindowTextW(edit, widen(whats_.display()).c_str());
  maskUpdating_ = false;
  SendMessageW(edit, EM_SETSEL, caret, caret);
}

LRESULT CALLBACK DiscoveryWindow::MaskProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  return reinterpret_cast<DiscoveryWindow*>(ref)->maskMessage(hwnd, msg, wp, lp);
}

// A masked edit of our own: the literals of the mask never move, digits go into its slots.
LRESULT DiscoveryWindow::maskMessage(HWND edit, UINT msg, WPARAM wp, LPARAM lp) {
  DWORD start = 0, end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  switch (msg) {
    case WM_CHAR:
      if (wp >= L'0' && wp <= L'9') {
        if (end > start) whats_.erase(start, end);
        if (auto next = whats_.type(start, static_cast<char>(wp))) showMask(*next);
        return 0;
      }
      if (wp == VK_BACK) {
        if (end > start) {
          whats_.erase(start, end);
          showMask(start);
        } else if (const std::size_t prev = whats_.previousSlot(start); prev != std::string::npos) {
          whats_.erase(prev, prev + 1);
          showMask(prev);
        }
        return 0;
      }
      if (wp == 0x16) {  // Ctrl+V
        SendMessageW(edit, WM_PASTE, 0, 0);
        return 0;
      }
      if (wp < 0x20) break;  // other control keys (Tab, Ctrl+C) as usual
      return 0;              // anything else is not accepted
    case WM_KEYDOWN:
      if (wp == VK_DELETE) {
        whats_.erase(start, end > start ? end : whats_.nextSlot(start) + 1);
        showMask(start);
        return 0;
      }
      break;
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
      if (msg == WM_PASTE && OpenClipboard(edit)) {
        std::string digits;
        if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
          if (auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
            digits = narrow(p);
            GlobalUnlock(h);
          }
        }
        CloseClipboard();
        whats_.assign(digits);
      } else if (msg != WM_PASTE) {
        whats_.erase(start, end);
      }
      showMask(start);
      return 0;
    case WM_SETTEXT:
      if (!maskUpdating_) {
        // A text set from outside (an automation, a program) goes through the mask too.
        whats_.assign(narrow(reinterpret_cast<const wchar_t*>(lp) ? reinterpret_cast<const wchar_t*>(lp) : L""));
        maskUpdating_ = true;
        const LRESULT r = DefSubclassProc(edit, msg, wp, reinterpret_cast<LPARAM>(widen(whats_.display()).c_str()));
        maskUpdating_ = false;
        return r;
      }
      break;
  }
  return DefSubclassProc(edit, msg, wp, lp);
}

std::string DiscoveryWindow::keyText() { return textOf(item(ids::EdtChave)); }
void DiscoveryWindow::setKeyText(std::string_view t) { setText(item(ids::EdtChave), t); }
void DiscoveryWindow::enableKey(bool on) { EnableWindow(item(ids::EdtChave), on); }
std::string DiscoveryWindow::machineName() { return textOf(item(ids::EdtMaquina)); }
void DiscoveryWindow::setMachineName(std::string_view t) { setText(item(ids::EdtMaquina), t); }
void DiscoveryWindow::setScanModeText(std::string_view t) { setText(item(ids::LblProcura), t); }
std::string DiscoveryWindow::pathText() { return textOf(item(ids::EdtPathProcura)); }
void DiscoveryWindow::setPathText(std::string_view t) { setText(item(ids::EdtPathProcura), t); }
void DiscoveryWindow::showPathControls(bool on) {
  ShowWindow(item(ids::EdtPathProcura), on ? SW_SHOW : SW_HIDE);
  ShowWindow(item(ids::BtnPath), on ? SW_SHOW : SW_HIDE);
}
void DiscoveryWindow::enablePathButton(bool on) { EnableWindow(item(ids::BtnPath), on); }
void DiscoveryWindow::enableScanButton(bool on) { EnableWindow(item(ids::BtnLocalizar), on); }
void DiscoveryWindow::setScanButtonCaption(std::string_view t) { setText(item(ids::BtnLocalizar), t); }
void DiscoveryWindow::enableAlterarButton(bool on) { EnableWindow(item(ids::BtnAlterarConta), on); }
void DiscoveryWindow::setStatus(std::string_view t) {
  HWND label = item(ids::LblStatus);
  SetWindowTextW(label, lineBreaks(t).c_str());
  UpdateWindow(label);
}
void DiscoveryWindow::showStatus(bool on) { ShowWindow(item(ids::LblStatus), on ? SW_SHOW : SW_HIDE); }

void DiscoveryWindow::clearLines() { SendMessageW(item(ids::CheckListDidedStore), LB_RESETCONTENT, 0, 0); }
void DiscoveryWindow::addLine(std::string_view t, bool enabled) {
  HWND list = item(ids::CheckListDidedStore);
  const LRESULT i = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(t).c_str()));
  if (i >= 0) SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(i), enabled ? ids::kLineEnabled : 0);
}
bool DiscoveryWindow::lineTicked(int index) {
  const LRESULT data = SendMessageW(item(ids::CheckListDidedStore), LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
  return data != LB_ERR && (data & ids::kLineTicked);
}
int DiscoveryWindow::textWidth(std::string_view t) {
  HWND list = item(ids::CheckListDidedStore);
  HDC dc = GetDC(list);
  HGDIOBJ old = SelectObject(dc, listFont_);
  const std::wstring w = widen(t);
  SIZE size{};
  GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  return size.cx;
}
void DiscoveryWindow::setHorizontalExtent(int px) {
  SendMessageW(item(ids::CheckListDidedStore), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(px), 0);
}
void DiscoveryWindow::enableContinue(bool on) { EnableWindow(item(ids::Button2), on); }

void DiscoveryWindow::clearCnpjChoices() { SendMessageW(item(ids::EdtCNPJ), CB_RESETCONTENT, 0, 0); }
void DiscoveryWindow::addCnpjChoice(std::string_view c) {
  SendMessageW(item(ids::EdtCNPJ), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(c).c_str()));
}
// CB_SETCURSEL sends no CBN_SELCHANGE: the contact fields keep what they hold.
void DiscoveryWindow::selectCnpj(int index) { SendMessageW(item(ids::EdtCNPJ), CB_SETCURSEL, static_cast<WPARAM>(index), 0); }
std::string DiscoveryWindow::cnpjText() { return textOf(item(ids::EdtCNPJ)); }
std::string DiscoveryWindow::razao() { return textOf(item(ids::EdtRazao)); }
void DiscoveryWindow::setRazao(std::string_view t) { setText(item(ids::EdtRazao), t); }
std::string DiscoveryWindow::email() { return textOf(item(ids::EdtEmail)); }
void DiscoveryWindow::setEmail(std::string_view t) { setText(item(ids::EdtEmail), t); }
std::string DiscoveryWindow::telefone() { return textOf(item(ids::EdtTelefone)); }
void DiscoveryWindow::setTelefone(std::string_view t) { setText(item(ids::EdtTelefone), t); }
std::string DiscoveryWindow::whatsapp() { return whats_.text(); }
void DiscoveryWindow::showContactPanel(bool on) {
  panelShown_ = on;
  layout();
  if (on) SetWindowPos(panel_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ShowWindow(panel_, on ? SW_SHOW : SW_HIDE);
}
void DiscoveryWindow::setCancelCaption(std::string_view t) { setText(item(ids::Button1), t); }
void DiscoveryWindow::setRegistroText(std::string_view t) {
  HWND label = item(ids::LblRegistro);
  SetWindowTextW(label, lineBreaks(t).c_str());
  UpdateWindow(label);
}

void DiscoveryWindow::showMessage(std::string_view t) { MessageBoxW(hwnd_, widen(t).c_str(), kAppTitle, MB_OK); }
bool DiscoveryWindow::askYesNo(std::string_view title, std::string_view t) {
  return MessageBoxW(hwnd_, widen(t).c_str(), widen(title).c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}
bool DiscoveryWindow::confirmWarning(std::string_view t) {
  int button = 0;
  const std::wstring text = widen(t);
  // TaskDialog exists only in the v6 common controls: looked up, not imported, so that the
  // program still starts where the manifest is not honoured.
  using TaskDialogFn = HRESULT(WINAPI*)(HWND, HINSTANCE, PCWSTR, PCWSTR, PCWSTR, TASKDIALOG_COMMON_BUTTON_FLAGS,
                                        PCWSTR, int*);
  auto taskDialog = reinterpret_cast<TaskDialogFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"comctl32.dll"), "TaskDialog")));
  if (!taskDialog || taskDialog(hwnd_, instance_, kAppTitle, nullptr, text.c_str(),
                                TDCBF_YES_BUTTON | TDCBF_CANCEL_BUTTON, TD_WARNING_ICON, &button) != S_OK) {
    // Without the v6 common controls: the closest stock box.
    button = MessageBoxW(hwnd_, text.c_str(), kAppTitle, MB_OKCANCEL | MB_ICONWARNING) == IDOK ? IDYES : IDCANCEL;
  }
  return button == IDYES;
}
void DiscoveryWindow::showError(std::string_view t) {
  MessageBoxW(hwnd_, widen(t).c_str(), kAppTitle, MB_OK | MB_ICONERROR);
}

std::optional<std::string> DiscoveryWindow::chooseFolder(std::string_view start) {
  const std::wstring initial = widen(start);
  BROWSEINFOW bi{};
  bi.hwndOwner = hwnd_;
  bi.lpszTitle = L"Selecione a pasta";
  bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
  bi.lpfn = browseCallback;
  bi.lParam = reinterpret_cast<LPARAM>(initial.c_str());
  PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&bi);
  if (!pidl) return std::nullopt;
  wchar_t path[MAX_PATH] = {};
  const BOOL ok = SHGetPathFromIDListW(pidl, path);
  CoTaskMemFree(pidl);
  if (!ok) return std::nullopt;
  return narrow(path);
}

}  // namespace zorvak::win32
