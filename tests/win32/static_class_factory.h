// The class factory of the test stand-in libraries: a static object that
// lives as long as its library (AddRef and Release count nothing) and makes
// each object with the function it was given; no aggregation.
#pragma once

#include <windows.h>
#include <unknwn.h>

template <typename Object>
class StaticClassFactory final : public IClassFactory {
 public:
  using Create = Object* (*)();
  explicit StaticClassFactory(Create create) : create_(create) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    Object* object = create_();
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  Create create_;
};
