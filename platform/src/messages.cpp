// The thread's message queue: posted messages, input, the quit request and
// timers, retrieved in that order as USER does.
#include <string.h>
#include <time.h>

#include "hack.h"
#include "window_internal.h"

#define kQueueLength 128
#define kTimerCount 8
// USER's shortest timer period.
#define kMinimumTimerPeriod 10
#define kFirstThreadTimerId 0x7F00

struct QueuedMessage {
  MSG msg;
  Uint16 keyModifiers;
};

struct MessageQueue {
  QueuedMessage entries[kQueueLength];
  int count;
};

struct Timer {
  HWND window;
  UINT_PTR id;
  UINT period;
  DWORD lastFired;
  TIMERPROC proc;
  bool used;
};

POINT platformCursor;
static MessageQueue postedQueue;
static MessageQueue inputQueue;
static bool quitPosted;
static int quitCode;
static Timer timers[kTimerCount];
static UINT_PTR lastThreadTimerId = kFirstThreadTimerId;
// The modifier keys as of the latest input message retrieved: what
// TranslateMessage sees, like GetKeyState on Windows.
static Uint16 retrievedKeyModifiers;

DWORD PlatformTime(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (DWORD)((uint64_t)now.tv_sec * 1000u + (uint64_t)now.tv_nsec / 1000000u);
}

static bool Enqueue(MessageQueue* queue, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                    Uint16 keyModifiers) {
  if (queue == &inputQueue && message == WM_MOUSEMOVE && queue->count > 0) {
    // As USER does, a move not yet retrieved gives way to the newer one.
    QueuedMessage* last = &queue->entries[queue->count - 1];
    if (last->msg.message == WM_MOUSEMOVE && last->msg.hwnd == window) queue->count--;
  }
  if (queue->count == kQueueLength) return false;
  QueuedMessage* entry = &queue->entries[queue->count++];
  entry->msg.hwnd = window;
  entry->msg.message = message;
  entry->msg.wParam = wParam;
  entry->msg.lParam = lParam;
  entry->msg.time = PlatformTime();
  entry->msg.pt = platformCursor;
  entry->keyModifiers = keyModifiers;
  return true;
}

static void RemoveAt(MessageQueue* queue, int index) {
  queue->count--;
  memmove(&queue->entries[index], &queue->entries[index + 1],
          (size_t)(queue->count - index) * sizeof(QueuedMessage));
}

static bool Matches(const MSG* msg, HWND window, UINT first, UINT last) {
  if (window != NULL && msg->hwnd != window) return false;
  return (first == 0 && last == 0) || (msg->message >= first && msg->message <= last);
}

static int FindMessage(const MessageQueue* queue, HWND window, UINT first, UINT last) {
  for (int i = 0; i < queue->count; i++) {
    if (Matches(&queue->entries[i].msg, window, first, last)) return i;
  }
  return -1;
}

static Timer* DueTimer(DWORD now, HWND window, UINT first, UINT last) {
  MSG probe;
  probe.message = WM_TIMER;
  for (int i = 0; i < kTimerCount; i++) {
    probe.hwnd = timers[i].window;
    if (timers[i].used && now - timers[i].lastFired >= timers[i].period &&
        Matches(&probe, window, first, last))
      return &timers[i];
  }
  return NULL;
}

// Milliseconds until the next timer is due, or -1 when there is none.
static int TimeToNextTimer(DWORD now) {
  int wait = -1;
  for (int i = 0; i < kTimerCount; i++) {
    if (!timers[i].used) continue;
    DWORD elapsed = now - timers[i].lastFired;
    int left = elapsed >= timers[i].period ? 0 : (int)(timers[i].period - elapsed);
    if (wait < 0 || left < wait) wait = left;
  }
  return wait;
}

static void PumpSdlEvents(void) {
  CheckHackEnd();
  if (!VideoRunning()) return;
  SDL_Event event;
  while (SDL_PollEvent(&event)) TranslateSdlEvent(&event);
}

static bool TakeFrom(MessageQueue* queue, LPMSG msg, HWND window, UINT first, UINT last,
                     bool remove) {
  int index = FindMessage(queue, window, first, last);
  if (index < 0) return false;
  *msg = queue->entries[index].msg;
  if (remove) {
    if (queue == &inputQueue) retrievedKeyModifiers = queue->entries[index].keyModifiers;
    RemoveAt(queue, index);
  }
  return true;
}

