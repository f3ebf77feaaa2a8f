// Buffer-backed byte streams of the standard codec.
#include "codec/byte_streams.h"

#include "codec/diagnostic.h"

namespace flutter {

void ByteBufferStreamReader::ReportInvalidRead() { WriteDiagnosticLine(kInvalidReadDiagnostic); }

}  // namespace flutter
