// The installer's shortcut helper under Wine: the identity it writes is read
// back from the shortcut file by the shell's own property store.
#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <propsys.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr PROPERTYKEY kAppUserModelIdKey = {
    {0x9F4C2855, 0x9F79, 0x4B39, {0xA8, 0xD0, 0xE1, 0xD4, 0x2D, 0xE1, 0xD5, 0xF3}}, 5};

std::wstring BinaryDirectory() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring directory(path);
  return directory.substr(0, directory.find_last_of(L'\\'));
}

// Runs the helper with this command-line tail; its exit code.
DWORD RunHelper(const std::wstring& tail) {
  std::wstring command = L"\"" + BinaryDirectory() + L"\\shortcut_identity.exe\" " + tail;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    return 0xFFFFFFFF;
  }
  ::WaitForSingleObject(process.hProcess, 30000);
  DWORD code = 0xFFFFFFFF;
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return code;
}

class ShortcutIdentity : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    wchar_t temporary[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temporary);
    shortcut_ = std::wstring(temporary) + L"quorvane_identity_" +
                std::to_wstring(::GetCurrentProcessId()) + L".lnk";
  }
  void TearDown() override {
    ::DeleteFileW(shortcut_.c_str());
    ::CoUninitialize();
  }

  bool CreateShortcut() {
    IShellLinkW* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link)))) {
      return false;
    }
    link->SetPath((BinaryDirectory() + L"\\shortcut_identity.exe").c_str());
    IPersistFile* file = nullptr;
    bool saved = false;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      saved = SUCCEEDED(file->Save(shortcut_.c_str(), TRUE));
      file->Release();
    }
    link->Release();
    return saved;
  }

  // The identity stored in the shortcut file; empty when there is none.
  std::wstring ReadIdentity() {
    IShellLinkW* link = nullptr;
    std::wstring identity;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link)))) {
      return identity;
    }
    IPersistFile* file = nullptr;
    IPropertyStore* properties = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(shortcut_.c_str(), STGM_READ)) &&
        SUCCEEDED(
            link->QueryInterface(IID_IPropertyStore, reinterpret_cast<void**>(&properties)))) {
      PROPVARIANT value;
      ::PropVariantInit(&value);
      if (SUCCEEDED(properties->GetValue(kAppUserModelIdKey, &value)) && value.vt == VT_LPWSTR) {
        identity = value.pwszVal;
      }
      ::PropVariantClear(&value);
    }
    if (properties != nullptr) properties->Release();
    if (file != nullptr) file->Release();
    link->Release();
    return identity;
  }

  // Whether this shell's shortcuts keep a property at all: Wine's accept
  // SetValue and Save but hand nothing back, so only Windows can show the
  // identity in the file.
  static bool ShellKeepsShortcutProperties() {
    IShellLinkW* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link)))) {
      return false;
    }
    bool kept = false;
    IPropertyStore* properties = nullptr;
    if (SUCCEEDED(
            link->QueryInterface(IID_IPropertyStore, reinterpret_cast<void**>(&properties)))) {
      PROPVARIANT value;
      ::PropVariantInit(&value);
      value.vt = VT_LPWSTR;
      value.pwszVal = const_cast<wchar_t*>(L"probe");
      properties->SetValue(kAppUserModelIdKey, value);
      PROPVARIANT read;
      ::PropVariantInit(&read);
      kept = SUCCEEDED(properties->GetValue(kAppUserModelIdKey, &read)) && read.vt == VT_LPWSTR;
      ::PropVariantClear(&read);
      properties->Release();
    }
    link->Release();
    return kept;
  }

  std::wstring shortcut_;
};

TEST_F(ShortcutIdentity, GivesTheShortcutTheApplicationsIdentity) {
  ASSERT_TRUE(CreateShortcut());
  EXPECT_EQ(ReadIdentity(), L"");
  EXPECT_EQ(RunHelper(L"\"" + shortcut_ + L"\""), 0u);
  if (!ShellKeepsShortcutProperties()) {
    GTEST_SKIP() << "this shell keeps no shortcut properties (Wine): the identity cannot be read";
  }
  EXPECT_EQ(ReadIdentity(), L"QuorvaneAI.Desktop");
}

TEST_F(ShortcutIdentity, FailsWithoutAShortcutOrWithBadUsage) {
  EXPECT_EQ(RunHelper(L"\"" + shortcut_ + L"\""), 1u) << "no such shortcut";
  EXPECT_EQ(RunHelper(L""), 2u);
  EXPECT_EQ(RunHelper(L"a b"), 2u);
}

}  // namespace
