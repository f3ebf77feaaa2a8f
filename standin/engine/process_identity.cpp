#include "standin/engine/process_identity.h"

#include <windows.h>

#include <objbase.h>
#include <shobjidl.h>

#include "standin/engine/text_conversion.h"

namespace standin {

nlohmann::json ExplicitAppUserModelId() {
  PWSTR id = nullptr;
  if (FAILED(GetCurrentProcessExplicitAppUserModelID(&id)) || id == nullptr) return nullptr;
  nlohmann::json text = Utf16ToUtf8(id);
  CoTaskMemFree(id);
  return text;
}

}  // namespace standin
