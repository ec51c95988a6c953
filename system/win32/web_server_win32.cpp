// The web server's platform on Windows (see web_server_win32.h).
#include "system/win32/web_server_win32.h"

#include <windows.h>

#include <utility>
#include <vector>

#include "system/win32/ahadmin_wrapper_exports.h"
#include "system/win32/late_binding.h"

namespace vantrell {
namespace {

using late::Arguments;
using late::Dispatch;
using late::Narrow;
using late::Variant;
using late::Wide;

void Check(HRESULT hr, const char* what) {
  if (FAILED(hr)) throw AutomationError(what);
}

// A new "MimeMap" object holding one entry.
Dispatch NewMimeMap(const MimeEntry& entry) {
  Dispatch map;
  Check(late::CreateObject(L"MimeMap", map), "MimeMap");
  Arguments extension;
  extension.Text(Wide(entry.extension));
  Check(late::PropertyPut(map.Get(), L"Extension", extension.Items()[0]), "Extension");
  Arguments type;
  type.Text(Wide(entry.type));
  Check(late::PropertyPut(map.Get(), L"MimeType", type.Items()[0]), "MimeType");
  return map;
}

// The value as a VARIANT; a MIME map becomes an array of new map objects.
void ToVariant(const AutomationValue& value, Arguments& into) {
  if (const auto* text = std::get_if<std::string>(&value)) {
    into.Text(Wide(*text));
  } else if (const auto* number = std::get_if<int32_t>(&value)) {
    into.Int(*number);
  } else if (const auto* truth = std::get_if<bool>(&value)) {
    into.Bool(*truth);
  } else {
    const auto& entries = std::get<std::vector<MimeEntry>>(value);
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(entries.size()));
    if (array == nullptr) throw AutomationError("MimeMap array");
    VARIANT list;
    VariantInit(&list);
    list.vt = VT_ARRAY | VT_VARIANT;
    list.parray = array;
    // The list owns the array from here on, whatever happens below.
    into.Take(list);
    for (LONG i = 0; i < static_cast<LONG>(entries.size()); ++i) {
      Dispatch map = NewMimeMap(entries[static_cast<size_t>(i)]);
      VARIANT element;
      VariantInit(&element);
      element.vt = VT_DISPATCH;
      element.pdispVal = map.Get();
      Check(SafeArrayPutElement(array, &i, &element), "MimeMap element");
    }
  }
}

std::string TextProperty(IDispatch* object, const wchar_t* name) {
  Variant value;
  Check(late::PropertyGet(object, name, value.Out()), "property");
  Check(VariantChangeType(&value.Get(), &value.Get(), 0, VT_BSTR), "text");
  return Narrow(value.Get().bstrVal);
}

// An array of objects read back as MIME entries.
std::vector<MimeEntry> MimeEntries(SAFEARRAY* array) {
  std::vector<MimeEntry> entries;
  LONG low = 0, high = -1;
  SafeArrayGetLBound(array, 1, &low);
  SafeArrayGetUBound(array, 1, &high);
  for (LONG i = low; i <= high; ++i) {
    Variant element;
    Check(SafeArrayGetElement(array, &i, element.Out()), "MimeMap element");
    Dispatch map = late::ObjectOf(element.Get());
    if (!map) throw AutomationError("MimeMap element");
    entries.push_back(
        {TextProperty(map.Get(), L"Extension"), TextProperty(map.Get(), L"MimeType")});
  }
  return entries;
}

AutomationValue FromVariant(VARIANT& value) {
  switch (value.vt) {
    case VT_EMPTY:
    case VT_NULL:
      return std::string();
    case VT_BOOL:
      return value.boolVal != VARIANT_FALSE;
    case VT_ARRAY | VT_VARIANT:
      return MimeEntries(value.parray);
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_INT:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UINT:
      Check(VariantChangeType(&value, &value, 0, VT_I4), "integer");
      return static_cast<int32_t>(value.lVal);
    default:
      Check(VariantChangeType(&value, &value, 0, VT_BSTR), "text");
      return Narrow(value.bstrVal);
  }
}

class DispatchObject final : public AutomationObject {
 public:
  explicit DispatchObject(Dispatch object) : object_(std::move(object)) {}

