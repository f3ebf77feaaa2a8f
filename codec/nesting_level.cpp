// The thread's count of nesting levels held by serializer walks.
#include "codec/nesting_level.h"

namespace flutter {
namespace internal {

thread_local int NestingLevel::thread_depth_ = 0;

}  // namespace internal
}  // namespace flutter
