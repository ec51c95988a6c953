// Flash frames (see flash_frame_win32.h).
#include "dialogs/win32/flash_frame_win32.h"

#include <ocidl.h>
#include <ole2.h>
#include <oleauto.h>

#include <algorithm>

#include "dialogs/win32/win32_text.h"

namespace vantrell {
namespace {

// The movie player's class.
const CLSID kPlayerClass = {
    0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

template <class T>
void Drop(T*& object) {
  if (object != nullptr) object->Release();
  object = nullptr;
}

// The container side the player sees: its client site, its in-place site
// in the frame's window, and a frame window that offers no menus, tools or
// status line.
class Site final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  explicit Site(HWND frame) : frame_(frame) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
      *out = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
      *out = static_cast<IOleInPlaceSite*>(this);
    } else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame) {
      *out = static_cast<IOleInPlaceFrame*>(this);
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
    if (left == 0) delete this;
    return left;
  }

  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** out) override {
    *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (of both the site and the frame)
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
    *out = frame_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                             RECT* position, RECT* clip,
                                             OLEINPLACEFRAMEINFO* info) override {
    *frame = this;
    AddRef();
    *doc = nullptr;
    GetClientRect(frame_, position);
    *clip = *position;
    info->fMDIApp = FALSE;
    info->hwndFrame = GetAncestor(frame_, GA_ROOT);
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow, IOleInPlaceFrame
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override {
    return INPLACE_E_NOTOOLSPACE;
  }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  HWND frame_;
  ULONG references_ = 1;
};

// Calls a named member of the object: a property put with one text, or a
// method without arguments when text is null.
bool Invoke(IDispatch* object, const wchar_t* member, const std::wstring* text) {
  auto* name = const_cast<LPOLESTR>(member);
  DISPID id = 0;
  if (FAILED(object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id))) return false;
  VARIANT value;
  VariantInit(&value);
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS parameters{};
  if (text != nullptr) {
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocStringLen(text->data(), static_cast<UINT>(text->size()));
    parameters = {&value, &named, 1, 1};
  }
  const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT,
                                    text != nullptr ? DISPATCH_PROPERTYPUT : DISPATCH_METHOD,
                                    &parameters, nullptr, nullptr, nullptr);
  VariantClear(&value);
  return SUCCEEDED(hr);
}

}  // namespace

struct FlashFrames::Player {
  HWND frame = nullptr;
  HMODULE library = nullptr;
  IOleObject* object = nullptr;
  Site* site = nullptr;
  bool ole = false;

  ~Player() {
    if (object != nullptr) {
      object->Close(OLECLOSE_NOSAVE);
      object->SetClientSite(nullptr);
    }
    Drop(object);
    Drop(site);
    // The library goes only once the last object of its own is gone.
    if (library != nullptr) FreeLibrary(library);
    if (ole) OleUninitialize();
  }

  bool Start(const std::string& path, const std::string& movie) {
    ole = SUCCEEDED(OleInitialize(nullptr));
    library = LoadLibraryExW(Widen(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (library == nullptr) return false;
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto* getClassObject = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(library, "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    if (getClassObject == nullptr || FAILED(getClassObject(kPlayerClass, IID_IClassFactory,
                                                           reinterpret_cast<void**>(&factory)))) {
      return false;
    }
    const HRESULT created =
        factory->CreateInstance(nullptr, IID_IOleObject, reinterpret_cast<void**>(&object));
    Drop(factory);
    if (FAILED(created)) {
      object = nullptr;
      return false;
    }
    // A fresh object gets its defaults; one that keeps no state may refuse.
    IPersistStreamInit* persist = nullptr;
    if (SUCCEEDED(
            object->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist)))) {
      persist->InitNew();
      Drop(persist);
    }
    site = new Site(frame);
    RECT bounds{};
    GetClientRect(frame, &bounds);
    if (FAILED(object->SetClientSite(site)) ||
        FAILED(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, frame, &bounds))) {
      return false;
    }
    IDispatch* automation = nullptr;
    if (FAILED(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&automation)))) {
      return false;
    }
    const std::wstring wideMovie = Widen(movie);
    const bool played =
        Invoke(automation, L"Movie", &wideMovie) && Invoke(automation, L"Play", nullptr);
    Drop(automation);
    return played;
  }
};

FlashFrames::FlashFrames() = default;

FlashFrames::~FlashFrames() = default;

void FlashFrames::Play(HWND frame, const std::string& library, const std::string& movie,
                       const std::string& text) {
  if (frame == nullptr) return;
  std::erase_if(players_, [frame](const auto& p) { return p->frame == frame; });
  std::string shown = text;
  if (!library.empty() && !movie.empty()) {
    auto player = std::make_unique<Player>();
    player->frame = frame;
    // The frame does not paint over the player's window.
    SetWindowLongPtrW(frame, GWL_STYLE, GetWindowLongPtrW(frame, GWL_STYLE) | WS_CLIPCHILDREN);
    if (player->Start(library, movie)) {
      players_.push_back(std::move(player));
      shown.clear();
    }
  }
  SetWindowTextW(frame, Widen(shown).c_str());
  InvalidateRect(frame, nullptr, TRUE);
}

}  // namespace vantrell
