#include "engine/clip_recorder.h"

#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>

#include "engine/image_scaling.h"

namespace oru::engine {

namespace {

// The shortest time between two frames of a clip, in hundredths of a second:
// 50 frames a second. Players show a frame of 0 or 1 hundredth for a tenth.
constexpr int shortestDelay = 2;
// What a clip may take, in bytes a hundredth of a second (750 kB a second):
// frames that take more, as in a busy scene, are taken further apart, down to
// longestGap hundredths (20 a second), so that 10 s of a game stay near 7.5 MB.
constexpr double bytesPerCentisecond = 7500;
constexpr int longestGap = 5;

// The frames waiting for the worker together take at most this much memory,
// in as many as maxBuffers buffers and at least one.
constexpr size_t queueBytes = size_t{24} << 20;
constexpr size_t maxBuffers = 6;

// The worker's nice value: under contention it gets about a tenth of the
// share of each of the game's threads.
constexpr int workerNiceness = 10;

// Starts the worker with the quit signals, the alarm and broken pipes
// blocked, so that the program's own thread takes them as it does without a clip.
std::thread startWorker(ClipRecorder* recorder, void (ClipRecorder::*work)()) {
  sigset_t blocked, previous;
  sigemptyset(&blocked);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGALRM, SIGPIPE}) sigaddset(&blocked, signal);
  pthread_sigmask(SIG_BLOCK, &blocked, &previous);
  std::thread worker(work, recorder);
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return worker;
}

}  // namespace

ClipRecorder::ClipRecorder(int descriptor, int frameWidth, int frameHeight)
    : canvas(clipSize(frameWidth, frameHeight).width, clipSize(frameWidth, frameHeight).height) {
  const ImageSize size = clipSize(frameWidth, frameHeight);
  scaled.resize(size.width, size.height);
  const size_t frameBytes = static_cast<size_t>(frameWidth) * frameHeight * 4;
  bufferLimit = std::clamp<size_t>(queueBytes / std::max<size_t>(frameBytes, 1), 1, maxBuffers);
  if (!writer.open(descriptor, size.width, size.height)) fail(writer.error());
  worker = startWorker(this, &ClipRecorder::work);
}

ClipRecorder::~ClipRecorder() {
  if (!finished) finish(Clock::now());
}

int ClipRecorder::centisecondsAt(Clock::time_point moment) const {
  const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(moment - firstFrameAt);
  return static_cast<int>(std::min<long long>((elapsed.count() + 5000) / 10000, 1LL << 30));
}

RgbaImage* ClipRecorder::bufferForFrame(Clock::time_point now) {
  if (finished || failed()) return nullptr;
  if (!anyFrame) {
    firstFrameAt = now;
  } else if (centisecondsAt(now) < lastTaken + frameGap.load()) {
    return nullptr;
  }
  const int moment = anyFrame ? centisecondsAt(now) : 0;
  anyFrame = true;
  lastTaken = moment;
  RgbaImage* buffer = nullptr;
  {
    std::lock_guard<std::mutex> guard(lock);
    if (!freeBuffers.empty()) {
      buffer = freeBuffers.back();
      freeBuffers.pop_back();
    }
  }
  if (!buffer && buffers.size() < bufferLimit) {
    buffers.push_back(std::make_unique<RgbaImage>());
    buffer = buffers.back().get();
  }
  if (!buffer) {
    // The worker has every buffer: this frame is left out, and the one
    // before it stays on for its time.
    ++dropped;
    return nullptr;
  }
  reading = {buffer, moment};
  return buffer;
}

void ClipRecorder::addFrame() {
  if (!reading.image) return;
  {
    std::lock_guard<std::mutex> guard(lock);
    queue.push_back(reading);
  }
  reading.image = nullptr;
  ++taken;
  changed.notify_one();
}

ClipSummary ClipRecorder::finish(Clock::time_point now) {
  ClipSummary summary;
  if (finished) return summary;
  finished = true;
  {
    std::lock_guard<std::mutex> guard(lock);
    ending = true;
    // The last frame stays on until now, for at least the shortest delay.
    endCentiseconds = std::max(anyFrame ? centisecondsAt(now) : 0, lastTaken + shortestDelay);
  }
  changed.notify_one();
  worker.join();
  summary.written = !failed();
  summary.error = failureReason;
  summary.frames = encoded;
  summary.dropped = dropped;
  summary.seconds = taken > 0 ? endCentiseconds / 100.0 : 0;
  return summary;
}

void ClipRecorder::work() {
  // The encoder runs on what the game leaves of the processors: it yields to
  // the game's thread and the renderer's, and frames it cannot keep up with
  // are dropped instead of slowing the game down.
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), workerNiceness);
  for (;;) {
    QueuedFrame frame{nullptr, 0};
    {
      std::unique_lock<std::mutex> guard(lock);
      changed.wait(guard, [this] { return !queue.empty() || ending; });
      if (queue.empty()) break;
      frame = queue.front();
      queue.pop_front();
    }
    if (!failed()) encode(frame);
    std::lock_guard<std::mutex> guard(lock);
    freeBuffers.push_back(frame.image);
  }
  if (!failed() && holding && !writer.addFrame(held, endCentiseconds - heldCentiseconds))
    fail(writer.error());
  if (!writer.close()) fail(writer.error());
}

void ClipRecorder::encode(const QueuedFrame& frame) {
  fitInto(*frame.image, scaled);
  const PixelBox changed = canvas.markUnchanged(scaled);
  // Nothing changed: the frame before stays on longer.
  if (changed.width == 0) return;
  if (!quantizer.quantize(scaled, changed.left, changed.top, changed.width, changed.height,
                          current))
    return fail(std::strerror(ENOMEM));
  canvas.paint(current);
  // The frame held back is written now that its time on screen is known.
  if (holding && !writer.addFrame(held, frame.centiseconds - heldCentiseconds))
    return fail(writer.error());
  std::swap(held, current);
  heldCentiseconds = frame.centiseconds;
  holding = true;
  ++encoded;
  paceFrames();
}

void ClipRecorder::paceFrames() {
  // The bytes of the recent frames, averaged so that one large frame does not
  // change the pace at once.
  const double frameBytes = static_cast<double>(writer.bytes() - bytesBefore);
  bytesBefore = writer.bytes();
  recentFrameBytes = encoded == 1 ? frameBytes : 0.8 * recentFrameBytes + 0.2 * frameBytes;
  const int gap = static_cast<int>(std::ceil(recentFrameBytes / bytesPerCentisecond));
  frameGap = std::clamp(gap, shortestDelay, longestGap);
}

void ClipRecorder::fail(const std::string& reason) {
  {
    std::lock_guard<std::mutex> guard(lock);
    if (failureReason.empty()) failureReason = reason;
  }
  failure = true;
}

}  // namespace oru::engine
