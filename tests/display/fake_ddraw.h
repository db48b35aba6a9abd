// Fake DirectDraw objects for unit tests: every call is appended to one shared
// log, and each method answers from a per-method script (DD_OK when empty).
#ifndef VOQ_TESTS_FAKE_DDRAW_H
#define VOQ_TESTS_FAKE_DDRAW_H

#include <ddraw.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct FakeCall {
  std::string name;
  const void* object = nullptr;  // the fake that received the call
  bool hasDest = false, hasSourceRect = false, hasFx = false;
  RECT dest = {}, sourceRect = {};
  const void* source = nullptr;
  const void* extra = nullptr;  // holder addresses, palettes, GUIDs, device contexts
  DWORD flags = 0, x = 0, y = 0, width = 0, height = 0, bpp = 0, start = 0, count = 0, caps = 0;
  DDBLTFX fx = {};
  DDSURFACEDESC desc = {};
  DDCOLORKEY key = {};
  std::vector<PALETTEENTRY> entries;
  const void* entriesPointer = nullptr;
  HWND window = nullptr;
};

class FakeLog {
 public:
  std::vector<FakeCall> calls;
  std::map<std::string, std::deque<HRESULT>> script;

  void Reset() {
    calls.clear();
    script.clear();
  }
  FakeCall& Add(const char* name, const void* object = nullptr) {
    calls.emplace_back();
    calls.back().name = name;
    calls.back().object = object;
    return calls.back();
  }
  HRESULT Answer(const std::string& name) {
    std::deque<HRESULT>& answers = script[name];
    if (answers.empty()) return DD_OK;
    HRESULT result = answers.front();
    answers.pop_front();
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
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override {
    TheFakeLog().Add("Palette::Release", this);
    return refs > 0 ? --refs : 0;
  }
  HRESULT GetEntries(DWORD, DWORD, DWORD, LPPALETTEENTRY) override { return DDERR_UNSUPPORTED; }
  HRESULT SetEntries(DWORD flags, DWORD start, DWORD count, LPPALETTEENTRY given) override {
    FakeCall& call = TheFakeLog().Add("SetEntries", this);
    call.flags = flags;
    call.start = start;
    call.count = count;
    call.entriesPointer = given;
    return TheFakeLog().Answer("SetEntries");
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
    TheFakeLog().Add("Release", this);
    return refs > 0 ? --refs : 0;
  }
  HRESULT Blt(LPRECT dest, LPDIRECTDRAWSURFACE source, LPRECT sourceRect, DWORD flags,
              LPDDBLTFX fx) override {
    FakeCall& call = TheFakeLog().Add("Blt", this);
    if ((call.hasDest = dest != nullptr)) call.dest = *dest;
    call.source = source;
    if ((call.hasSourceRect = sourceRect != nullptr)) call.sourceRect = *sourceRect;
    call.flags = flags;
    if ((call.hasFx = fx != nullptr)) call.fx = *fx;
    return TheFakeLog().Answer("Blt");
  }
  HRESULT BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE source, LPRECT sourceRect,
                  DWORD flags) override {
    FakeCall& call = TheFakeLog().Add("BltFast", this);
    call.x = x;
    call.y = y;
    call.source = source;
    if ((call.hasSourceRect = sourceRect != nullptr)) call.sourceRect = *sourceRect;
    call.flags = flags;
    return TheFakeLog().Answer("BltFast");
  }
  HRESULT Flip(LPDIRECTDRAWSURFACE target, DWORD flags) override {
    FakeCall& call = TheFakeLog().Add("Flip", this);
    call.source = target;
    call.flags = flags;
    return TheFakeLog().Answer("Flip");
  }
  HRESULT GetAttachedSurface(LPDDSCAPS caps, LPDIRECTDRAWSURFACE* out) override {
    FakeCall& call = TheFakeLog().Add("GetAttachedSurface", this);
    call.caps = caps != nullptr ? caps->dwCaps : 0xFFFFFFFFu;
    call.extra = out;
    HRESULT result = TheFakeLog().Answer("GetAttachedSurface");
    if (out != nullptr) *out = result == DD_OK ? attached : nullptr;
    return result;
  }
  HRESULT GetSurfaceDesc(LPDDSURFACEDESC) override { return DDERR_UNSUPPORTED; }
  HRESULT Lock(LPRECT, LPDDSURFACEDESC, DWORD, HANDLE) override {
    TheFakeLog().Add("Lock", this);
    return DDERR_UNSUPPORTED;
  }
  HRESULT Unlock(LPVOID) override {
    TheFakeLog().Add("Unlock", this);
    return DD_OK;
  }
  HRESULT SetColorKey(DWORD flags, LPDDCOLORKEY key) override {
    FakeCall& call = TheFakeLog().Add("SetColorKey", this);
    call.flags = flags;
    if (key != nullptr) call.key = *key;
    return TheFakeLog().Answer("SetColorKey");
  }
  HRESULT SetPalette(LPDIRECTDRAWPALETTE palette) override {
    TheFakeLog().Add("SetPalette", this).extra = palette;
    return TheFakeLog().Answer("SetPalette");
  }
};

class FakeDirectDraw : public IDirectDraw {
 public:
  ULONG refs = 1;
  FakeSurface chainBack{"chain back"};
  FakePalette palette;
  std::vector<std::unique_ptr<FakeSurface>> made;  // every surface CreateSurface handed out

  ULONG AddRef() override { return ++refs; }
  ULONG Release() override {
    TheFakeLog().Add("DirectDraw::Release", this);
    return refs > 0 ? --refs : 0;
  }
  HRESULT CreatePalette(DWORD flags, LPPALETTEENTRY table, LPDIRECTDRAWPALETTE* out,
                        IUnknown* outer) override {
    FakeCall& call = TheFakeLog().Add("CreatePalette", this);
    call.flags = flags;
    if (table != nullptr) call.entries.assign(table, table + 256);
    call.extra = outer;
    HRESULT result = TheFakeLog().Answer("CreatePalette");
    if (out != nullptr) *out = result == DD_OK ? &palette : nullptr;
    return result;
  }
  HRESULT CreateSurface(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* out,
                        IUnknown* outer) override {
    FakeCall& call = TheFakeLog().Add("CreateSurface", this);
    if (desc != nullptr) call.desc = *desc;
    call.extra = out;
    call.source = outer;
    HRESULT result = TheFakeLog().Answer("CreateSurface");
    if (out == nullptr) return result;
    *out = nullptr;
    if (result == DD_OK) {
      made.push_back(std::make_unique<FakeSurface>("made " + std::to_string(made.size())));
      made.back()->attached = &chainBack;
      *out = made.back().get();
    }
    return result;
  }
  HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
    FakeCall& call = TheFakeLog().Add("SetCooperativeLevel", this);
    call.window = window;
    call.flags = flags;
    return TheFakeLog().Answer("SetCooperativeLevel");
  }
  HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bpp) override {
    FakeCall& call = TheFakeLog().Add("SetDisplayMode", this);
    call.width = width;
    call.height = height;
    call.bpp = bpp;
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
