// Stands in for the application host administration objects of web servers
// of version 7.0 and later in the Wine tests (tests/wine/t_web_server.sh):
// an in-process automation server registered under the program identifier
// "Microsoft.ApplicationHost.WritableAdminManager" that the wrapper library
// drives. Sections (by location and name) hold configuration elements with
// attributes, named child elements, collections and the site methods
// "Start" and "Stop". Sites are seeded from "apphost.txt" beside the library
// ("site|id|name|state|physical path" lines, "anonymous|account"); every
// CommitChanges writes every section to "apphost.out" and every method run
// and commit is appended to "apphost.log".
//
// apphost.out: "[location section]" per section, then its elements one a
// line, indented by depth: "name|attribute=value|..." for collection
// entries, ".name|..." for named child elements.
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/win32/static_class_factory.h"

namespace {

const CLSID kManagerClass = {
    0x7f6b3a12, 0x2c4d, 0x4e8f, {0x9a, 0x1b, 0x3c, 0x5d, 0x7e, 0x9f, 0x1a, 0x20}};
constexpr HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
constexpr const char* kAppHost = "MACHINE/WEBROOT/APPHOST";

HMODULE module = nullptr;

struct Element {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::vector<std::pair<std::string, Element*>> children;
  std::vector<Element*> collection;

  const std::string* Attribute(const std::string& key) const {
    for (const auto& [known, value] : attributes) {
      if (lstrcmpiA(known.c_str(), key.c_str()) == 0) return &value;
    }
    return nullptr;
  }
  void Set(const std::string& key, const std::string& value) {
    for (auto& [known, stored] : attributes) {
      if (lstrcmpiA(known.c_str(), key.c_str()) == 0) {
        stored = value;
        return;
      }
    }
    attributes.emplace_back(key, value);
  }
  Element* Child(const std::string& key) {
    for (auto& [known, child] : children) {
      if (lstrcmpiA(known.c_str(), key.c_str()) == 0) return child;
    }
    children.emplace_back(key, new Element{key, {}, {}, {}});
    return children.back().second;
  }
};

// Sections by "location|section"; elements are never freed in the test's process.
std::vector<std::pair<std::string, Element*>> sections;
bool seeded = false;
std::vector<std::wstring> names;
std::map<IDispatch*, Element*> elementObjects;

std::string Beside(const char* file) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, MAX_PATH);
  std::string folder = path;
  folder.resize(folder.find_last_of('\\') + 1);
  return folder + file;
}

void Log(const std::string& line) {
  if (FILE* file = std::fopen(Beside("apphost.log").c_str(), "ab")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

std::string Narrow(const wchar_t* text, int length) {
  if (text == nullptr || length <= 0) return {};
  int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, length, narrow.data(), size, nullptr, nullptr);
  return narrow;
}

BSTR Bstr(const std::string& text) {
  int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(size));
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result, size);
  return result;
}

std::string ArgumentText(const VARIANT& argument) {
  if (argument.vt == VT_BOOL) return argument.boolVal != VARIANT_FALSE ? "true" : "false";
  VARIANT copy;
  VariantInit(&copy);
  std::string text;
  if (SUCCEEDED(VariantChangeType(&copy, const_cast<VARIANT*>(&argument), 0, VT_BSTR)))
    text = Narrow(copy.bstrVal, static_cast<int>(SysStringLen(copy.bstrVal)));
  VariantClear(&copy);
  return text;
}

Element* Section(const std::string& location, const std::string& name) {
  const std::string key = location + " " + name;
  for (auto& [known, element] : sections) {
    if (lstrcmpiA(known.c_str(), key.c_str()) == 0) return element;
  }
  sections.emplace_back(key, new Element{name, {}, {}, {}});
  return sections.back().second;
}

void Seed() {
  if (seeded) return;
  seeded = true;
  Section(kAppHost, "system.webServer/security/authentication/anonymousAuthentication")
      ->Set("userName", "IUSR");
  FILE* file = std::fopen(Beside("apphost.txt").c_str(), "rb");
  if (file == nullptr) return;
  char line[1024];
  while (std::fgets(line, sizeof(line), file) != nullptr) {
    std::vector<std::string> fields(1);
    for (const char* c = line; *c != '\0' && *c != '\r' && *c != '\n'; ++c) {
      if (*c == '|') {
        fields.emplace_back();
      } else {
        fields.back() += *c;
      }
    }
    if (fields[0] == "anonymous" && fields.size() == 2) {
      Section(kAppHost, "system.webServer/security/authentication/anonymousAuthentication")
          ->Set("userName", fields[1]);
    } else if (fields[0] == "site" && fields.size() == 5) {
      auto* site = new Element{
          "site", {{"name", fields[2]}, {"id", fields[1]}, {"state", fields[3]}}, {}, {}};
      auto* application = new Element{"application", {{"path", "/"}}, {}, {}};
      application->collection.push_back(
          new Element{"virtualDirectory", {{"path", "/"}, {"physicalPath", fields[4]}}, {}, {}});
      site->collection.push_back(application);
      Section(kAppHost, "system.applicationHost/sites")->collection.push_back(site);
    }
  }
  std::fclose(file);
}

