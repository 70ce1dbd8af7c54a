#include "engine/clip_recorder.h"

#include <pthread.h>
#include <sched.h>
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

// The worker's nice value where it cannot run only on idle processors.
constexpr int workerNiceness = 19;

// Lets the calling thread run only when a processor would otherwise be idle
// (Linux's SCHED_IDLE), or else at the lowest priority.
void yieldToEverything() {
  sched_param none{};
  if (sched_setscheduler(0, SCHED_IDLE, &none) == 0) return;
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), workerNiceness);
}

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
  stopping = true;
  changed.notify_one();
  worker.join();
  // At its low priority the worker may be far behind: what it left is
  // encoded here, on the program's thread, which no other program outranks.
  for (const QueuedFrame& frame : queue) {
    if (!failed()) encode(frame, nullptr);
  }
  queue.clear();
  if (!failed() && holding && !writer.addFrame(held, endCentiseconds - heldCentiseconds))
    fail(writer.error());
  if (!writer.close()) fail(writer.error());
  summary.written = !failed();
  summary.error = failureReason;
  summary.frames = encoded;
  summary.dropped = dropped;
  summary.seconds = taken > 0 ? endCentiseconds / 100.0 : 0;
  return summary;
}

void ClipRecorder::work() {
  // The encoder runs on what the game, its renderer and everything else leave
  // of the processors, so that recording does not slow the game down; frames
  // it cannot keep up with are left out.
  yieldToEverything();
  for (;;) {
    QueuedFrame frame{nullptr, 0};
    {
      std::unique_lock<std::mutex> guard(lock);
      changed.wait(guard, [this] { return !queue.empty() || ending; });
      if (ending) return;
      frame = queue.front();
      queue.pop_front();
    }
    const bool done = failed() || encode(frame, &stopping);
    std::lock_guard<std::mutex> guard(lock);
    if (!done) {
      // Stopped halfway by the clip's end: the program's thread does it again.
      queue.push_front(frame);
      return;
    }
    freeBuffers.push_back(frame.image);
  }
}

bool ClipRecorder::encode(const QueuedFrame& frame, const std::atomic<bool>* stop) {
  fitInto(*frame.image, scaled);
  const PixelBox changed = canvas.markUnchanged(scaled);
  // Nothing changed: the frame before stays on longer.
  if (changed.width == 0) return true;
  if (!quantizer.quantize(scaled, changed.left, changed.top, changed.width, changed.height, current,
                          stop)) {
    if (stop && stop->load()) return false;
    fail(std::strerror(ENOMEM));
    return true;
  }
  canvas.paint(current, scaled);
  // The frame held back is written now that its time on screen is known.
  if (holding && !writer.addFrame(held, frame.centiseconds - heldCentiseconds)) {
    fail(writer.error());
    return true;
  }
  std::swap(held, current);
  heldCentiseconds = frame.centiseconds;
  holding = true;
  ++encoded;
  paceFrames();
  return true;
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
