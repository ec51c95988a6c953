// Stands in for the web server's metabase administration objects in the
// Wine tests (tests/wine/t_web_server.sh): an in-process automation server
// registered under the program identifiers "IISNamespace" and "MimeMap". It
// keeps the metabase's objects (path, class, properties inherited from the
// objects above) in memory, read at the first object from "metabase.txt"
// beside the library, and writes them back there after every SetInfo,
// Delete and control call. Every method call is appended to "metabase.log"
// beside it as "Method path arguments".
//
// metabase.txt: one line "path|class" per object, followed by its
// properties, each a line " name|kind|value" (kind S text, I integer, B
// truth value "TRUE"/"FALSE", M MIME map "ext=type,ext=type").
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "tests/win32/static_class_factory.h"

namespace {

const CLSID kNamespaceClass = {
    0x7f6b3a10, 0x2c4d, 0x4e8f, {0x9a, 0x1b, 0x3c, 0x5d, 0x7e, 0x9f, 0x1a, 0x20}};
const CLSID kMimeMapClass = {
    0x7f6b3a11, 0x2c4d, 0x4e8f, {0x9a, 0x1b, 0x3c, 0x5d, 0x7e, 0x9f, 0x1a, 0x20}};

constexpr HRESULT kPathNotFound = HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
constexpr HRESULT kAlreadyExists = HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
constexpr HRESULT kPropertyNotFound = static_cast<HRESULT>(0x8000500D);

HMODULE module = nullptr;

struct Value {
  char kind = 'S';
  std::string text;
};

struct Node {
  std::string path;
  std::string className;
  std::vector<std::pair<std::string, Value>> properties;
};

std::vector<Node> nodes;
bool loaded = false;
std::vector<std::wstring> names;  // dispatch identifier n is names[n - 1]

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                        b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

std::string Beside(const char* file) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, MAX_PATH);
  std::string folder = path;
  folder.resize(folder.find_last_of('\\') + 1);
  return folder + file;
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

void Load() {
  if (loaded) return;
  loaded = true;
  FILE* file = std::fopen(Beside("metabase.txt").c_str(), "rb");
  if (file == nullptr) return;
  char line[4096];
  while (std::fgets(line, sizeof(line), file) != nullptr) {
    std::string text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    if (text.empty()) continue;
    if (text[0] == ' ' && !nodes.empty()) {
      const size_t first = text.find('|');
      if (first == std::string::npos || first + 2 >= text.size()) continue;
      Value value{text[first + 1], text.substr(first + 3)};
      nodes.back().properties.emplace_back(text.substr(1, first - 1), value);
    } else {
      const size_t bar = text.find('|');
      nodes.push_back(
          {text.substr(0, bar), bar == std::string::npos ? "" : text.substr(bar + 1), {}});
    }
  }
  std::fclose(file);
}

void Save() {
  FILE* file = std::fopen(Beside("metabase.txt").c_str(), "wb");
  if (file == nullptr) return;
  for (const Node& node : nodes) {
    std::fprintf(file, "%s|%s\n", node.path.c_str(), node.className.c_str());
    for (const auto& [name, value] : node.properties)
      std::fprintf(file, " %s|%c|%s\n", name.c_str(), value.kind, value.text.c_str());
  }
  std::fclose(file);
}