void Dump(FILE* file, const Element& element, int depth, const std::string& mark) {
  std::fprintf(file, "%*s%s%s", depth * 2, "", mark.c_str(), element.name.c_str());
  for (const auto& [key, value] : element.attributes)
    std::fprintf(file, "|%s=%s", key.c_str(), value.c_str());
  std::fprintf(file, "\n");
  for (const auto& [key, child] : element.children) Dump(file, *child, depth + 1, ".");
  for (const Element* entry : element.collection) Dump(file, *entry, depth + 1, "");
}

void Save() {
  FILE* file = std::fopen(Beside("apphost.out").c_str(), "wb");
  if (file == nullptr) return;
  for (const auto& [key, element] : sections) {
    std::fprintf(file, "[%s]\n", key.c_str());
    for (const auto& [name, child] : element->children) Dump(file, *child, 0, ".");
    for (const Element* entry : element->collection) Dump(file, *entry, 0, "");
    for (const auto& [attribute, value] : element->attributes)
      std::fprintf(file, "@%s=%s\n", attribute.c_str(), value.c_str());
  }
  std::fclose(file);
}

class DispatchBase : public IDispatch {
 public:
  virtual ~DispatchBase() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* requested, UINT count, LCID,
                                          DISPID* ids) override {
    for (UINT i = 0; i < count; ++i) {
      auto known = std::find_if(names.begin(), names.end(), [&](const std::wstring& name) {
        return lstrcmpiW(name.c_str(), requested[i]) == 0;
      });
      if (known == names.end()) known = names.insert(names.end(), requested[i]);
      ids[i] = static_cast<DISPID>(known - names.begin() + 1);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO*, UINT*) override {
    Seed();
    VARIANT ignored;
    VariantInit(&ignored);
    if (result == nullptr) result = &ignored;
    VariantInit(result);
    std::vector<const VARIANT*> arguments;
    for (UINT i = parameters->cArgs; i > 0; --i) arguments.push_back(&parameters->rgvarg[i - 1]);
    if (id < 1 || static_cast<size_t>(id) > names.size()) return DISP_E_MEMBERNOTFOUND;
    const std::wstring& wide = names[static_cast<size_t>(id) - 1];
    const HRESULT hr = Member(Narrow(wide.c_str(), static_cast<int>(wide.size())),
                              (flags & DISPATCH_PROPERTYPUT) != 0, arguments, result);
    VariantClear(&ignored);
    return hr;
  }

 protected:
  // put: a property put, whose value is the last argument.
  virtual HRESULT Member(const std::string& name, bool put,
                         const std::vector<const VARIANT*>& arguments, VARIANT* result) = 0;

  static bool Is(const std::string& name, const char* member) {
    return lstrcmpiA(name.c_str(), member) == 0;
  }
  static std::string Argument(const std::vector<const VARIANT*>& arguments, size_t i) {
    return i < arguments.size() ? ArgumentText(*arguments[i]) : std::string();
  }
  static HRESULT Give(IDispatch* object, VARIANT* result) {
    result->vt = VT_DISPATCH;
    result->pdispVal = object;
    return S_OK;
  }
  static HRESULT Give(const std::string& text, VARIANT* result) {
    result->vt = VT_BSTR;
    result->bstrVal = Bstr(text);
    return S_OK;
  }
  static HRESULT Give(long number, VARIANT* result) {
    result->vt = VT_I4;
    result->lVal = number;
    return S_OK;
  }

 private:
  ULONG references_ = 1;
};

class ElementObject;

class PropertyObject final : public DispatchBase {
 public:
  PropertyObject(Element* element, std::string name) : element_(element), name_(std::move(name)) {}

 protected:
  HRESULT Member(const std::string& name, bool put, const std::vector<const VARIANT*>& arguments,
                 VARIANT* result) override {
    if (Is(name, "Name")) return Give(name_, result);
    if (!Is(name, "Value")) return DISP_E_MEMBERNOTFOUND;
    if (put) {
      if (arguments.empty()) return DISP_E_BADPARAMCOUNT;
      element_->Set(name_, ArgumentText(*arguments.back()));
      return S_OK;
    }
    const std::string* value = element_->Attribute(name_);
    return value != nullptr ? Give(*value, result) : kNotFound;
  }

 private:
  Element* element_;
  std::string name_;
};

class MethodObject final : public DispatchBase {
 public:
  MethodObject(Element* element, std::string name, bool instance)
      : element_(element), name_(std::move(name)), instance_(instance) {}

 protected:
  HRESULT Member(const std::string& name, bool, const std::vector<const VARIANT*>&,
                 VARIANT* result) override {
    if (!instance_ && Is(name, "CreateInstance"))
      return Give(new MethodObject(element_, name_, true), result);
    if (!instance_ || !Is(name, "Execute")) return DISP_E_MEMBERNOTFOUND;
    const std::string* site = element_->Attribute("name");
    Log(name_ + " " + (site != nullptr ? *site : std::string("?")));
    if (Is(name_, "Start")) element_->Set("state", "1");
    if (Is(name_, "Stop")) element_->Set("state", "3");
    return S_OK;
  }

