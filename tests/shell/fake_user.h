// Recorded USER, shell and KERNEL calls for the shell's unit tests.
#ifndef VOQ_TESTS_FAKE_USER_H
#define VOQ_TESTS_FAKE_USER_H

#include <windows.h>

#include <deque>
#include <set>
#include <string>
#include <vector>

// What DefWindowProcA answers, so a test can tell default handling happened.
const LRESULT kDefaultResult = 0x5A5A;

struct UserCall {
  std::string name;
  HWND window = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  std::string text, text2;
  const void* pointer = nullptr;
  const void* pointer2 = nullptr;
  HINSTANCE instance = nullptr;
  DWORD style = 0, exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
  RECT rect = {0, 0, 0, 0};
  WNDCLASSA windowClass = {};
  DLGPROC dialogProc = nullptr;
};

struct FakeUser {
  std::vector<UserCall> calls;
  std::deque<MSG> queue;          // messages posted to live windows
  std::set<HWND> liveWindows;
  ATOM registerAnswer = 0xC001;
  HWND createAnswer = (HWND)0x77;
  RECT frame = {8, 31, 8, 8};     // what AdjustWindowRectEx adds on each side
  HGDIOBJ blackBrush = (HGDIOBJ)0xB1AC;
  HMODULE library = nullptr;      // what LoadLibraryA hands out
  FARPROC export_ = nullptr;      // what GetProcAddress hands out

  std::vector<UserCall> Named(const std::string& name) const {
    std::vector<UserCall> out;
    for (const UserCall& call : calls)
      if (call.name == name) out.push_back(call);
    return out;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (const UserCall& call : calls) out.push_back(call.name);
    return out;
  }
};

FakeUser& TheFakeUser();
void ResetFakeUser();

#endif
