// HistoryWindow: the last 32768 bytes, oldest first, however the bytes arrive.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <random>

#include "codec/history_window.h"

namespace quillpack_test {
namespace {

using namespace quillpack;

void ExpectSameWindow(const HistoryWindow &w, const std::deque<uint8_t> &model) {
  ASSERT_EQ(w.fill, model.size());
  const uint8_t *data = HistoryWindowData(&w);
  for (size_t i = 0; i < model.size(); ++i) ASSERT_EQ(data[i], model[i]) << i;
}

// Appends in runs of random sizes (single bytes, bulk runs, runs beyond the window) and
// holds the window against a plain model that drops one byte at a time.
TEST(HistoryWindow, KeepsTheNewest32768Bytes) {
  const uint32_t max_runs[] = {1, 300, 5000, 70000};
  for (uint32_t max_run : max_runs) {
    auto w = std::make_unique<HistoryWindow>();
    HistoryWindowInit(w.get());
    std::deque<uint8_t> model;
    std::mt19937 rng(max_run);
    for (int step = 0; step < 400; ++step) {
      uint32_t n = 1 + static_cast<uint32_t>(rng() % max_run);
      std::vector<uint8_t> bytes(n);
      for (auto &b : bytes) b = static_cast<uint8_t>(rng());
      if (n == 1 && step % 2 == 0) {
        HistoryWindowAppend(w.get(), bytes[0]);
      } else {
        HistoryWindowAppendBytes(w.get(), bytes.data(), n);
      }
      for (uint8_t b : bytes) {
        model.push_back(b);
        if (model.size() > kWindowSize) model.pop_front();
      }
      ExpectSameWindow(*w, model);
      if (HasFatalFailure()) return;
    }
  }
}

TEST(HistoryWindow, FullWindowDropsTheOldestByte) {
  auto w = std::make_unique<HistoryWindow>();
  HistoryWindowInit(w.get());
  for (uint32_t i = 0; i < kWindowSize; ++i)
    HistoryWindowAppend(w.get(), static_cast<uint8_t>(i % 251));
  HistoryWindowAppend(w.get(), 0xEE);
  EXPECT_EQ(w->fill, kWindowSize);
  EXPECT_EQ(HistoryWindowData(w.get())[0], 1);
  EXPECT_EQ(HistoryWindowData(w.get())[kWindowSize - 1], 0xEE);
}

// Bytes written into reserved room can copy from just behind the end, even right after a
// slide moved the window.
TEST(HistoryWindow, ReservedRoomFollowsTheNewestByte) {
  auto w = std::make_unique<HistoryWindow>();
  HistoryWindowInit(w.get());
  std::deque<uint8_t> model;
  for (int round = 0; round < 2000; ++round) {
    uint32_t n = 1 + static_cast<uint32_t>(round * 37 % 255);
    uint8_t *room = HistoryWindowReserve(w.get(), n);
    ASSERT_EQ(room, HistoryWindowData(w.get()) + w->fill);
    for (uint32_t i = 0; i < n; ++i) room[i] = static_cast<uint8_t>(round + i);
    HistoryWindowCommit(w.get(), n);
    for (uint32_t i = 0; i < n; ++i) {
      model.push_back(static_cast<uint8_t>(round + i));
      if (model.size() > kWindowSize) model.pop_front();
    }
  }
  ExpectSameWindow(*w, model);
}

}  // namespace
}  // namespace quillpack_test
