#include "recorder/recorder.h"

#include <limits>
#include <mutex>

std::atomic<int32_t> g_saved{0};
FILE* g_meta = nullptr;

namespace {

static_assert(sizeof(size_t) >= sizeof(int64_t), "a frame's size must fit one write");

const int32_t kMaxFrames = 10;

// Index of the next frame to record. Taken by compare-and-swap, so that each index is
// handed out once even when the SDK delivers from several threads at once.
std::atomic<int32_t> s_claimed{0};

struct Finished {
  bool done;
  int32_t a, b, c;
};

// Guards g_meta, s_finished and the advance of g_saved. A frame's file is written
// outside it; only its metadata line is written under it, so lines come out in index
// order and never through a closed stream.
std::mutex s_lock;
Finished s_finished[kMaxFrames];

// The frame's size in bytes, or -1 for dimensions that describe no buffer: a negative
// one, or a product beyond a signed 64-bit integer.
int64_t frameBytes(int32_t a, int32_t b, int32_t c) {
  if (a < 0 || b < 0 || c < 0) return -1;
  int64_t ab = int64_t{a} * int64_t{b};  // at most (2^31 - 1)^2: cannot overflow
  if (c != 0 && ab > std::numeric_limits<int64_t>::max() / c) return -1;
  return ab * c;
}

void writeFrameFile(int32_t index, const unsigned char* data, int64_t bytes) {
  char name[128];
  snprintf(name, sizeof name, "official_ir_%02d.rgb", index);
  FILE* file = fopen(name, "wb");
  if (file == nullptr) return;
  fwrite(data, 1, static_cast<size_t>(bytes), file);
  fclose(file);
}

}  // namespace

void openMeta() {
  std::lock_guard<std::mutex> hold(s_lock);
  s_claimed = 0;
  g_saved = 0;
  for (Finished& f : s_finished) f = Finished{};
  if (g_meta != nullptr) fclose(g_meta);  // a previous run's, never left open
  g_meta = fopen("official_meta.txt", "w");
}

void closeMeta() {
  std::lock_guard<std::mutex> hold(s_lock);
  if (g_meta != nullptr) fclose(g_meta);
  g_meta = nullptr;
}

// Runs on the SDK's thread (or threads), once per frame, while the main thread polls
// g_saved and may close g_meta. Must be quick: the camera waits while it runs. A frame
// past the tenth or without data returns at once; otherwise the frame is written
// straight from the SDK's buffer, and only the metadata line and the count are taken
// under s_lock.
void onIR(unsigned char* data, int32_t a, int32_t b, int32_t c) {
  if (data == nullptr) return;
  int32_t index = s_claimed.load(std::memory_order_relaxed);
  if (index >= kMaxFrames) return;
  int64_t bytes = frameBytes(a, b, c);
  if (bytes < 0) return;
  do {
    if (index >= kMaxFrames) return;
  } while (!s_claimed.compare_exchange_weak(index, index + 1));

  writeFrameFile(index, data, bytes);

  std::lock_guard<std::mutex> hold(s_lock);
  s_finished[index] = Finished{true, a, b, c};
  // The line of a frame finished ahead of an earlier one waits for that one's; whichever
  // thread completes the run of finished frames writes their lines and advances the count.
  for (int32_t next = g_saved; next < kMaxFrames && s_finished[next].done; ++next) {
    if (g_meta != nullptr) {
      const Finished& f = s_finished[next];
      fprintf(g_meta, "%d %d %d %d\n", next, f.a, f.b, f.c);
      fflush(g_meta);
    }
    g_saved = next + 1;
  }
}
