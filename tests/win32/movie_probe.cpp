// Stands in for the movie player control in the Wine tests
// (tests/wine/t_flash_frame.sh), copied into a setup's support files as
// "flash.ocx": an in-process control that a container creates through
// DllGetClassObject. Activated in place, it shows a window in the site's
// window reading "Playing <movie>". What it is given is appended to the file
// named by MOVIE_PROBE_LOG, one line each: "activate", "movie=<path>",
// "play", "close", "release" (the last reference gone), "unload" (the library
// freed before the process ends). With MOVIE_PROBE_REFUSE set it offers no
// class at all.
#include <windows.h>
#include <ole2.h>

#include <string>

#include "tests/win32/static_class_factory.h"

namespace {

const CLSID kPlayerClass = {
    0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr DISPID kMovie = 1;
constexpr DISPID kPlay = 2;

void Log(const std::wstring& line) {
  wchar_t path[MAX_PATH];
  if (GetEnvironmentVariableW(L"MOVIE_PROBE_LOG", path, MAX_PATH) == 0) return;
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::wstring text = line + L"\r\n";
  char bytes[2048];
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                       bytes, sizeof bytes, nullptr, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr);
  CloseHandle(file);
}

class Player final : public IOleObject, public IOleInPlaceObject, public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IOleObject) {
      *out = static_cast<IOleObject*>(this);
    } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject) {
      *out = static_cast<IOleInPlaceObject*>(this);
    } else if (iid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) {
      Log(L"release");
      delete this;
    }
    return left;
  }

  // IOleObject
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override {
    if (site_ != nullptr) site_->Release();
    site_ = site;
    if (site_ != nullptr) site_->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** out) override {
    *out = site_;
    if (site_ != nullptr) site_->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Close(DWORD) override {
    Log(L"close");
    InPlaceDeactivate();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                   LPCRECT bounds) override {
    if (verb != OLEIVERB_INPLACEACTIVATE && verb != OLEIVERB_SHOW) return OLEOBJ_E_NOVERBS;
    if (window_ != nullptr) return S_OK;
    // The site is asked as a container would be: may it, and where.
    IOleInPlaceSite* inPlace = nullptr;
    if (site == nullptr ||
        FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace)))) {
      return E_UNEXPECTED;
    }
    HWND host = nullptr;
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = nullptr;
    RECT position = *bounds;
    RECT clip{};
    OLEINPLACEFRAMEINFO info{sizeof info, FALSE, nullptr, nullptr, 0};
    HRESULT hr = inPlace->CanInPlaceActivate();
    if (hr == S_OK) hr = inPlace->GetWindow(&host);
    if (SUCCEEDED(hr)) hr = inPlace->GetWindowContext(&frame, &document, &position, &clip, &info);
    if (SUCCEEDED(hr)) hr = inPlace->OnInPlaceActivate();
    if (frame != nullptr) frame->Release();
    if (document != nullptr) document->Release();
    if (FAILED(hr) || host != parent) {
      inPlace->Release();
      return E_FAIL;
    }
    inPlace_ = inPlace;
    window_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"STATIC", L"Playing nothing",
                              WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, position.left,
                              position.top, position.right - position.left,
                              position.bottom - position.top, host, nullptr, nullptr, nullptr);
    Log(L"activate");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* id) override {
    *id = kPlayerClass;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* status) override {
    *status = OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IOleWindow, IOleInPlaceObject
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
    *out = window_;
    return window_ != nullptr ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override {
    if (window_ != nullptr) DestroyWindow(window_);
    window_ = nullptr;
    if (inPlace_ != nullptr) {
      inPlace_->OnInPlaceDeactivate();
      inPlace_->Release();
      inPlace_ = nullptr;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT) override {
    if (window_ != nullptr) {
      MoveWindow(window_, position->left, position->top, position->right - position->left,
                 position->bottom - position->top, TRUE);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }

  // IDispatch: the property "Movie" and the method "Play"
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
      ids[i] = lstrcmpiW(names[i], L"Movie") == 0  ? kMovie
               : lstrcmpiW(names[i], L"Play") == 0 ? kPlay
                                                   : DISPID_UNKNOWN;
      if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO*, UINT*) override {
    if (id == kMovie && (flags & DISPATCH_PROPERTYPUT) != 0) {
      if (parameters->cArgs != 1 || parameters->rgvarg[0].vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
      movie_ = parameters->rgvarg[0].bstrVal;
      Log(L"movie=" + movie_);
      if (window_ != nullptr) SetWindowTextW(window_, (L"Playing " + movie_).c_str());
      return S_OK;
    }
    if (id == kMovie && (flags & DISPATCH_PROPERTYGET) != 0 && result != nullptr) {
      result->vt = VT_BSTR;
      result->bstrVal = SysAllocString(movie_.c_str());
      return S_OK;
    }
    if (id == kPlay && (flags & DISPATCH_METHOD) != 0) {
      Log(L"play");
      return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  ~Player() {
    InPlaceDeactivate();
    if (site_ != nullptr) site_->Release();
  }

  ULONG references_ = 1;
  IOleClientSite* site_ = nullptr;
  IOleInPlaceSite* inPlace_ = nullptr;
  HWND window_ = nullptr;
  std::wstring movie_;
};

StaticClassFactory<Player> factory([]() { return new Player; });

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  // Freed by the container, not torn down with the process.
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) Log(L"unload");
  return TRUE;
}

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID id, REFIID iid, void** out) {
  *out = nullptr;
  if (id != kPlayerClass || GetEnvironmentVariableW(L"MOVIE_PROBE_REFUSE", nullptr, 0) != 0) {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  return factory.QueryInterface(iid, out);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return S_FALSE;
}
}