void Log(const std::string& line) {
  if (FILE* file = std::fopen(Beside("metabase.log").c_str(), "ab")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

Node* Find(const std::string& path) {
  for (Node& node : nodes) {
    if (SameText(node.path, path)) return &node;
  }
  return nullptr;
}

std::string ChildPath(const std::string& parent, const std::string& name) {
  return parent.empty() ? name : parent + "/" + name;
}

bool Below(const std::string& path, const std::string& parent) {
  return path.size() > parent.size() + 1 && SameText(path.substr(0, parent.size()), parent) &&
         path[parent.size()] == '/';
}

// The text of an argument, whatever its type.
std::string ArgumentText(const VARIANT& argument) {
  VARIANT copy;
  VariantInit(&copy);
  std::string text;
  if (SUCCEEDED(VariantChangeType(&copy, const_cast<VARIANT*>(&argument), 0, VT_BSTR)))
    text = Narrow(copy.bstrVal, static_cast<int>(SysStringLen(copy.bstrVal)));
  VariantClear(&copy);
  return text;
}

HRESULT PropertyText(IDispatch* object, const wchar_t* name, std::string& text) {
  DISPID id = 0;
  auto* member = const_cast<LPOLESTR>(name);
  HRESULT hr = object->GetIDsOfNames(IID_NULL, &member, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  DISPPARAMS none{};
  VARIANT result;
  VariantInit(&result);
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result,
                      nullptr, nullptr);
  if (SUCCEEDED(hr)) text = ArgumentText(result);
  VariantClear(&result);
  return hr;
}

// The common IUnknown and IDispatch of the stand-in's objects; members are
// reached by name only.
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

 protected:
  static std::string Name(DISPID id) {
    if (id < 1 || static_cast<size_t>(id) > names.size()) return {};
    const std::wstring& name = names[static_cast<size_t>(id) - 1];
    return Narrow(name.c_str(), static_cast<int>(name.size()));
  }

 private:
  ULONG references_ = 1;
};

class MimeMapObject final : public DispatchBase {
 public:
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO*, UINT*) override {
    const std::string name = Name(id);
    std::string* field = SameText(name, "Extension")  ? &extension_
                         : SameText(name, "MimeType") ? &type_
                                                      : nullptr;
    if (field == nullptr) return DISP_E_MEMBERNOTFOUND;
    if (flags & DISPATCH_PROPERTYPUT) {
      if (parameters->cArgs < 1) return DISP_E_BADPARAMCOUNT;
      *field = ArgumentText(parameters->rgvarg[0]);
      return S_OK;
    }
    if (result != nullptr) {
      VariantInit(result);
      result->vt = VT_BSTR;
      result->bstrVal = Bstr(*field);
    }
    return S_OK;
  }

 private:
  std::string extension_, type_;
};

class MetabaseObject;

// The children of an object as they were when the walk began.
class ChildEnumerator final : public IEnumVARIANT {
 public:
  explicit ChildEnumerator(std::vector<std::string> paths) : paths_(std::move(paths)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IEnumVARIANT) {
      *out = static_cast<IEnumVARIANT*>(this);
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
  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    next_ += count;
    return next_ <= paths_.size() ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    next_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT**) override { return E_NOTIMPL; }

 private:
  std::vector<std::string> paths_;
  size_t next_ = 0;
  ULONG references_ = 1;
};