  std::unique_ptr<AutomationObject> Open(const std::string& className,
                                         const std::string& name) override {
    return Child(L"GetObject", className, name);
  }
  std::unique_ptr<AutomationObject> Create(const std::string& className,
                                           const std::string& name) override {
    return Child(L"Create", className, name);
  }
  void Delete(const std::string& className, const std::string& name) override {
    Arguments arguments;
    arguments.Text(Wide(className)).Text(Wide(name));
    Check(late::Method(object_.Get(), L"Delete", arguments), "Delete");
  }
  AutomationValue Get(const std::string& property) override {
    Variant value;
    Check(late::PropertyGet(object_.Get(), Wide(property).c_str(), value.Out()), "Get");
    return FromVariant(value.Get());
  }
  void Put(const std::string& property, const AutomationValue& value) override {
    Arguments argument;
    ToVariant(value, argument);
    Check(late::PropertyPut(object_.Get(), Wide(property).c_str(), argument.Items()[0]), "Put");
  }
  void Call(const std::string& method, const std::vector<AutomationValue>& arguments) override {
    Arguments list;
    for (const AutomationValue& argument : arguments) ToVariant(argument, list);
    Check(late::Method(object_.Get(), Wide(method).c_str(), list), "Call");
  }
  void EachChild(const std::function<void(AutomationObject&)>& visit) override {
    Check(late::ForEach(object_.Get(),
                        [&](const VARIANT& item) {
                          Dispatch child = late::ObjectOf(item);
                          if (!child) return true;
                          DispatchObject object(std::move(child));
                          visit(object);
                          return true;
                        }),
          "children");
  }

 private:
  std::unique_ptr<AutomationObject> Child(const wchar_t* method, const std::string& className,
                                          const std::string& name) {
    Arguments arguments;
    arguments.Text(Wide(className)).Text(Wide(name));
    Dispatch child;
    Check(late::ObjectMethod(object_.Get(), method, arguments, child), "child");
    return std::make_unique<DispatchObject>(std::move(child));
  }

  Dispatch object_;
};

// Loads the library, calls the export when it is there and releases the
// library again; nullopt when either is missing.
template <typename Export, typename Call>
auto WithExport(const std::string& library, const char* name, Call call)
    -> std::optional<decltype(call(Export{}))> {
  HMODULE module = LoadLibraryExA(library.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr) return std::nullopt;
  std::optional<decltype(call(Export{}))> result;
  if (auto function =
          reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(module, name))))
    result = call(function);
  FreeLibrary(module);
  return result;
}

// A text export: the engine's buffer, filled by the library.
template <typename Export, typename Call>
std::optional<std::string> TextExport(const std::string& library, const char* name, Call call) {
  std::vector<char> buffer(kWrapperTextBuffer, '\0');
  const bool called = WithExport<Export>(library, name, [&](Export function) {
                        call(function, buffer.data(), kWrapperTextBuffer);
                        return true;
                      }).has_value();
  if (!called) return std::nullopt;
  buffer.back() = '\0';
  return std::string(buffer.data());
}

}  // namespace

bool Win32AdminLibrary::CreateIISSite(const std::string& library, const WrapperSite& v) {
  return WithExport<CreateIISSiteExport>(
             library, "CreateIISSite",
             [&](CreateIISSiteExport f) {
               f(v.description.c_str(), v.number.c_str(), v.address.c_str(), v.hostHeader.c_str(),
                 v.port.c_str(), v.sslPort.c_str(), v.connectionTimeout, v.keepAlive, v.logVisits,
                 v.allowAsp, v.allowExecutables, v.unlimitedConnections, v.wrapperFlag,
                 v.maxConnections, v.serverSize);
               return true;
             })
      .has_value();
}

std::optional<bool> Win32AdminLibrary::CreateIISSiteFolder(const std::string& library,
                                                           const WrapperFolder& f) {
  return WithExport<CreateIISSiteFolderExport>(
      library, "CreateIISSiteFolder", [&](CreateIISSiteFolderExport call) {
        return call(f.path.c_str(), f.site, f.physicalPath.c_str(), f.scriptSource, f.read, f.write,
                    f.browse, f.logVisits, f.indexed, f.protection, f.execute, f.defaultDocEnabled,
                    f.defaultDocuments.c_str(), f.footer.c_str(), f.anonymous,
                    f.windowsAuthentication, f.basicAuthentication, f.mimeTypes.c_str(),
                    f.poolName.c_str()) != FALSE;
      });
}

