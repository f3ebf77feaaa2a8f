#include "standin/engine/fault.h"

#include <cstdlib>
#include <stdexcept>

namespace standin {

UINT FaultMessage() {
  static const UINT message = RegisterWindowMessageW(L"StandinFault");
  return message;
}

void CrashHost(ScriptStep::Fault fault) {
  if (fault == ScriptStep::Fault::kTerminate) throw std::runtime_error("stand-in fault step");
  void* page = VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
  if (page != nullptr) *static_cast<volatile int*>(page) = 1;
  // Only reached when the page could not be had.
  std::abort();
}

}  // namespace standin
