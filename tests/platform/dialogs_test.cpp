// The about box and message boxes, headless: scripted presses, what reaches
// the dialog procedure, what is echoed to standard error.
#include <stdlib.h>

#include "resources/about.h"
#include "test_support.h"

namespace {

struct Call {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Call& other) const {
    return message == other.message && wParam == other.wParam && lParam == other.lParam;
  }
};

std::ostream& operator<<(std::ostream& out, const Call& c) {
  return out << "{0x" << std::hex << c.message << ", " << std::dec << c.wParam << ", " << c.lParam
             << "}";
}

std::vector<Call> calls;
HWND dialogHandle;
INT_PTR okResult;
bool endOnOk;

// Behaves as the program's about procedure: OK ends the box, the rest is
// left to default handling.
INT_PTR CALLBACK AboutLike(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  calls.push_back({message, wParam, lParam});
  dialogHandle = dialog;
  if (message != WM_COMMAND) return FALSE;
  if (wParam == IDC_VISIT_SITE) return TRUE;
  if (wParam == IDOK && endOnOk) {
    EXPECT_TRUE(EndDialog(dialog, okResult));
    return TRUE;
  }
  return FALSE;
}

class Dialogs : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    calls.clear();
    dialogHandle = NULL;
    okResult = 1;
    endOnOk = true;
    unsetenv("VOQ_DIALOG_PRESSES");
  }
  void TearDown() override {
    unsetenv("VOQ_DIALOG_PRESSES");
    PlatformTest::TearDown();
  }

  INT_PTR RunAbout(const char* presses, LPARAM param = 0) {
    if (presses != nullptr) setenv("VOQ_DIALOG_PRESSES", presses, 1);
    return DialogBoxParamA(NULL, MAKEINTRESOURCEA(IDD_ABOUT), NULL, AboutLike, param);
  }

  static Call Command(WPARAM control) { return {WM_COMMAND, control, 0}; }
};

TEST_F(Dialogs, ScriptedPressesReachTheProcedureInOrder) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunAbout("1000,1000,1", 77), 1);
  std::string echoed = testing::internal::GetCapturedStderr();
  std::vector<Call> expected = {{WM_INITDIALOG, 0, 77}, Command(IDC_VISIT_SITE),
                                Command(IDC_VISIT_SITE), Command(IDOK)};
  EXPECT_EQ(calls, expected);
  EXPECT_NE(echoed.find(kAboutTitle), std::string::npos) << echoed;
  EXPECT_NE(echoed.find(kAboutText), std::string::npos) << echoed;
}

TEST_F(Dialogs, CancelDoesNotCloseTheBox) {
  EXPECT_EQ(RunAbout("2,2,1"), 1);
  std::vector<Call> expected = {{WM_INITDIALOG, 0, 0}, Command(IDCANCEL), Command(IDCANCEL),
                                Command(IDOK)};
  EXPECT_EQ(calls, expected);
}

TEST_F(Dialogs, WithoutDisplayOrScriptOkIsPressed) {
  ASSERT_FALSE(PlatformHasDisplay());
  EXPECT_EQ(RunAbout(nullptr), 1);
  std::vector<Call> expected = {{WM_INITDIALOG, 0, 0}, Command(IDOK)};
  EXPECT_EQ(calls, expected);
}

TEST_F(Dialogs, OkFollowsAnExhaustedOrBrokenScript) {
  for (const char* script : {"1000", "1000,", "x", ""}) {
    SCOPED_TRACE(script);
    calls.clear();
    EXPECT_EQ(RunAbout(script), 1);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), Command(IDOK));
  }
}

TEST_F(Dialogs, EndDialogsResultIsReturnedAndLaterPressesAreNotMade) {
  okResult = 42;
  EXPECT_EQ(RunAbout("1,1000"), 42);
  std::vector<Call> expected = {{WM_INITDIALOG, 0, 0}, Command(IDOK)};
  EXPECT_EQ(calls, expected);
  EXPECT_FALSE(EndDialog(dialogHandle, 5)) << "a box that is gone";
}

TEST_F(Dialogs, ProcedureThatNeverEndsTheBoxDoesNotHangWithoutUser) {
  endOnOk = false;
  EXPECT_EQ(RunAbout("1000"), -1);
  std::vector<Call> expected = {{WM_INITDIALOG, 0, 0}, Command(IDC_VISIT_SITE), Command(IDOK)};
  EXPECT_EQ(calls, expected);
}

TEST_F(Dialogs, EndDialogOnlyEndsTheBoxShown) {
  EXPECT_FALSE(EndDialog((HWND)0x1234, 1));
  EXPECT_FALSE(EndDialog(NULL, 1));
  RunAbout("1");
  ASSERT_NE(dialogHandle, nullptr);
  HWND window = Create();
  EXPECT_NE(window, dialogHandle) << "a dialog's handle given out again";
}

TEST_F(Dialogs, OtherTemplatesAreNotFound) {
  EXPECT_EQ(DialogBoxParamA(NULL, MAKEINTRESOURCEA(102), NULL, AboutLike, 0), -1);
  EXPECT_EQ(DialogBoxParamA(NULL, MAKEINTRESOURCEA(IDD_ABOUT), NULL, NULL, 0), -1);
  EXPECT_TRUE(calls.empty());
}

TEST_F(Dialogs, MessageBoxesAreEchoedAndAnsweredOk) {
  struct Case {
    const char* caption;
    const char* text;
    const char* echoed;
  } cases[] = {
      {"MESSAGE", "lock error", "[MESSAGE] lock error\n"},
      {"", "corrupt header", "[] corrupt header\n"},
      {"Error initialising lpImage1 surface", "", "[Error initialising lpImage1 surface] \n"},
  };
  for (const Case& c : cases) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(NULL, c.text, c.caption, MB_OK), IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.echoed);
  }
}

}  // namespace
