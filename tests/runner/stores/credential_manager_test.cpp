#include <gtest/gtest.h>
#include <windows.h>

#include <wincred.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runner/channels/credential_channel.h"
#include "runner/stores/windows_credential_store.h"
#include "tests/support/recording_result.h"

namespace quorvane {
namespace {

using flutter::EncodableMap;
using flutter::EncodableValue;
using flutter::MethodCall;
using testing_support::RecordedAnswer;
using testing_support::RecordingResult;

constexpr wchar_t kTarget[] = L"quorvane.ai.codex.token.v1";

// What CredReadW gives back for the token credential. Only the tests read it;
// token bytes are compared with EXPECT_TRUE so a failure never prints them.
struct StoredCredential {
  DWORD flags;
  DWORD type;
  std::wstring target_name;
  bool has_comment;
  DWORD persist;
  DWORD attribute_count;
  bool has_target_alias;
  std::wstring user_name;
  std::string blob;
};

std::optional<StoredCredential> ReadStored() {
  PCREDENTIALW record = nullptr;
  if (!CredReadW(kTarget, CRED_TYPE_GENERIC, 0, &record)) return std::nullopt;
  StoredCredential stored{record->Flags,
                          record->Type,
                          record->TargetName ? record->TargetName : L"",
                          record->Comment != nullptr && record->Comment[0] != L'\0',
                          record->Persist,
                          record->AttributeCount,
                          record->TargetAlias != nullptr && record->TargetAlias[0] != L'\0',
                          record->UserName ? record->UserName : L"",
                          std::string(reinterpret_cast<const char*>(record->CredentialBlob),
                                      record->CredentialBlobSize)};
  SecureZeroMemory(record->CredentialBlob, record->CredentialBlobSize);
  CredFree(record);
  return stored;
}

bool StoredTokenIs(const std::string& token) {
  const auto stored = ReadStored();
  return stored && stored->blob == token;
}

// The real Credential Manager, with calls counted and failures made to order:
// a failure leaves its code, 0 included, as the last error.
class ScriptedCredentialApi : public Win32CredentialApi {
 public:
  std::optional<DWORD> write_failure;
  std::optional<DWORD> delete_failure;
  int writes = 0;
  DWORD last_blob_size = 0;

  BOOL Write(CREDENTIALW& record) override {
    ++writes;
    last_blob_size = record.CredentialBlobSize;
    if (write_failure) return Fail(*write_failure);
    return Win32CredentialApi::Write(record);
  }
  BOOL DeleteGeneric(const wchar_t* target) override {
    if (delete_failure) return Fail(*delete_failure);
    return Win32CredentialApi::DeleteGeneric(target);
  }

 private:
  static BOOL Fail(DWORD code) {
    SetLastError(code);
    return FALSE;
  }
};

class CredentialManagerTest : public ::testing::Test {
 protected:
  void SetUp() override { CredDeleteW(kTarget, CRED_TYPE_GENERIC, 0); }
  void TearDown() override { CredDeleteW(kTarget, CRED_TYPE_GENERIC, 0); }

  RecordedAnswer Call(const std::string& method, std::unique_ptr<EncodableValue> arguments) {
    MethodCall<> call(method, std::move(arguments));
    RecordingResult result;
    HandleCredentialCall(call, result, store);
    EXPECT_EQ(result.answers.size(), 1u);
    return result.answers.empty() ? RecordedAnswer{} : result.answers.front();
  }

  static std::unique_ptr<EncodableValue> Token(EncodableValue token) {
    return std::make_unique<EncodableValue>(
        EncodableMap{{EncodableValue("token"), std::move(token)}});
  }

