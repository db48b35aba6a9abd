// File handles and file opening with Windows' treatment of trailing blanks.
#include <windows.h>

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#undef fopen

// A copy of name without its trailing blanks; the caller frees it.
static char* TrimmedName(const char* name) {
  size_t length = strlen(name);
  while (length > 0 && name[length - 1] == ' ') length--;
  char* copy = (char*)malloc(length + 1);
  if (copy == NULL) return NULL;
  memcpy(copy, name, length);
  copy[length] = 0;
  return copy;
}

FILE* PlatformOpenFile(const char* name, const char* mode) {
  char* trimmed = TrimmedName(name);
  if (trimmed == NULL) return NULL;
  FILE* file = trimmed[0] != 0 ? fopen(trimmed, mode) : NULL;
  free(trimmed);
  return file;
}

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD, HANDLE) {
  // Only what the program asks for: reading an existing file.
  if (dwDesiredAccess != GENERIC_READ || dwCreationDisposition != OPEN_EXISTING)
    return INVALID_HANDLE_VALUE;
  FILE* file = PlatformOpenFile(lpFileName, "rb");
  return file != NULL ? (HANDLE)file : INVALID_HANDLE_VALUE;
}

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, LONG* lpDistanceToMoveHigh,
                            DWORD dwMoveMethod) {
  if (hFile == INVALID_HANDLE_VALUE || hFile == NULL) return INVALID_SET_FILE_POINTER;
  long long distance = lDistanceToMove;
  if (lpDistanceToMoveHigh != NULL)
    distance = (long long)(((unsigned long long)(uint32_t)*lpDistanceToMoveHigh << 32) |
                           (uint32_t)lDistanceToMove);
  int whence = dwMoveMethod == FILE_CURRENT ? SEEK_CUR : dwMoveMethod == FILE_END ? SEEK_END : SEEK_SET;
  FILE* file = (FILE*)hFile;
  if (fseeko(file, (off_t)distance, whence) != 0) return INVALID_SET_FILE_POINTER;
  off_t at = ftello(file);
  if (lpDistanceToMoveHigh != NULL) *lpDistanceToMoveHigh = (LONG)((long long)at >> 32);
  return (DWORD)at;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     LPDWORD lpNumberOfBytesRead, LPOVERLAPPED) {
  if (hFile == INVALID_HANDLE_VALUE || hFile == NULL) return FALSE;
  size_t got = fread(lpBuffer, 1, nNumberOfBytesToRead, (FILE*)hFile);
  if (lpNumberOfBytesRead != NULL) *lpNumberOfBytesRead = (DWORD)got;
  return !ferror((FILE*)hFile);
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
  if (hObject == INVALID_HANDLE_VALUE || hObject == NULL) return FALSE;
  return fclose((FILE*)hObject) == 0;
}

// There is no password provider here: no library ever loads.
HMODULE WINAPI LoadLibraryA(LPCSTR) { return NULL; }
FARPROC WINAPI GetProcAddress(HMODULE, LPCSTR) { return NULL; }
BOOL WINAPI FreeLibrary(HMODULE) { return FALSE; }
