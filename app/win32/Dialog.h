// The one dialog base of the flasher: a modal dialog from a template, with
// one static dialog procedure that finds the object by the pointer stored
// at WM_INITDIALOG. No exception leaves a Windows callback.
#pragma once

#include <windows.h>

#include <string>

class CDialog {
 public:
  explicit CDialog(int templateId) : templateId_(templateId) {}
  virtual ~CDialog() = default;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Runs the dialog modally; its result is not used by the pages.
  INT_PTR RunModal(HWND owner);

  // The page the program treats as its main window.
  static CDialog* MainWindow() { return mainWindow_; }
  void MakeMainWindow() { mainWindow_ = this; }

 protected:
  // Each returns whether it handled the message; OnInitDialog's result is
  // the dialog procedure's answer (true: focus to the first tab stop).
  virtual BOOL OnInitDialog() { return TRUE; }
  virtual bool OnCommand(int id, int code);
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result);

  void End(int result) { ::EndDialog(window_, result); }
  HWND Window() const { return window_; }
  HWND Item(int id) const { return ::GetDlgItem(window_, id); }
  void SetItemText(int id, const std::string& text) {
    ::SetDlgItemTextA(window_, id, text.c_str());
  }
  void EnableItem(int id, bool enabled) { ::EnableWindow(Item(id), enabled ? TRUE : FALSE); }
  // Ends a page whose start found it cannot go on: every modal loop ends.
  void Quit();

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  int templateId_;
  HWND window_ = nullptr;
  static CDialog* mainWindow_;
};
