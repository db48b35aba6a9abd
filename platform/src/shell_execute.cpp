// Opening a web address: the desktop's opener stands in for the shell.
#include <windows.h>

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

// ShellExecute's results: above 32 is success.
#define kShellOpened 42
#define kShellOutOfResources 0
#define kShellFileNotFound 2
#define kShellNoAssociation 31

HINSTANCE WINAPI ShellExecuteA(HWND, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR, LPCSTR, INT) {
  if (lpFile == NULL || lpFile[0] == 0) return (HINSTANCE)kShellFileNotFound;
  if (lpOperation != NULL && strcmp(lpOperation, "open") != 0)
    return (HINSTANCE)kShellNoAssociation;
  // The opener's exec failure comes back through this pipe; a successful
  // exec closes it empty.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return (HINSTANCE)kShellOutOfResources;
  pid_t child = fork();
  if (child == 0) {
    // A grandchild runs the opener, so nobody here waits for it and init
    // reaps it when it ends.
    pid_t opener = fork();
    if (opener == 0) {
      setsid();
      char* const argv[] = {(char*)"xdg-open", (char*)lpFile, NULL};
      execvp(argv[0], argv);
    }
    if (opener > 0) _exit(0);
    // The second fork or the exec failed.
    int error = errno;
    ssize_t unused = write(report[1], &error, sizeof error);
    (void)unused;
    _exit(127);
  }
  close(report[1]);
  if (child < 0) {
    close(report[0]);
    return (HINSTANCE)kShellOutOfResources;
  }
  while (waitpid(child, NULL, 0) < 0 && errno == EINTR) {
  }
  int error;
  ssize_t got;
  while ((got = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
  }
  close(report[0]);
  return (HINSTANCE)(intptr_t)(got > 0 ? kShellNoAssociation : kShellOpened);
}
