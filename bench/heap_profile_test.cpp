#include "heap_profile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

// heap_profile/listing.txt is an excerpt of the benchmark's own
// heaptrack_print listing (the script drawing 30 frames of 10,000 lines and
// points, less 10 frames): three allocation sites with some of their
// backtraces, each site's count cut down to the sum of those kept, and the
// source folder renamed to /home/dev/oru/.
std::string capturedListing() {
  std::ifstream file(ORU_HEAP_LISTING);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace

TEST(HeapProfile, SortsEachBacktraceByWhoCalledTheAllocator) {
  const std::string listing = capturedListing();
  ASSERT_FALSE(listing.empty());
  HeapCalls calls = heapCallsByCaller(listing, "/home/dev/oru/");
  // Mesa's backtraces pass through drawLine and drawPendingStrokes, but an
  // allocation the driver makes counts for the driver.
  EXPECT_EQ(calls.driver, 2449 + 1959);
  // libxcb, once from flip and once inside a script-to-native call.
  EXPECT_EQ(calls.x11, 40 + 38);
  // SpiderMonkey's site: two backtraces through start_thread, two on the
  // main thread (one of them from oru's own script context).
  EXPECT_EQ(calls.background, 18 + 14);
  EXPECT_EQ(calls.mainThread, 10 + 3);
  EXPECT_EQ(calls.strokePath, 0);
}