  ScriptedCredentialApi api;
  WindowsCredentialStore store{api};
};

TEST_F(CredentialManagerTest, WritesOneGenericCredentialHoldingTheTokenBytes) {
  const std::string token("t\xc3\xb6k\xc3\xa9n\0\xff end", 13);
  ASSERT_EQ(store.WriteToken(token), 0u);
  const auto stored = ReadStored();
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->flags, 0u);
  EXPECT_EQ(stored->type, static_cast<DWORD>(CRED_TYPE_GENERIC));
  EXPECT_EQ(stored->target_name, kTarget);
  EXPECT_FALSE(stored->has_comment);
  EXPECT_EQ(stored->persist, static_cast<DWORD>(CRED_PERSIST_LOCAL_MACHINE));
  EXPECT_EQ(stored->attribute_count, 0u);
  EXPECT_FALSE(stored->has_target_alias);
  EXPECT_EQ(stored->user_name, L"Quorvane AI");
  EXPECT_EQ(stored->blob.size(), 13u) << "bytes, not characters, and no terminator";
  EXPECT_TRUE(stored->blob == token);
}

TEST_F(CredentialManagerTest, WritingAgainReplacesTheToken) {
  ASSERT_EQ(store.WriteToken("first-token"), 0u);
  ASSERT_EQ(store.WriteToken("second"), 0u);
  EXPECT_TRUE(StoredTokenIs("second"));
}

TEST_F(CredentialManagerTest, DeleteRemovesTheCredential) {
  ASSERT_EQ(store.WriteToken("sk-abc"), 0u);
  EXPECT_EQ(store.DeleteToken(), 0u);
  EXPECT_FALSE(ReadStored().has_value());
  EXPECT_EQ(store.DeleteToken(), kCredentialErrorNotFound);
}

TEST_F(CredentialManagerTest, TheCredentialManagerAloneJudgesTheSizeOfAnAcceptedToken) {
  ASSERT_EQ(store.WriteToken("kept"), 0u);
  const std::string largest(8192, 'L');
  const uint32_t code = store.WriteToken(largest);
  EXPECT_EQ(api.writes, 2);
  EXPECT_EQ(api.last_blob_size, 8192u);
  // Windows refuses blobs this large, other Credential Managers store them.
  EXPECT_TRUE(code == 0 ? StoredTokenIs(largest) : StoredTokenIs("kept"));
}

TEST_F(CredentialManagerTest, FailuresComeBackAsTheirCodes) {
  api.write_failure = ERROR_NO_SUCH_LOGON_SESSION;
  EXPECT_EQ(store.WriteToken("sk-abc"), static_cast<uint32_t>(ERROR_NO_SUCH_LOGON_SESSION));
  api.delete_failure = ERROR_ACCESS_DENIED;
  EXPECT_EQ(store.DeleteToken(), static_cast<uint32_t>(ERROR_ACCESS_DENIED));

  EXPECT_EQ(Call("writeCodexToken", Token(EncodableValue("sk-abc"))).code,
            "credential_write_failed");
  EXPECT_EQ(Call("deleteCodexToken", nullptr).code, "credential_delete_failed");
}

TEST_F(CredentialManagerTest, AFailureThatLeavesNoCodeIsStillAnError) {
  api.write_failure = ERROR_SUCCESS;
  api.delete_failure = ERROR_SUCCESS;
  EXPECT_EQ(Call("writeCodexToken", Token(EncodableValue("sk-abc"))).code,
            "credential_write_failed");
  EXPECT_EQ(Call("deleteCodexToken", nullptr).code, "credential_delete_failed");
}

TEST_F(CredentialManagerTest, TheChannelSavesAndClearsTheToken) {
  const std::string token = "sk-\xe2\x82\xac-1";
  RecordedAnswer answer = Call("writeCodexToken", Token(EncodableValue(token)));
  EXPECT_EQ(answer.kind, RecordedAnswer::Kind::kSuccess);
  EXPECT_FALSE(answer.value.has_value());
  EXPECT_TRUE(StoredTokenIs(token));

  for (int round = 0; round < 2; ++round) {
    answer = Call("deleteCodexToken", nullptr);
    EXPECT_EQ(answer.kind, RecordedAnswer::Kind::kSuccess) << "also when nothing is stored";
    EXPECT_FALSE(answer.value.has_value());
    EXPECT_FALSE(ReadStored().has_value());
  }
}

TEST_F(CredentialManagerTest, ARefusedTokenLeavesTheStoredOneAlone) {
  ASSERT_EQ(Call("writeCodexToken", Token(EncodableValue("kept"))).kind,
            RecordedAnswer::Kind::kSuccess);
  api.writes = 0;
  const EncodableValue refused[] = {
      EncodableValue(""),         EncodableValue("new\n"),
      EncodableValue("ne\rw"),    EncodableValue(std::string(8193, 'n')),
      EncodableValue(int32_t{1}),
  };
  for (const EncodableValue& token : refused) {
    const RecordedAnswer answer = Call("writeCodexToken", Token(token));
    EXPECT_EQ(answer.code, "credential_write_failed");
    EXPECT_EQ(answer.message, "Unable to save the Codex credential.");
    EXPECT_TRUE(StoredTokenIs("kept"));
  }
  EXPECT_EQ(api.writes, 0);
}

}  // namespace
}  // namespace quorvane
