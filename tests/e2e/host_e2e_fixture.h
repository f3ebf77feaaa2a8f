// The fixture of the end-to-end checks: each starts from a clean registry and
// credential store, with no host window of an earlier check left open.
#pragma once

#include <windows.h>

#include <wincred.h>

#include <gtest/gtest.h>

#include "tests/e2e/host_process.h"
#include "tests/support/registry_test_support.h"

namespace e2e {

constexpr wchar_t kCredentialTarget[] = L"quorvane.ai.codex.token.v1";

class HostEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetUserState();
    RemoveHostDiagnostics();
    ASSERT_TRUE(WaitUntil([] { return ::FindWindowW(nullptr, kHostWindowTitle) == nullptr; }))
        << "a host window from an earlier check is still open";
  }
  void TearDown() override { ResetUserState(); }

  static void ResetUserState() {
    registry_test::ResetSettings();
    ::CredDeleteW(kCredentialTarget, CRED_TYPE_GENERIC, 0);
  }
};

}  // namespace e2e
