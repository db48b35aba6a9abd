// What the window half of platform/ shares between its files: SDL start-up,
// the saver window, the message queues, input translation and presentation.
#ifndef VOQ_PLATFORM_WINDOW_INTERNAL_H
#define VOQ_PLATFORM_WINDOW_INTERNAL_H

#include <windows.h>

#include <SDL.h>

#include "frame_paint.h"

// Every window's client area is the saver's image: the windowed primary
// surface, and what a full-screen window scales to fit.
#define kClientWidth 640
#define kClientHeight 480

// Starts SDL's video on first need. Without a usable display it falls back
// to SDL's dummy driver so that windows and messages still work; false only
// when not even that starts.
bool StartVideo(void);
bool VideoRunning(void);

// The one window this platform offers at a time (handle NULL while none).
struct PlatformWindow {
  HWND handle;
  WNDPROC proc;
  SDL_Window* sdl;
  // The window's surface and what is painted on it; laid out anew whenever
  // the surface comes back at another size.
  FramePainter painter;
  bool presenting;     // a real display shows the window
  Uint64 framePeriod;  // performance-counter ticks of one display refresh
  bool active;
  bool destroying;
};
extern PlatformWindow platformWindow;

// A handle value never given out before, so that dead handles stay dead.
HWND NewHandle(void);
bool IsLiveWindow(HWND window);
// Frees the window and all it holds, without any message.
void ReleaseWindow(void);
// Calls the window procedure at once, as SendMessage does; 0 for a dead window.
LRESULT SendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Milliseconds of a monotonic clock: message times and timers.
DWORD PlatformTime(void);
// Queues an input message (keyboard, mouse) with the modifier keys held when
// it happened; TranslateMessage reads them back once it is retrieved.
bool PostInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Uint16 keyModifiers);
// Drops everything queued or timed for a window that is going away.
void ForgetWindowMessages(HWND window);
// The pointer's latest position in client coordinates (MSG.pt).
extern POINT platformCursor;

// Turns one SDL event into the messages a real window gets.
void TranslateSdlEvent(const SDL_Event* event);
// Posts WM_MOUSEMOVE when the pointer lies over the window just shown.
void PostPointerIfInside(void);
// The character that a key gives with the given modifiers, or -1 for none.
int KeyCharacter(WPARAM virtualKey, Uint16 keyModifiers);
// A point of a window of the given size in client coordinates, undoing the
// scale-to-fit; points on the bars clamp to the nearest edge of the image.
POINT WindowToClient(int windowWidth, int windowHeight, int x, int y);
// Where the 640 x 480 image goes in an area of the given size: scaled to
// fit with its aspect kept, centred.
SDL_Rect FitImage(int width, int height);

// Presentation's share of a window's life.
void CreatePresentation(PlatformWindow* window);
void DestroyPresentation(PlatformWindow* window);
// Shows the latest frame again, whole (after the window was exposed or resized).
void ShowLatestFrame(void);
// Prints the frames presented and their rate when VOQ_FRAME_REPORT is set.
void ReportFrames(void);
// Writes a frame to VOQ_CAPTURE_DIR, numbered; does nothing when unset.
void CaptureFrame(const BYTE* pixels, LONG pitch, int width, int height,
                  const PALETTEENTRY* palette, unsigned number);
void EndFrameCapture(void);

#endif
