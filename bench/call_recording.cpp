#include "call_recording.h"

int recordedArgumentCount(RecordedCall call) {
  switch (call) {
    case RecordedCall::clear:
    case RecordedCall::flip:
      return 0;
    case RecordedCall::setLineWidth:
      return 1;
    case RecordedCall::drawPoint:
      return 2;
    case RecordedCall::initORU:
    case RecordedCall::setColor:
      return 3;
    case RecordedCall::setCoordSystem:
    case RecordedCall::drawLine:
      return 4;
  }
  return -1;
}

void writeRecordedCall(std::FILE* file, RecordedCall call, const float* arguments) {
  std::fputc(static_cast<char>(call), file);
  std::fwrite(arguments, sizeof(float), static_cast<size_t>(recordedArgumentCount(call)), file);
}

bool readRecordedCall(std::FILE* file, RecordedCall& call, float* arguments) {
  int code = std::fgetc(file);
  if (code == EOF) return false;
  call = static_cast<RecordedCall>(code);
  int count = recordedArgumentCount(call);
  return count >= 0 &&
         std::fread(arguments, sizeof(float), count, file) == static_cast<size_t>(count);
}
