// Fake DirectDraw objects for unit tests: every call is appended to one shared
// log, and each method answers from a per-method script (DD_OK when empty).
#ifndef VOQ_TESTS_FAKE_DDRAW_H
#define VOQ_TESTS_FAKE_DDRAW_H

#include <ddraw.h>

#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct FakeCall {
  std::string name;
  const void* object = nullptr;  // the fake that received the call
  bool hasDest = false;
  RECT dest = {0, 0, 0, 0};
  const void* source = nullptr;
  bool hasSourceRect = false;
  RECT sourceRect = {0, 0, 0, 0};
  DWORD flags = 0;
  bool hasFx = false;
  DDBLTFX fx;
  DWORD x = 0, y = 0;
  DDSURFACEDESC desc;
  DWORD caps = 0;
  DDCOLORKEY key = {0, 0};
  DWORD width = 0, height = 0, bpp = 0;
  DWORD start = 0, count = 0;
  std::vector<PALETTEENTRY> entries;
  const void* entriesPointer = nullptr;
  HWND window = nullptr;
  const void* extra = nullptr;  // holder addresses, palettes handed over
  FakeCall() {
    std::memset(&fx, 0, sizeof fx);
    std::memset(&desc, 0, sizeof desc);
  }
};

class FakeLog {
 public:
  std::vector<FakeCall> calls;
  std::map<std::string, std::deque<HRESULT>> script;

  void Reset() {
    calls.clear();
    script.clear();
  }
  HRESULT Answer(const std::string& name) {
    auto found = script.find(name);
    if (found == script.end() || found->second.empty()) return DD_OK;
    HRESULT result = found->second.front();
    found->second.pop_front();
    return result;
  }
  void Script(const std::string& name, std::vector<HRESULT> results) {
    script[name] = std::deque<HRESULT>(results.begin(), results.end());
  }
  std::vector<FakeCall> Named(const std::string& name) const {
    std::vector<FakeCall> out;
    for (const FakeCall& call : calls)
      if (call.name == name) out.push_back(call);
    return out;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (const FakeCall& call : calls) out.push_back(call.name);
    return out;
  }
};

inline FakeLog& TheFakeLog() {
  static FakeLog log;
  return log;
}

class FakePalette : public IDirectDrawPalette {
 public:
  ULONG refs = 1;
  PALETTEENTRY entries[256];
  FakePalette() { std::memset(entries, 0, sizeof entries); }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override {
    FakeCall call;
    call.name = "Palette::Release";
    call.object = this;
    TheFakeLog().calls.push_back(call);
    return refs > 0 ? --refs : 0;
  }
  HRESULT GetEntries(DWORD, DWORD, DWORD, LPPALETTEENTRY) override { return DDERR_UNSUPPORTED; }
  HRESULT SetEntries(DWORD flags, DWORD start, DWORD count, LPPALETTEENTRY given) override {
    FakeCall call;
    call.name = "SetEntries";
    call.object = this;
    call.flags = flags;
    call.start = start;
    call.count = count;
    call.entriesPointer = given;
    if (given != nullptr) call.entries.assign(given, given + count);
    TheFakeLog().calls.push_back(call);
    HRESULT result = TheFakeLog().Answer("SetEntries");
    if (result == DD_OK && given != nullptr && start + count <= 256)
      std::memcpy(entries + start, given, count * sizeof(PALETTEENTRY));
    return result;
  }
};

class FakeSurface : public IDirectDrawSurface {
 public:
  ULONG refs = 1;
  std::string label;
  FakeSurface* attached = nullptr;  // what GetAttachedSurface hands out
  explicit FakeSurface(std::string name = "surface") : label(std::move(name)) {}

