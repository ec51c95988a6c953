// Late binding on automation objects: owned IDispatch references and
// VARIANTs, argument lists, and calls by member name (method, property get,
// property put). Every call returns the object's HRESULT. The engine's
// metabase adapter and its test programs use it.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>
#include <vector>

namespace vantrell::late {

// One reference to an automation object.
class Dispatch {
 public:
  Dispatch() = default;
  explicit Dispatch(IDispatch* owned) : object_(owned) {}
  Dispatch(const Dispatch& other);
  Dispatch& operator=(const Dispatch& other);
  Dispatch(Dispatch&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
  Dispatch& operator=(Dispatch&& other) noexcept;
  ~Dispatch();

  IDispatch* Get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  IDispatch* object_ = nullptr;
};

// An owned VARIANT, cleared when it goes.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&value_); }
  VARIANT* Out() {
    VariantClear(&value_);
    return &value_;
  }
  const VARIANT& Get() const { return value_; }
  VARIANT& Get() { return value_; }

 private:
  VARIANT value_;
};

// Arguments in their written order; each owned and cleared with the list.
class Arguments {
 public:
  Arguments() = default;
  Arguments(const Arguments&) = delete;
  Arguments& operator=(const Arguments&) = delete;
  ~Arguments();
  Arguments& Text(std::wstring_view text);
  Arguments& Int(long value);
  Arguments& Bool(bool value);
  // Takes over the VARIANT (left empty).
  Arguments& Take(VARIANT& value);
  const std::vector<VARIANT>& Items() const { return items_; }

 private:
  std::vector<VARIANT> items_;
};

HRESULT Method(IDispatch* object, const wchar_t* name, const Arguments& arguments,
               VARIANT* result = nullptr);
HRESULT PropertyGet(IDispatch* object, const wchar_t* name, VARIANT* result,
                    const Arguments* arguments = nullptr);
HRESULT PropertyPut(IDispatch* object, const wchar_t* name, const VARIANT& value);

// The object of a VARIANT holding one (its own reference), or empty.
Dispatch ObjectOf(const VARIANT& value);
// A method or property whose result is an object.
HRESULT ObjectMethod(IDispatch* object, const wchar_t* name, const Arguments& arguments,
                     Dispatch& result);
HRESULT ObjectProperty(IDispatch* object, const wchar_t* name, Dispatch& result,
                       const Arguments* arguments = nullptr);

// A new object of the class registered under the program identifier.
HRESULT CreateObject(const wchar_t* progId, Dispatch& result);

// Each element of an enumerable object (its "_NewEnum"); visit returns false
// to stop. The first failing step's HRESULT, else S_OK.
template <typename Visit>
HRESULT ForEach(IDispatch* object, Visit visit);
HRESULT Enumerator(IDispatch* object, IEnumVARIANT** result);

// Texts in the system code page and in BSTRs.
std::wstring Wide(std::string_view text);
std::string Narrow(const wchar_t* text, size_t length);
std::string Narrow(BSTR text);

template <typename Visit>
HRESULT ForEach(IDispatch* object, Visit visit) {
  IEnumVARIANT* items = nullptr;
  HRESULT hr = Enumerator(object, &items);
  if (FAILED(hr)) return hr;
  // Released however the walk ends, a visit that raises included.
  struct Release {
    IEnumVARIANT* items;
    ~Release() { items->Release(); }
  } release{items};
  for (;;) {
    Variant item;
    ULONG fetched = 0;
    hr = items->Next(1, item.Out(), &fetched);
    if (hr != S_OK || fetched != 1) break;
    if (!visit(item.Get())) break;
  }
  return FAILED(hr) ? hr : S_OK;
}

}  // namespace vantrell::late