std::optional<bool> Win32AdminLibrary::DeleteIISSiteFolder(const std::string& library, int32_t site,
                                                           const std::string& path) {
  return WithExport<DeleteIISSiteFolderExport>(
      library, "DeleteIISSiteFolder",
      [&](DeleteIISSiteFolderExport call) { return call(site, path.c_str()) != FALSE; });
}

std::optional<bool> Win32AdminLibrary::DeleteIISSite(const std::string& library, int32_t site) {
  return WithExport<DeleteIISSiteExport>(
      library, "DeleteIISSite", [&](DeleteIISSiteExport call) { return call(site) != FALSE; });
}

std::optional<bool> Win32AdminLibrary::ControlIISSite(const std::string& library, int32_t site,
                                                      int32_t action) {
  return WithExport<ControlIISSiteExport>(
      library, "ControlIISSite",
      [&](ControlIISSiteExport call) { return call(site, action) != FALSE; });
}

std::optional<std::string> Win32AdminLibrary::GetIISSiteList(const std::string& library) {
  return TextExport<GetIISSiteListExport>(
      library, "GetIISSiteList",
      [](GetIISSiteListExport call, char* buffer, int size) { call(buffer, size); });
}

std::optional<int32_t> Win32AdminLibrary::GetIISSiteIndex(const std::string& library,
                                                          const std::string& description) {
  return WithExport<GetIISSiteIndexExport>(library, "GetIISSiteIndex",
                                           [&](GetIISSiteIndexExport call) {
                                             int index = 0;
                                             call(description.c_str(), &index);
                                             return static_cast<int32_t>(index);
                                           });
}

std::optional<std::string> Win32AdminLibrary::GetIISProperty(const std::string& library,
                                                             int32_t site, const std::string& path,
                                                             const std::string& property) {
  return TextExport<GetIISPropertyExport>(
      library, "GetIISProperty", [&](GetIISPropertyExport call, char* buffer, int size) {
        call(site, path.c_str(), property.c_str(), buffer, size);
      });
}

std::optional<bool> Win32AdminLibrary::SetIISProperty(const std::string& library, int32_t site,
                                                      const std::string& path,
                                                      const std::string& property,
                                                      const std::string& value) {
  return WithExport<SetIISPropertyExport>(
      library, "SetIISProperty", [&](SetIISPropertyExport call) {
        return call(site, path.c_str(), property.c_str(), value.c_str()) != FALSE;
      });
}

std::optional<std::string> Win32AdminLibrary::GetIISAnonUser(const std::string& library) {
  return TextExport<GetIISAnonUserExport>(
      library, "GetIISAnonUser",
      [](GetIISAnonUserExport call, char* buffer, int size) { call(buffer, size); });
}

std::optional<int32_t> Win32AdminLibrary::GetIISUniqueAccountID(const std::string& library) {
  return WithExport<GetIISUniqueAccountIDExport>(library, "GetIISUniqueAccountID",
                                                 [&](GetIISUniqueAccountIDExport call) {
                                                   int next = -1;
                                                   call(&next);
                                                   return static_cast<int32_t>(next);
                                                 });
}

std::optional<int32_t> Win32AdminLibrary::GetIISSiteState(const std::string& library,
                                                          int32_t site) {
  return WithExport<GetIISSiteStateExport>(library, "GetIISSiteState",
                                           [&](GetIISSiteStateExport call) {
                                             int state = -1;
                                             call(site, &state);
                                             return static_cast<int32_t>(state);
                                           });
}

std::unique_ptr<AutomationObject> Win32WebServer::NewNamespace() {
  if (!comStarted_) {
    // Already started in another mode still lets this thread make objects.
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    comStarted_ = SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
  }
  Dispatch root;
  Check(late::CreateObject(L"IISNamespace", root), "IISNamespace");
  return std::make_unique<DispatchObject>(std::move(root));
}

bool Win32WebServer::WriteWrapperLibrary(const std::string& path) {
  HRSRC found = FindResourceA(nullptr, kWrapperLibraryResource, MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (found == nullptr) return false;
  HGLOBAL loaded = LoadResource(nullptr, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(nullptr, found);
  if (bytes == nullptr) return false;
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes, size, &written, nullptr) && written == size;
  return CloseHandle(file) && ok;
}

}  // namespace vantrell
