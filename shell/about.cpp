// The about box of configuration mode, and the system's password change.
#include "shell/about.h"

#include "resources/about.h"

// The password provider's export; stdcall on 32-bit Windows like every API.
typedef DWORD(WINAPI* PwdChangePasswordProc)(LPCSTR provider, HWND parent, DWORD reserved1,
                                             DWORD reserved2);

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDC_VISIT_SITE:
      ShellExecuteA(dialog, "open", kVisitSiteUrl, NULL, NULL, SW_SHOWNORMAL);
      return TRUE;
    case IDOK:
      EndDialog(dialog, 1);
      return TRUE;
  }
  // Cancel (Escape, the close box) is left alone: only OK closes the box.
  return FALSE;
}

void ShowAboutBox(HINSTANCE instance) {
  DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), NULL, AboutDlgProc, 0);
}

void ChangePassword(HWND parent) {
  HMODULE library = LoadLibraryA("MPR.DLL");
  if (library == NULL) return;
  // GetProcAddress knows no types; the export's real type is stated here.
  PwdChangePasswordProc change = (PwdChangePasswordProc)(void (*)(void))GetProcAddress(
      library, "PwdChangePasswordA");
  if (change != NULL) change("SCRSAVE", parent, 0, 0);
  FreeLibrary(library);
}
