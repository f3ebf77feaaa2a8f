// Process-wide table of live handles.
#include "standin/engine/handle_registry.h"

#include <map>
#include <mutex>

namespace standin {
namespace {

struct Table {
  std::mutex mutex;
  std::map<const void*, HandleKind> handles;
};

Table& GetTable() {
  // Never torn down: handles may be checked while the process exits.
  static Table* const table = new Table();
  return *table;
}

}  // namespace

void HandleRegistry::Add(const void* handle, HandleKind kind) {
  Table& table = GetTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  table.handles[handle] = kind;
}

void HandleRegistry::Remove(const void* handle) {
  Table& table = GetTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  table.handles.erase(handle);
}

bool HandleRegistry::Contains(const void* handle, HandleKind kind) {
  if (handle == nullptr) return false;
  Table& table = GetTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  const auto found = table.handles.find(handle);
  return found != table.handles.end() && found->second == kind;
}

}  // namespace standin