 private:
  Element* element_;
  std::string name_;
  bool instance_;
};

// The element's attributes (kind 0), child elements (1), collection (2) or methods (3).
class ListObject final : public DispatchBase {
 public:
  ListObject(Element* element, int kind) : element_(element), kind_(kind) {}

 protected:
  HRESULT Member(const std::string& name, bool, const std::vector<const VARIANT*>& arguments,
                 VARIANT* result) override;

 private:
  Element* element_;
  int kind_;
};

class ElementObject final : public DispatchBase {
 public:
  explicit ElementObject(Element* element) : element_(element) {
    elementObjects[static_cast<IDispatch*>(this)] = element;
  }
  ~ElementObject() override { elementObjects.erase(static_cast<IDispatch*>(this)); }

 protected:
  HRESULT Member(const std::string& name, bool, const std::vector<const VARIANT*>& arguments,
                 VARIANT* result) override {
    if (Is(name, "Name")) return Give(element_->name, result);
    if (Is(name, "Properties")) return Give(new ListObject(element_, 0), result);
    if (Is(name, "ChildElements")) return Give(new ListObject(element_, 1), result);
    if (Is(name, "Collection")) return Give(new ListObject(element_, 2), result);
    if (Is(name, "Methods")) return Give(new ListObject(element_, 3), result);
    if (Is(name, "GetPropertyByName"))
      return Give(new PropertyObject(element_, Argument(arguments, 0)), result);
    if (Is(name, "GetElementByName"))
      return Give(new ElementObject(element_->Child(Argument(arguments, 0))), result);
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  Element* element_;
};

HRESULT ListObject::Member(const std::string& name, bool,
                           const std::vector<const VARIANT*>& arguments, VARIANT* result) {
  std::vector<Element*>& entries = element_->collection;
  if (Is(name, "Count")) {
    const size_t counts[] = {element_->attributes.size(), element_->children.size(), entries.size(),
                             2};
    return Give(static_cast<long>(counts[kind_]), result);
  }
  if (Is(name, "Item")) {
    if (arguments.empty()) return DISP_E_BADPARAMCOUNT;
    const std::string key = Argument(arguments, 0);
    switch (kind_) {
      case 0:
        return Give(new PropertyObject(element_, key), result);
      case 1:
        return Give(new ElementObject(element_->Child(key)), result);
      case 2: {
        const long index = std::strtol(key.c_str(), nullptr, 10);
        if (index < 0 || static_cast<size_t>(index) >= entries.size()) return DISP_E_BADINDEX;
        return Give(new ElementObject(entries[static_cast<size_t>(index)]), result);
      }
      default:
        if (!Is(key, "Start") && !Is(key, "Stop")) return kNotFound;
        return Give(new MethodObject(element_, key, false), result);
    }
  }
  if (kind_ != 2) return DISP_E_MEMBERNOTFOUND;
  if (Is(name, "CreateNewElement"))
    return Give(new ElementObject(new Element{Argument(arguments, 0), {}, {}, {}}), result);
  if (Is(name, "AddElement")) {
    if (arguments.empty() || arguments[0]->vt != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
    auto found = elementObjects.find(arguments[0]->pdispVal);
    if (found == elementObjects.end()) return DISP_E_TYPEMISMATCH;
    entries.push_back(found->second);
    return S_OK;
  }
  if (Is(name, "DeleteElement")) {
    const long index = std::strtol(Argument(arguments, 0).c_str(), nullptr, 10);
    if (index < 0 || static_cast<size_t>(index) >= entries.size()) return DISP_E_BADINDEX;
    entries.erase(entries.begin() + index);
    return S_OK;
  }
  if (Is(name, "Clear")) {
    entries.clear();
    return S_OK;
  }
  return DISP_E_MEMBERNOTFOUND;
}

class ManagerObject final : public DispatchBase {
 protected:
  HRESULT Member(const std::string& name, bool put, const std::vector<const VARIANT*>& arguments,
                 VARIANT* result) override {
    if (Is(name, "CommitPath")) {
      if (put && !arguments.empty()) commitPath_ = ArgumentText(*arguments.back());
      return put ? S_OK : Give(commitPath_, result);
    }
    if (Is(name, "GetAdminSection"))
      return Give(new ElementObject(Section(Argument(arguments, 1), Argument(arguments, 0))),
                  result);
    if (Is(name, "CommitChanges")) {
      Log("CommitChanges " + commitPath_);
      Save();
      return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  std::string commitPath_;
};

StaticClassFactory<ManagerObject> factory([]() { return new ManagerObject; });

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) module = instance;
  return TRUE;
}

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID id, REFIID iid, void** out) {
  // The wrapper library ends COM after each call, which would unload this
  // library and its state with it; it stays for the process instead.
  HMODULE pinned = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                     reinterpret_cast<LPCWSTR>(&factory), &pinned);
  if (id == kManagerClass) return factory.QueryInterface(iid, out);
  *out = nullptr;
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return S_FALSE;
}
}
