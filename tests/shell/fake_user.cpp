// The USER, shell and KERNEL calls of the saver window, the about box and the
// password change, faked: each call is recorded, and windows live until
// DestroyWindow, after which posting to them fails as it does on Windows.
#include "fake_user.h"

#include <cstring>

FakeUser& TheFakeUser() {
  static FakeUser user;
  return user;
}

void ResetFakeUser() { TheFakeUser() = FakeUser(); }

static std::string TextOf(LPCSTR text) { return text != nullptr ? text : "<null>"; }

static UserCall& Record(const char* name) {
  std::vector<UserCall>& calls = TheFakeUser().calls;
  calls.emplace_back();
  calls.back().name = name;
  return calls.back();
}

static UserCall& RecordMessage(const char* name, HWND window, UINT message, WPARAM wParam,
                               LPARAM lParam) {
  UserCall& call = Record(name);
  call.window = window;
  call.message = message;
  call.wParam = wParam;
  call.lParam = lParam;
  return call;
}

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
  UserCall& call = Record("RegisterClassA");
  call.windowClass = *windowClass;
  call.text = windowClass->lpszClassName != nullptr ? windowClass->lpszClassName : "";
  return TheFakeUser().registerAnswer;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                            LPVOID param) {
  UserCall& call = Record("CreateWindowExA");
  call.exStyle = exStyle;
  call.text = TextOf(className);
  call.text2 = TextOf(title);
  call.style = style;
  call.x = x;
  call.y = y;
  call.width = width;
  call.height = height;
  call.window = parent;
  call.pointer = menu;
  call.instance = instance;
  call.pointer2 = param;
  FakeUser& user = TheFakeUser();
  if (user.createAnswer != nullptr) user.liveWindows.insert(user.createAnswer);
  return user.createAnswer;
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  UserCall& call = Record("AdjustWindowRectEx");
  call.rect = *rect;
  call.style = style;
  call.wParam = (WPARAM)menu;
  call.exStyle = exStyle;
  const RECT& frame = TheFakeUser().frame;
  rect->left -= frame.left;
  rect->top -= frame.top;
  rect->right += frame.right;
  rect->bottom += frame.bottom;
  return TRUE;
}

HGDIOBJ WINAPI GetStockObject(int which) {
  UserCall& call = Record("GetStockObject");
  call.x = which;
  return which == BLACK_BRUSH ? TheFakeUser().blackBrush : nullptr;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  RecordMessage("DefWindowProcA", window, message, wParam, lParam);
  return kDefaultResult;
}

BOOL WINAPI DestroyWindow(HWND window) {
  UserCall& call = Record("DestroyWindow");
  call.window = window;
  return TheFakeUser().liveWindows.erase(window) != 0;
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  RecordMessage("PostMessageA", window, message, wParam, lParam);
  FakeUser& user = TheFakeUser();
  if (user.liveWindows.count(window) == 0) return FALSE;
  MSG msg;
  std::memset(&msg, 0, sizeof msg);
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  user.queue.push_back(msg);
  return TRUE;
}

void WINAPI PostQuitMessage(int code) {
  UserCall& call = Record("PostQuitMessage");
  call.x = code;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
  UserCall& call = Record("SetCursor");
  call.pointer = cursor;
  return nullptr;
}

HINSTANCE WINAPI ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                               LPCSTR directory, INT show) {
  UserCall& call = Record("ShellExecuteA");
  call.window = owner;
  call.text = TextOf(operation);
  call.text2 = TextOf(file);
  call.pointer = parameters;
  call.pointer2 = directory;
  call.x = show;
  return (HINSTANCE)(intptr_t)42;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
  UserCall& call = Record("EndDialog");
  call.window = dialog;
  call.wParam = (WPARAM)result;
  return TRUE;
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc,
                               LPARAM param) {
  UserCall& call = Record("DialogBoxParamA");
  call.instance = instance;
  call.pointer = templateName;
  call.window = parent;
  call.dialogProc = proc;
  call.lParam = param;
  return IDOK;
}

HMODULE WINAPI LoadLibraryA(LPCSTR name) {
  UserCall& call = Record("LoadLibraryA");
  call.text = TextOf(name);
  return TheFakeUser().library;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
  UserCall& call = Record("GetProcAddress");
  call.instance = module;
  call.text = TextOf(name);
  return TheFakeUser().export_;
}

BOOL WINAPI FreeLibrary(HMODULE module) {
  UserCall& call = Record("FreeLibrary");
  call.instance = module;
  return TRUE;
}

}  // extern "C"
