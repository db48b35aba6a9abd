// The about box (dialog 101) as an SDL message box with its two buttons.
#include <stdlib.h>

#include "platform_internal.h"
#include "resources/about.h"
#include "window_internal.h"

struct Dialog {
  HWND handle;
  bool ended;
  INT_PTR result;
};

static Dialog* currentDialog;

// One showing of the box: the control the user chose. Escape and the close
// button come back as no button at all: a cancel request.
static bool AskUser(HWND owner, int* control) {
  static const SDL_MessageBoxButtonData kButtons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDOK, "OK"},
      {0, IDC_VISIT_SITE, "Visit Site"},
  };
  SDL_MessageBoxData box = {
      SDL_MESSAGEBOX_INFORMATION | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT,
      IsLiveWindow(owner) ? platformWindow.sdl : NULL,
      kAboutTitle,
      kAboutText,
      2,
      kButtons,
      NULL,
  };
  int button = -1;
  if (SDL_ShowMessageBox(&box, &button) != 0) return false;
  *control = button == IDOK || button == IDC_VISIT_SITE ? button : IDCANCEL;
  return true;
}

// VOQ_DIALOG_PRESSES=1000,1000,1 presses those controls in turn before the
// box is shown (or, without a display, before the OK press that stands in for
// the user), so that tests can drive the box headless.
static bool NextScriptedPress(const char** script, int* control) {
  if (*script == NULL || **script == 0) return false;
  char* end;
  long value = strtol(*script, &end, 10);
  if (end == *script) {
    *script = NULL;
    return false;
  }
  *script = *end == ',' ? end + 1 : end;
  *control = (int)value;
  return true;
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE, LPCSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
  if ((uintptr_t)lpTemplateName != IDD_ABOUT || lpDialogFunc == NULL) return -1;
  Dialog dialog = {NewHandle(), false, 0};
  Dialog* outer = currentDialog;
  currentDialog = &dialog;
  PlatformEchoMessage(kAboutTitle, kAboutText);
  lpDialogFunc(dialog.handle, WM_INITDIALOG, 0, dwInitParam);
  const char* script = getenv("VOQ_DIALOG_PRESSES");
  bool interactive = PlatformHasDisplay();
  bool okPressed = false;
  while (!dialog.ended) {
    int control;
    if (!NextScriptedPress(&script, &control) && !(interactive && AskUser(hWndParent, &control))) {
      interactive = false;
      // With nobody to answer, OK is pressed once; a procedure that does not
      // end the box then would hold it open for ever.
      if (okPressed) {
        dialog.result = -1;
        break;
      }
      okPressed = true;
      control = IDOK;
    }
    lpDialogFunc(dialog.handle, WM_COMMAND, (WPARAM)control, 0);
  }
  currentDialog = outer;
  return dialog.result;
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
  if (currentDialog == NULL || hDlg == NULL || hDlg != currentDialog->handle) return FALSE;
  currentDialog->ended = true;
  currentDialog->result = nResult;
  return TRUE;
}
