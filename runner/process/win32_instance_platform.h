// The instance rules' platform operations over the real Win32 functions.
#pragma once

#include "runner/process/instance_rules.h"

namespace quorvane {

class Win32InstancePlatform : public InstancePlatform {
 public:
  void* FindWindowByClassAndTitle(const wchar_t* class_name, const wchar_t* title) override;
  bool IsIconic(void* window) override;
  void ShowWindow(void* window, int command) override;
  void BringWindowToTop(void* window) override;
  void SetForegroundWindow(void* window) override;
  uint32_t WindowProcessId(void* window) override;
  void AllowSetForegroundWindowFor(uint32_t process_id) override;
  uint32_t RegisterMessage(const wchar_t* name) override;
  void PostMessageTo(void* window, uint32_t message) override;
  void SendData(void* window, uintptr_t signature, const std::vector<uint8_t>& bytes) override;
  void* OpenProcessTokenForQuery() override;
  std::optional<uint32_t> QueryTokenElevation(void* token) override;
  void CloseHandle(void* handle) override;
  uint32_t GetExecutablePath(wchar_t* buffer, uint32_t capacity) override;
  void AllowSetForegroundWindowForAny() override;
  intptr_t ExecuteWithVerb(const wchar_t* verb, const wchar_t* file,
                           const wchar_t* parameters) override;
  void* CreateOwnedMutex(const wchar_t* name) override;
  uint32_t LastError() override;
};

}  // namespace quorvane