  ULONG AddRef() override { return ++refs; }
  ULONG Release() override {
    Log("Release");
    return refs > 0 ? --refs : 0;
  }
  HRESULT Blt(LPRECT dest, LPDIRECTDRAWSURFACE source, LPRECT sourceRect, DWORD flags,
              LPDDBLTFX fx) override {
    FakeCall call = Make("Blt");
    if (dest != nullptr) {
      call.hasDest = true;
      call.dest = *dest;
    }
    call.source = source;
    if (sourceRect != nullptr) {
      call.hasSourceRect = true;
      call.sourceRect = *sourceRect;
    }
    call.flags = flags;
    if (fx != nullptr) {
      call.hasFx = true;
      call.fx = *fx;
    }
    TheFakeLog().calls.push_back(call);
    return TheFakeLog().Answer("Blt");
  }
  HRESULT BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE source, LPRECT sourceRect,
                  DWORD flags) override {
    FakeCall call = Make("BltFast");
    call.x = x;
    call.y = y;
    call.source = source;
    if (sourceRect != nullptr) {
      call.hasSourceRect = true;
      call.sourceRect = *sourceRect;
    }
    call.flags = flags;
    TheFakeLog().calls.push_back(call);
    return TheFakeLog().Answer("BltFast");
  }
  HRESULT Flip(LPDIRECTDRAWSURFACE target, DWORD flags) override {
    FakeCall call = Make("Flip");
    call.source = target;
    call.flags = flags;
    TheFakeLog().calls.push_back(call);
    return TheFakeLog().Answer("Flip");
  }
  HRESULT GetAttachedSurface(LPDDSCAPS caps, LPDIRECTDRAWSURFACE* out) override {
    FakeCall call = Make("GetAttachedSurface");
    call.caps = caps != nullptr ? caps->dwCaps : 0xFFFFFFFFu;
    call.extra = out;
    TheFakeLog().calls.push_back(call);
    HRESULT result = TheFakeLog().Answer("GetAttachedSurface");
    if (out != nullptr) *out = result == DD_OK ? attached : nullptr;
    return result;
  }
  HRESULT GetSurfaceDesc(LPDDSURFACEDESC) override { return DDERR_UNSUPPORTED; }
  HRESULT Lock(LPRECT, LPDDSURFACEDESC, DWORD, HANDLE) override {
    Log("Lock");
    return DDERR_UNSUPPORTED;
  }
  HRESULT Unlock(LPVOID) override {
    Log("Unlock");
    return DD_OK;
  }
  HRESULT SetColorKey(DWORD flags, LPDDCOLORKEY key) override {
    FakeCall call = Make("SetColorKey");
    call.flags = flags;
    if (key != nullptr) call.key = *key;
    TheFakeLog().calls.push_back(call);
    return TheFakeLog().Answer("SetColorKey");
  }
  HRESULT SetPalette(LPDIRECTDRAWPALETTE palette) override {
    FakeCall call = Make("SetPalette");
    call.extra = palette;
    TheFakeLog().calls.push_back(call);
    return TheFakeLog().Answer("SetPalette");
  }

 private:
  FakeCall Make(const char* name) {
    FakeCall call;
    call.name = name;
    call.object = this;
    return call;
  }
  void Log(const char* name) { TheFakeLog().calls.push_back(Make(name)); }
};

class FakeDirectDraw : public IDirectDraw {
 public:
  ULONG refs = 1;
  FakeSurface chainBack{"chain back"};
  FakePalette palette;
  std::vector<std::unique_ptr<FakeSurface>> made;  // every surface CreateSurface handed out

  ULONG AddRef() override { return ++refs; }
  ULONG Release() override {
    FakeCall call;
    call.name = "DirectDraw::Release";
    call.object = this;
    TheFakeLog().calls.push_back(call);
    return refs > 0 ? --refs : 0;
  }
  HRESULT CreatePalette(DWORD flags, LPPALETTEENTRY table, LPDIRECTDRAWPALETTE* out,
                        IUnknown* outer) override {
    FakeCall call;
    call.name = "CreatePalette";
    call.object = this;
    call.flags = flags;
    if (table != nullptr) call.entries.assign(table, table + 256);
    call.extra = outer;
    TheFakeLog().calls.push_back(call);
    HRESULT result = TheFakeLog().Answer("CreatePalette");
    if (out != nullptr) *out = result == DD_OK ? &palette : nullptr;
    return result;
  }
  HRESULT CreateSurface(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* out,
                        IUnknown* outer) override {
    FakeCall call;
    call.name = "CreateSurface";
    call.object = this;
    if (desc != nullptr) call.desc = *desc;
    call.extra = out;
    call.source = outer;
    TheFakeLog().calls.push_back(call);
    HRESULT result = TheFakeLog().Answer("CreateSurface");
    if (out != nullptr) {
      *out = nullptr;
      if (result == DD_OK) {
        made.push_back(std::make_unique<FakeSurface>("made " + std::to_string(made.size())));
        made.back()->attached = &chainBack;
        *out = made.back().get();
      }
    }
    return result;
  }
  HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
    FakeCall call;
    call.name = "SetCooperativeLevel";
    call.object = this;
    call.window = window;
    call.flags = flags;
    TheFakeLog().calls.push_back(call);
    return TheFakeLog().Answer("SetCooperativeLevel");
  }
  HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bpp) override {
    FakeCall call;
    call.name = "SetDisplayMode";
    call.object = this;
    call.width = width;
    call.height = height;
    call.bpp = bpp;
    TheFakeLog().calls.push_back(call);
    return TheFakeLog().Answer("SetDisplayMode");
  }
};

inline bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::string RectText(const RECT& r) {
  return "{" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
         std::to_string(r.right) + ", " + std::to_string(r.bottom) + "}";
}

#endif
