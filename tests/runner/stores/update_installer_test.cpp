// Update files checked and started for real under Wine: signed by a
// throw-away certificate authority (make_update_fixtures.sh), copied into a
// folder of the test's, held open while they are checked.
#include "runner/stores/windows_update_installer.h"

#include <windows.h>

#include <wincrypt.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvane {
namespace {

std::wstring TestFolder() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\'));
}

const std::wstring kFixtures = TestFolder() + L"\\update-fixtures";
const std::wstring kCopies = kFixtures + L"\\copies";

std::string Utf8(const std::wstring& text) {
  std::string utf8;
  for (const wchar_t unit : text) utf8.push_back(static_cast<char>(unit));  // ASCII paths
  return utf8;
}

std::string Fixture(const wchar_t* name) { return Utf8(kFixtures + L"\\" + name); }

std::string ReadBytes(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes(static_cast<size_t>(::GetFileSize(file, nullptr)), '\0');
  DWORD read = 0;
  ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  ::CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class UpdateInstallerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The test authority becomes a trusted root of this prefix, as a
    // publisher's real one is on Windows.
    const std::string der = ReadBytes(kFixtures + L"\\ca.der");
    ASSERT_FALSE(der.empty()) << "no fixtures: make_update_fixtures.sh runs first";
    HCERTSTORE root =
        ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
    ASSERT_NE(root, nullptr);
    ASSERT_TRUE(::CertAddEncodedCertificateToStore(
        root, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
        static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
    ::CertCloseStore(root, 0);
  }
  void SetUp() override {
    ::DeleteFileW((kCopies + L"\\started.txt").c_str());
    ::DeleteFileW((kCopies + L"\\quorvane_update.exe").c_str());
  }

  WindowsUpdateInstaller Installer(const wchar_t* host = L"host.exe", bool allow = false) {
    return WindowsUpdateInstaller(kFixtures + L"\\" + host, kCopies, allow);
  }

  bool CopyLeft() const { return Exists(kCopies + L"\\quorvane_update.exe"); }
};

TEST_F(UpdateInstallerTest, ANewerUpdateOfTheSamePublisherPassesAndStartsSilently) {
  WindowsUpdateInstaller installer = Installer();
  const UpdateOutcome checked = installer.Check(Fixture(L"newer.exe"));
  EXPECT_EQ(checked.refusal, UpdateRefusal::kNone);
  EXPECT_EQ(checked.publisher, "Quorvane own publisher");
  EXPECT_EQ(checked.version, "99.0.0.0");
  EXPECT_FALSE(CopyLeft()) << "a check keeps no copy";

  EXPECT_EQ(installer.Install(Fixture(L"newer.exe")).refusal, UpdateRefusal::kNone);
  const std::wstring note = kCopies + L"\\started.txt";
  for (int wait = 0; wait < 100 && !Exists(note); ++wait) ::Sleep(100);
  const std::string bytes = ReadBytes(note);
  std::wstring command_line(bytes.size() / 2, L'\0');
  bytes.copy(reinterpret_cast<char*>(command_line.data()), command_line.size() * 2);
  EXPECT_EQ(command_line, L"\"" + kCopies + L"\\quorvane_update.exe\" /S");
}

TEST_F(UpdateInstallerTest, EveryRefusalStartsNothingAndKeepsNoCopy) {
  const struct {
    const wchar_t* file;
    UpdateRefusal refusal;
  } cases[] = {
      {L"unsigned.exe", UpdateRefusal::kUnsigned},
      {L"flipped.exe", UpdateRefusal::kUnsigned},
      {L"other_publisher.exe", UpdateRefusal::kOtherPublisher},
      {L"older.exe", UpdateRefusal::kNotNewer},
      {L"same_version.exe", UpdateRefusal::kNotNewer},
      {L"missing.exe", UpdateRefusal::kCopyFailed},
  };
  WindowsUpdateInstaller installer = Installer();
  for (const auto& refused : cases) {
    EXPECT_EQ(installer.Install(Fixture(refused.file)).refusal, refused.refusal)
        << Utf8(refused.file);
    EXPECT_FALSE(CopyLeft()) << Utf8(refused.file);
  }
  ::Sleep(300);
  EXPECT_FALSE(Exists(kCopies + L"\\started.txt"));
}

TEST_F(UpdateInstallerTest, AnUnsignedHostRefusesEveryUpdateUnlessTheSwitchIsOn) {
  EXPECT_EQ(Installer(L"unsigned_host.exe").Check(Fixture(L"newer.exe")).refusal,
            UpdateRefusal::kHostUnsigned);
  EXPECT_EQ(Installer(L"unsigned_host.exe", true).Check(Fixture(L"newer.exe")).refusal,
            UpdateRefusal::kNone);
  EXPECT_EQ(Installer(L"unsigned_host.exe", true).Check(Fixture(L"unsigned.exe")).refusal,
            UpdateRefusal::kUnsigned);
}

TEST_F(UpdateInstallerTest, AFileChangedAfterItsCheckIsCheckedAgain) {
  const std::wstring moving = kFixtures + L"\\moving.exe";
  ASSERT_TRUE(::CopyFileW((kFixtures + L"\\newer.exe").c_str(), moving.c_str(), FALSE));
  WindowsUpdateInstaller installer = Installer();
  EXPECT_EQ(installer.Check(Utf8(moving)).refusal, UpdateRefusal::kNone);
  ASSERT_TRUE(::CopyFileW((kFixtures + L"\\other_publisher.exe").c_str(), moving.c_str(), FALSE));
  EXPECT_EQ(installer.Install(Utf8(moving)).refusal, UpdateRefusal::kOtherPublisher);
  EXPECT_FALSE(CopyLeft());
  ::DeleteFileW(moving.c_str());
}

}  // namespace
}  // namespace quorvane
