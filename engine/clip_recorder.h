#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/clip_canvas.h"
#include "engine/gif_writer.h"
#include "engine/image_quantizer.h"
#include "engine/rgba_image.h"

namespace oru::engine {

// How a clip ended.
struct ClipSummary {
  bool written = false;  // the whole clip is in its file
  std::string error;     // otherwise, why not
  int frames = 0;        // frames in the clip (a frame that changed nothing adds none)
  int dropped = 0;       // frames left out because the encoder had fallen behind
  double seconds = 0;    // how long the clip plays
};

// Records the frames shown into an animated GIF. A frame is taken at most
// every 2 hundredths of a second (50 a second: shorter delays are not played
// as written), or further apart when the frames are large, read back into
// one of a few buffers and handed to a worker thread, which scales it
// (image_scaling.h), finds what it changes (clip_canvas.h), reduces that to
// 256 colours (image_quantizer.h) and appends it to the file (gif_writer.h)
// as soon as the next change says how long it was shown; a frame that
// changes nothing lengthens the one before. Memory stays the same however
// long the clip: when every buffer is waiting for the worker, the frame is
// dropped and counted, and the game does not wait. The worker runs only on
// processors that would otherwise be idle; at the end, what it has not done
// yet is done on the program's own thread.
class ClipRecorder {
 public:
  using Clock = std::chrono::steady_clock;

  // Starts a clip on the open file descriptor, which it then owns, for frames
  // of width by height; the clip's size is theirs (clipSize).
  ClipRecorder(int descriptor, int frameWidth, int frameHeight);
  // Finishes the clip if finish was not called.
  ~ClipRecorder();
  ClipRecorder(const ClipRecorder&) = delete;
  ClipRecorder& operator=(const ClipRecorder&) = delete;

  // The buffer to read the frame shown at now into, or null when it is not
  // taken: too soon after the last one, no buffer free (the frame is
  // dropped), or the clip has failed. Call addFrame once it is read.
  RgbaImage* bufferForFrame(Clock::time_point now);
  // Hands the frame just read into the buffer over to the worker.
  void addFrame();
  // Whether the clip could not be written (see finish); no frame is taken after that.
  bool failed() const { return failure.load(); }
  // Ends the clip at now, the last frame shown until then: the worker encodes
  // what is queued, and the file is closed.
  ClipSummary finish(Clock::time_point now);

 private:
  // A frame waiting for the worker, and when it was shown.
  struct QueuedFrame {
    RgbaImage* image;
    int centiseconds;
  };

  int centisecondsAt(Clock::time_point moment) const;
  void work();
  // Encodes a frame; false when stop became true first, with nothing changed.
  bool encode(const QueuedFrame& frame, const std::atomic<bool>* stop);
  void paceFrames();
  void fail(const std::string& reason);

  // Read on the program's thread only.
  Clock::time_point firstFrameAt;
  bool anyFrame = false;
  int lastTaken = 0;
  int taken = 0;
  int dropped = 0;
  QueuedFrame reading{nullptr, 0};
  size_t bufferLimit = 1;
  std::vector<std::unique_ptr<RgbaImage>> buffers;
  bool finished = false;

  // Shared with the worker, under the lock.
  std::mutex lock;
  std::condition_variable changed;
  std::deque<QueuedFrame> queue;
  std::vector<RgbaImage*> freeBuffers;
  bool ending = false;
  int endCentiseconds = 0;
  std::string failureReason;
  std::atomic<bool> failure{false};
  // The clip is ending: the worker stops, even halfway through a frame.
  std::atomic<bool> stopping{false};
  // How far apart frames are taken, in hundredths of a second: set by the
  // worker from the size of the frames it writes.
  std::atomic<int> frameGap{2};

  // The worker's own.
  GifWriter writer;
  ImageQuantizer quantizer;
  RgbaImage scaled;
  ClipCanvas canvas;
  IndexedImage held, current;
  int encoded = 0;
  bool holding = false;
  int heldCentiseconds = 0;
  size_t bytesBefore = 0;
  double recentFrameBytes = 0;
  std::thread worker;
};

}  // namespace oru::engine