class MetabaseObject final : public DispatchBase {
 public:
  explicit MetabaseObject(std::string path) : path_(std::move(path)) {}

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO*, UINT*) override {
    Load();
    VARIANT ignored;
    VariantInit(&ignored);
    if (result == nullptr) result = &ignored;
    VariantInit(result);
    if (id == DISPID_NEWENUM) return Enumerate(result);
    const std::string name = Name(id);
    std::vector<std::string> arguments;
    for (UINT i = parameters->cArgs; i > 0; --i)
      arguments.push_back(ArgumentText(parameters->rgvarg[i - 1]));
    if (flags & DISPATCH_PROPERTYPUT) {
      if (parameters->cArgs < 1) return DISP_E_BADPARAMCOUNT;
      return Put(name, parameters->rgvarg[0]);
    }
    if (flags & DISPATCH_METHOD) {
      const HRESULT hr = Method(name, arguments, result);
      if (hr != DISP_E_MEMBERNOTFOUND) return hr;
    }
    return Get(name, result);
  }

 private:
  HRESULT Method(const std::string& name, const std::vector<std::string>& arguments,
                 VARIANT* result) {
    std::string line = name + " " + path_;
    for (const std::string& argument : arguments) line += " " + argument;
    auto argument = [&](size_t i) { return i < arguments.size() ? arguments[i] : std::string(); };
    if (SameText(name, "GetObject") || SameText(name, "Create")) {
      const std::string child = ChildPath(path_, argument(1));
      Node* node = Find(child);
      if (SameText(name, "Create")) {
        Log(line);
        if (node != nullptr) return kAlreadyExists;
        nodes.push_back({child, argument(0), {}});
      } else if (node == nullptr || !SameText(node->className, argument(0))) {
        return kPathNotFound;
      }
      result->vt = VT_DISPATCH;
      result->pdispVal = new MetabaseObject(child);
      return S_OK;
    }
    if (SameText(name, "Delete")) {
      Log(line);
      const std::string child = ChildPath(path_, argument(1));
      Node* node = Find(child);
      if (node == nullptr || !SameText(node->className, argument(0))) return kPathNotFound;
      nodes.erase(std::remove_if(nodes.begin(), nodes.end(),
                                 [&](const Node& n) {
                                   return SameText(n.path, child) || Below(n.path, child);
                                 }),
                  nodes.end());
      Save();
      return S_OK;
    }
    static const std::pair<const char*, const char*> kControls[] = {
        {"Start", "2"}, {"Stop", "4"}, {"Pause", "6"}, {"Continue", "2"}};
    for (const auto& [control, state] : kControls) {
      if (!SameText(name, control)) continue;
      Log(line);
      Node* node = Find(path_);
      if (node == nullptr) return kPathNotFound;
      Store(*node, "Status", {'I', state});
      Save();
      return S_OK;
    }
    if (SameText(name, "SetInfo")) {
      Log(line);
      if (Find(path_) == nullptr) return kPathNotFound;
      Save();
      return S_OK;
    }
    for (const char* other : {"AppCreate2", "EnableWebServiceExtension", "EnableExtensionFile"}) {
      if (!SameText(name, other)) continue;
      Log(line);
      return Find(path_) != nullptr ? S_OK : kPathNotFound;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

  static void Store(Node& node, const std::string& name, const Value& value) {
    for (auto& [known, stored] : node.properties) {
      if (SameText(known, name)) {
        stored = value;
        return;
      }
    }
    node.properties.emplace_back(name, value);
  }

  HRESULT Put(const std::string& name, const VARIANT& value) {
    Node* node = Find(path_);
    if (node == nullptr) return kPathNotFound;
    Value stored;
    switch (value.vt) {
      case VT_BOOL:
        stored = {'B', value.boolVal != VARIANT_FALSE ? "TRUE" : "FALSE"};
        break;
      case VT_I2:
      case VT_I4:
      case VT_INT:
      case VT_UI4:
        stored = {'I', ArgumentText(value)};
        break;
      case VT_ARRAY | VT_VARIANT: {
        stored.kind = 'M';
        LONG low = 0, high = -1;
        SafeArrayGetLBound(value.parray, 1, &low);
        SafeArrayGetUBound(value.parray, 1, &high);
        for (LONG i = low; i <= high; ++i) {
          VARIANT element;
          VariantInit(&element);
          if (FAILED(SafeArrayGetElement(value.parray, &i, &element))) return DISP_E_TYPEMISMATCH;
          std::string extension, type;
          if (element.vt != VT_DISPATCH || element.pdispVal == nullptr ||
              FAILED(PropertyText(element.pdispVal, L"Extension", extension)) ||
              FAILED(PropertyText(element.pdispVal, L"MimeType", type))) {
            VariantClear(&element);
            return DISP_E_TYPEMISMATCH;
          }
          VariantClear(&element);
          if (!stored.text.empty()) stored.text += ",";
          stored.text += extension + "=" + type;
        }
        break;
      }
      default:
        stored = {'S', ArgumentText(value)};
    }
    Store(*node, name, stored);
    return S_OK;
  }

  HRESULT Get(const std::string& name, VARIANT* result) {
    Node* self = Find(path_);
    if (self == nullptr) return kPathNotFound;
    if (SameText(name, "Class") || SameText(name, "Name")) {
      result->vt = VT_BSTR;
      result->bstrVal = Bstr(SameText(name, "Class") ? self->className
                                                     : path_.substr(path_.find_last_of('/') + 1));
      return S_OK;
    }
    // Properties are inherited from the objects above.
    for (std::string at = path_;;) {
      if (Node* node = Find(at)) {
        for (const auto& [known, value] : node->properties) {
          if (SameText(known, name)) return Answer(value, result);
        }
      }
      const size_t slash = at.find_last_of('/');
      if (slash == std::string::npos) return kPropertyNotFound;
      at.resize(slash);
    }
  }

  static HRESULT Answer(const Value& value, VARIANT* result) {
    if (value.kind == 'I') {
      result->vt = VT_I4;
      result->lVal = std::strtol(value.text.c_str(), nullptr, 10);
    } else if (value.kind == 'B') {
      result->vt = VT_BOOL;
      result->boolVal = value.text == "TRUE" ? VARIANT_TRUE : VARIANT_FALSE;
    } else if (value.kind == 'M') {
      std::vector<std::pair<std::string, std::string>> entries;
      size_t start = 0;
      while (start < value.text.size()) {
        size_t end = value.text.find(',', start);
        if (end == std::string::npos) end = value.text.size();
        const std::string entry = value.text.substr(start, end - start);
        const size_t equals = entry.find('=');
        entries.emplace_back(entry.substr(0, equals),
                             equals == std::string::npos ? "" : entry.substr(equals + 1));
        start = end + 1;
      }
      SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(entries.size()));
      for (LONG i = 0; i < static_cast<LONG>(entries.size()); ++i) {
        auto* map = new MimeMapObject;
        VARIANT text;
        VariantInit(&text);
        DISPPARAMS put{&text, nullptr, 1, 0};
        DISPID id = 0;
        for (const auto& [field, content] :
             {std::pair<const wchar_t*, std::string>{L"Extension", entries[i].first},
              std::pair<const wchar_t*, std::string>{L"MimeType", entries[i].second}}) {
          auto* member = const_cast<LPOLESTR>(field);
          map->GetIDsOfNames(IID_NULL, &member, 1, 0, &id);
          text.vt = VT_BSTR;
          text.bstrVal = Bstr(content);
          map->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr);
          VariantClear(&text);
        }
        VARIANT element;
        VariantInit(&element);
        element.vt = VT_DISPATCH;
        element.pdispVal = map;
        SafeArrayPutElement(array, &i, &element);
        map->Release();
      }
      result->vt = VT_ARRAY | VT_VARIANT;
      result->parray = array;
    } else {
      result->vt = VT_BSTR;
      result->bstrVal = Bstr(value.text);
    }
    return S_OK;
  }

  HRESULT Enumerate(VARIANT* result) {
    std::vector<std::string> children;
    for (const Node& node : nodes) {
      if (Below(node.path, path_) && node.path.find('/', path_.size() + 1) == std::string::npos)
        children.push_back(node.path);
    }
    result->vt = VT_UNKNOWN;
    result->punkVal = new ChildEnumerator(std::move(children));
    return S_OK;
  }

  std::string path_;
};

HRESULT ChildEnumerator::Next(ULONG count, VARIANT* items, ULONG* fetched) {
  ULONG given = 0;
  while (given < count && next_ < paths_.size()) {
    VariantInit(&items[given]);
    items[given].vt = VT_DISPATCH;
    items[given].pdispVal = new MetabaseObject(paths_[next_++]);
    ++given;
  }
  if (fetched != nullptr) *fetched = given;
  return given == count ? S_OK : S_FALSE;
}

StaticClassFactory<DispatchBase> namespaceFactory([]() -> DispatchBase* {
  return new MetabaseObject("");
});
StaticClassFactory<DispatchBase> mimeMapFactory([]() -> DispatchBase* {
  return new MimeMapObject;
});

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) module = instance;
  return TRUE;
}

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID id, REFIID iid, void** out) {
  if (id == kNamespaceClass) return namespaceFactory.QueryInterface(iid, out);
  if (id == kMimeMapClass) return mimeMapFactory.QueryInterface(iid, out);
  *out = nullptr;
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return S_FALSE;
}
}
