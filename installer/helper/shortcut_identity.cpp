// Gives a shortcut (.lnk) the application's AppUserModelID, which the
// installer cannot set by itself, so that the taskbar groups the running
// window with the shortcut that started it.
//
//   shortcut_identity.exe SHORTCUT.lnk   exit 0 when set, 1 when not, 2 on bad usage
#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <propsys.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>

#include "runner/process/app_identity.h"

namespace {

// System.AppUserModel.ID.
constexpr PROPERTYKEY kAppUserModelIdKey = {
    {0x9F4C2855, 0x9F79, 0x4B39, {0xA8, 0xD0, 0xE1, 0xD4, 0x2D, 0xE1, 0xD5, 0xF3}}, 5};

// Releases a COM interface when it leaves scope.
template <typename Interface>
class ComPointer {
 public:
  ComPointer() = default;
  ~ComPointer() {
    if (pointer_ != nullptr) pointer_->Release();
  }
  ComPointer(const ComPointer&) = delete;
  ComPointer& operator=(const ComPointer&) = delete;

  Interface* operator->() const { return pointer_; }
  Interface** Receive() { return &pointer_; }
  void** ReceiveVoid() { return reinterpret_cast<void**>(&pointer_); }

 private:
  Interface* pointer_ = nullptr;
};

HRESULT SetIdentity(const wchar_t* shortcut_path) {
  ComPointer<IShellLinkW> link;
  HRESULT result = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkW, link.ReceiveVoid());
  if (FAILED(result)) return result;
  ComPointer<IPersistFile> file;
  result = link->QueryInterface(IID_IPersistFile, file.ReceiveVoid());
  if (FAILED(result)) return result;
  result = file->Load(shortcut_path, STGM_READWRITE);
  if (FAILED(result)) return result;
  ComPointer<IPropertyStore> properties;
  result = link->QueryInterface(IID_IPropertyStore, properties.ReceiveVoid());
  if (FAILED(result)) return result;

  PROPVARIANT value;
  ::PropVariantInit(&value);
  value.vt = VT_LPWSTR;
  value.pwszVal = const_cast<wchar_t*>(quorvane::kAppUserModelId);
  result = properties->SetValue(kAppUserModelIdKey, value);
  if (FAILED(result)) return result;
  result = properties->Commit();
  if (FAILED(result)) return result;
  return file->Save(shortcut_path, TRUE);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: shortcut_identity SHORTCUT.lnk\n", stderr);
    return 2;
  }
  if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  const HRESULT result = SetIdentity(argv[1]);
  ::CoUninitialize();
  if (FAILED(result)) {
    std::fprintf(stderr, "The shortcut's application identity could not be set (0x%08lX).\n",
                 static_cast<unsigned long>(result));
    return 1;
  }
  return 0;
}