static bool RetrieveMessage(LPMSG msg, HWND window, UINT first, UINT last, bool remove) {
  PumpSdlEvents();
  if (TakeFrom(&postedQueue, msg, window, first, last, remove)) return true;
  // The quit request passes every filter.
  if (quitPosted) {
    memset(msg, 0, sizeof *msg);
    msg->message = WM_QUIT;
    msg->wParam = (WPARAM)quitCode;
    msg->time = PlatformTime();
    msg->pt = platformCursor;
    if (remove) quitPosted = false;
    return true;
  }
  if (TakeFrom(&inputQueue, msg, window, first, last, remove)) return true;
  DWORD now = PlatformTime();
  Timer* timer = DueTimer(now, window, first, last);
  if (timer == NULL) return false;
  msg->hwnd = timer->window;
  msg->message = WM_TIMER;
  msg->wParam = timer->id;
  msg->lParam = (LPARAM)timer->proc;
  msg->time = now;
  msg->pt = platformCursor;
  if (remove) timer->lastFired = now;
  return true;
}

static bool AnyMessageReady(void) {
  PumpSdlEvents();
  return postedQueue.count > 0 || quitPosted || inputQueue.count > 0 ||
         TimeToNextTimer(PlatformTime()) == 0;
}

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                         UINT wRemoveMsg) {
  if (lpMsg == NULL) return FALSE;
  return RetrieveMessage(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0);
}

BOOL WINAPI WaitMessage(void) {
  while (!AnyMessageReady()) {
    int wait = LimitHackWait(TimeToNextTimer(PlatformTime()));
    if (VideoRunning()) {
      if (wait < 0)
        SDL_WaitEvent(NULL);
      else
        SDL_WaitEventTimeout(NULL, wait);
    } else {
      // Nothing but a timer can wake a thread without a display.
      SDL_Delay(wait < 0 ? 1000 : (Uint32)wait);
    }
  }
  return TRUE;
}

BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  if (lpMsg == NULL || (hWnd != NULL && !IsLiveWindow(hWnd))) return -1;
  while (!RetrieveMessage(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true)) WaitMessage();
  return lpMsg->message != WM_QUIT;
}

BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
  if (lpMsg == NULL) return FALSE;
  UINT message = lpMsg->message;
  if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
    int character = KeyCharacter(lpMsg->wParam, retrievedKeyModifiers);
    // WM_CHAR and WM_SYSCHAR follow their key-down message by two.
    if (character >= 0) PostMessageA(lpMsg->hwnd, message + 2, (WPARAM)character, lpMsg->lParam);
    return TRUE;
  }
  return message == WM_KEYUP || message == WM_SYSKEYUP;
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
  if (lpMsg == NULL) return 0;
  if (lpMsg->message == WM_TIMER && lpMsg->lParam != 0) {
    ((TIMERPROC)lpMsg->lParam)(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, PlatformTime());
    return 0;
  }
  return SendToWindow(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (hWnd != NULL && !IsLiveWindow(hWnd)) return FALSE;
  return Enqueue(&postedQueue, hWnd, Msg, wParam, lParam, 0);
}

bool PostInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Uint16 keyModifiers) {
  return IsLiveWindow(window) &&
         Enqueue(&inputQueue, window, message, wParam, lParam, keyModifiers);
}

void WINAPI PostQuitMessage(int nExitCode) {
  quitPosted = true;
  quitCode = nExitCode;
}

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
  if (hWnd != NULL && !IsLiveWindow(hWnd)) return 0;
  // A timer without a window gets an identifier of its own.
  if (hWnd == NULL) nIDEvent = ++lastThreadTimerId;
  Timer* timer = NULL;
  for (int i = 0; i < kTimerCount && timer == NULL; i++) {
    if (timers[i].used && timers[i].window == hWnd && timers[i].id == nIDEvent) timer = &timers[i];
  }
  for (int i = 0; i < kTimerCount && timer == NULL; i++) {
    if (!timers[i].used) timer = &timers[i];
  }
  if (timer == NULL) return 0;
  timer->window = hWnd;
  timer->id = nIDEvent;
  timer->period = uElapse < kMinimumTimerPeriod ? kMinimumTimerPeriod : uElapse;
  timer->lastFired = PlatformTime();
  timer->proc = lpTimerFunc;
  timer->used = true;
  return hWnd != NULL ? 1 : nIDEvent;
}

static void ForgetQueued(MessageQueue* queue, HWND window) {
  for (int i = queue->count - 1; i >= 0; i--) {
    if (queue->entries[i].msg.hwnd == window) RemoveAt(queue, i);
  }
}

void ForgetWindowMessages(HWND window) {
  ForgetQueued(&postedQueue, window);
  ForgetQueued(&inputQueue, window);
  for (int i = 0; i < kTimerCount; i++) {
    if (timers[i].window == window) timers[i].used = false;
  }
}
