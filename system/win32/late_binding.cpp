// Late binding on automation objects (see late_binding.h).
#include "system/win32/late_binding.h"

#include <algorithm>

namespace vantrell::late {
namespace {

HRESULT Invoke(IDispatch* object, const wchar_t* name, WORD kind, const std::vector<VARIANT>& items,
               VARIANT* result) {
  if (object == nullptr) return E_POINTER;
  DISPID id = 0;
  auto* member = const_cast<LPOLESTR>(name);
  HRESULT hr = object->GetIDsOfNames(IID_NULL, &member, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  // Automation takes the arguments last first.
  std::vector<VARIANT> reversed(items.rbegin(), items.rend());
  DISPPARAMS parameters{};
  parameters.rgvarg = reversed.empty() ? nullptr : reversed.data();
  parameters.cArgs = static_cast<UINT>(reversed.size());
  DISPID named = DISPID_PROPERTYPUT;
  if (kind == DISPATCH_PROPERTYPUT) {
    parameters.rgdispidNamedArgs = &named;
    parameters.cNamedArgs = 1;
  }
  Variant ignored;
  EXCEPINFO exception{};
  UINT badArgument = 0;
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters,
                      result != nullptr ? result : ignored.Out(), &exception, &badArgument);
  if (exception.bstrSource != nullptr) SysFreeString(exception.bstrSource);
  if (exception.bstrDescription != nullptr) SysFreeString(exception.bstrDescription);
  if (exception.bstrHelpFile != nullptr) SysFreeString(exception.bstrHelpFile);
  if (hr == DISP_E_EXCEPTION && exception.scode != 0) return exception.scode;
  return hr;
}

}  // namespace

Dispatch::Dispatch(const Dispatch& other) : object_(other.object_) {
  if (object_ != nullptr) object_->AddRef();
}

Dispatch& Dispatch::operator=(const Dispatch& other) {
  if (this != &other) {
    if (other.object_ != nullptr) other.object_->AddRef();
    if (object_ != nullptr) object_->Release();
    object_ = other.object_;
  }
  return *this;
}

Dispatch& Dispatch::operator=(Dispatch&& other) noexcept {
  if (this != &other) {
    if (object_ != nullptr) object_->Release();
    object_ = other.object_;
    other.object_ = nullptr;
  }
  return *this;
}

Dispatch::~Dispatch() {
  if (object_ != nullptr) object_->Release();
}

Arguments::~Arguments() {
  for (VARIANT& item : items_) VariantClear(&item);
}

Arguments& Arguments::Text(std::wstring_view text) {
  VARIANT item;
  VariantInit(&item);
  item.vt = VT_BSTR;
  item.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  items_.push_back(item);
  return *this;
}

Arguments& Arguments::Int(long value) {
  VARIANT item;
  VariantInit(&item);
  item.vt = VT_I4;
  item.lVal = value;
  items_.push_back(item);
  return *this;
}

Arguments& Arguments::Bool(bool value) {
  VARIANT item;
  VariantInit(&item);
  item.vt = VT_BOOL;
  item.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  items_.push_back(item);
  return *this;
}

Arguments& Arguments::Take(VARIANT& value) {
  items_.push_back(value);
  VariantInit(&value);
  return *this;
}

HRESULT Method(IDispatch* object, const wchar_t* name, const Arguments& arguments,
               VARIANT* result) {
  return Invoke(object, name, DISPATCH_METHOD, arguments.Items(), result);
}

HRESULT PropertyGet(IDispatch* object, const wchar_t* name, VARIANT* result,
                    const Arguments* arguments) {
  static const std::vector<VARIANT> kNone;
  return Invoke(object, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                arguments != nullptr ? arguments->Items() : kNone, result);
}

HRESULT PropertyPut(IDispatch* object, const wchar_t* name, const VARIANT& value) {
  return Invoke(object, name, DISPATCH_PROPERTYPUT, std::vector<VARIANT>{value}, nullptr);
}

Dispatch ObjectOf(const VARIANT& value) {
  IDispatch* object = nullptr;
  if (value.vt == VT_DISPATCH && value.pdispVal != nullptr) {
    value.pdispVal->AddRef();
    object = value.pdispVal;
  } else if (value.vt == VT_UNKNOWN && value.punkVal != nullptr) {
    value.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object));
  }
  return Dispatch(object);
}

HRESULT ObjectMethod(IDispatch* object, const wchar_t* name, const Arguments& arguments,
                     Dispatch& result) {
  Variant value;
  HRESULT hr = Method(object, name, arguments, value.Out());
  if (FAILED(hr)) return hr;
  result = ObjectOf(value.Get());
  return result ? S_OK : DISP_E_TYPEMISMATCH;
}

HRESULT ObjectProperty(IDispatch* object, const wchar_t* name, Dispatch& result,
                       const Arguments* arguments) {
  Variant value;
  HRESULT hr = PropertyGet(object, name, value.Out(), arguments);
  if (FAILED(hr)) return hr;
  result = ObjectOf(value.Get());
  return result ? S_OK : DISP_E_TYPEMISMATCH;
}

HRESULT CreateObject(const wchar_t* progId, Dispatch& result) {
  CLSID id{};
  HRESULT hr = CLSIDFromProgID(progId, &id);
  if (FAILED(hr)) return hr;
  IDispatch* object = nullptr;
  hr = CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                        reinterpret_cast<void**>(&object));
  if (FAILED(hr)) return hr;
  result = Dispatch(object);
  return S_OK;
}

HRESULT Enumerator(IDispatch* object, IEnumVARIANT** result) {
  *result = nullptr;
  if (object == nullptr) return E_POINTER;
  DISPPARAMS none{};
  Variant value;
  EXCEPINFO exception{};
  UINT badArgument = 0;
  HRESULT hr = object->Invoke(DISPID_NEWENUM, IID_NULL, LOCALE_USER_DEFAULT,
                              DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none, value.Out(),
                              &exception, &badArgument);
  if (FAILED(hr)) return hr;
  IUnknown* unknown = value.Get().vt == VT_UNKNOWN    ? value.Get().punkVal
                      : value.Get().vt == VT_DISPATCH ? value.Get().pdispVal
                                                      : nullptr;
  if (unknown == nullptr) return DISP_E_TYPEMISMATCH;
  return unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(result));
}

std::wstring Wide(std::string_view text) {
  if (text.empty()) return {};
  const int size =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(std::max(size, 0)), L'\0');
  if (size > 0)
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::string Narrow(const wchar_t* text, size_t length) {
  if (text == nullptr || length == 0) return {};
  const int size =
      WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(std::max(size, 0)), '\0');
  if (size > 0)
    WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), narrow.data(), size, nullptr,
                        nullptr);
  return narrow;
}

std::string Narrow(BSTR text) {
  return Narrow(text, text != nullptr ? SysStringLen(text) : 0);
}

}  // namespace vantrell::late
