#include "tracks/AnalysisWorker.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>

#include "media/AudioFixtures.h"

namespace {

using namespace std::chrono_literals;
using tracks::AnalysisWorker;
using tracks::Priority;
using Clock = std::chrono::steady_clock;

struct WorkerTest : ::testing::Test {
  void SetUp() override { ASSERT_EQ(db.open(dir.file("tracks.db")), ""); }
  std::string track(const std::string& name, const char* bytes = "abc") {
    std::ofstream(dir.file(name), std::ios::app) << bytes;
    return dir.file(name);
  }
  std::string nameOf(const std::string& path) { return path.substr(dir.path().size() + 1); }
  std::optional<tracks::TrackRecord> row(const std::string& name) {
    struct stat st {};
    stat(dir.file(name).c_str(), &st);
    return db.find(dir.file(name), st.st_size,
                   st.st_mtim.tv_sec * 1'000'000'000 + st.st_mtim.tv_nsec);
  }

  fixtures::TempDir dir;
  tracks::TrackDatabase db;
  std::mutex mutex;
  std::vector<std::string> order;
  Clock::time_point firstCall{};
};

TEST_F(WorkerTest, ServesDeckThenPlaylistThenLibraryAndMeasuresATrackOnce) {
  int niceness = 0;
  std::vector<std::string> results;
  AnalysisWorker::Hooks hooks;
  hooks.analyse = [&](const std::string& path, tracks::Analysis& out, const std::atomic<bool>*) {
    std::lock_guard lock(mutex);
    if (order.empty()) firstCall = Clock::now();
    niceness = getpriority(PRIO_PROCESS, gettid());
    order.push_back(nameOf(path));
    out.durationMs = 1000;
    return order.back() != "bad";
  };
  hooks.readTags = [&](const std::string& path, tracks::Tags& tags, std::int64_t& ms) {
    tags.title = nameOf(path);
    ms = 1234;
    return true;
  };
  hooks.onResult = [&](const tracks::TrackRecord& r) { results.push_back(nameOf(r.path)); };
  AnalysisWorker worker(db, hooks);
  const auto held = Clock::now();
  worker.hold(150);
  worker.enqueue({track("lib1"), track("lib2"), track("bad"), track("lib3"), dir.file("gone")},
                 Priority::Library);
  worker.enqueue({track("pl1"), dir.file("lib2")}, Priority::Playlist);
  worker.enqueue({track("deck1"), dir.file("pl1")}, Priority::Deck);
  worker.enqueue({dir.file("deck1")}, Priority::Library);
  ASSERT_TRUE(worker.waitIdle(10s));
  EXPECT_GE(firstCall - held, 150ms);
  const std::vector<std::string> want = {"deck1", "pl1", "lib2", "lib1", "bad", "lib3"};
  EXPECT_EQ(order, want);
  EXPECT_EQ(results, want);
  EXPECT_EQ(niceness, 10);
  ASSERT_TRUE(row("lib1") && row("bad"));
  EXPECT_EQ(
      std::tie(row("lib1")->failed, row("lib1")->analysis.durationMs, row("lib1")->tags.title),
      std::make_tuple(false, 1000, "lib1"));
  EXPECT_EQ(std::tie(row("bad")->failed, row("bad")->analysis.durationMs, row("bad")->tags.title),
            std::make_tuple(true, 1234, "bad"));

  // Queued again (as after a restart): nothing is measured twice, the failure included,
  // until the file changes.
  worker.enqueue({dir.file("bad"), dir.file("lib1"), dir.file("deck1")}, Priority::Deck);
  ASSERT_TRUE(worker.waitIdle(10s));
  EXPECT_EQ(order.size(), 6u);
  track("bad", "more");
  worker.enqueue({dir.file("bad")}, Priority::Library);
  ASSERT_TRUE(worker.waitIdle(10s));
  EXPECT_EQ(order.size(), 7u);
  EXPECT_EQ(order.back(), "bad");
}

TEST_F(WorkerTest, HoldRequeuesTheCancelledTrackAndShutdownCancelsWithin100ms) {
  std::atomic<int> calls{0};
  std::atomic<bool> started{false};
  AnalysisWorker::Hooks hooks;
  hooks.analyse = [&](const std::string& path, tracks::Analysis& out,
                      const std::atomic<bool>* cancel) {
    const int n = ++calls;
    {
      std::lock_guard lock(mutex);
      order.push_back(nameOf(path));
    }
    started = true;
    if (n == 1 || nameOf(path) == "slow") {
      for (auto end = Clock::now() + 20s; !*cancel && Clock::now() < end;)
        std::this_thread::sleep_for(1ms);
      return false;
    }
    out.durationMs = 5;
    return true;
  };
  hooks.readTags = [](const std::string&, tracks::Tags&, std::int64_t&) { return false; };
  AnalysisWorker worker(db, hooks);
  auto waitStarted = [&] {
    for (auto end = Clock::now() + 5s; !started && Clock::now() < end;)
      std::this_thread::sleep_for(1ms);
    return started.exchange(false);
  };
  worker.enqueue({track("a"), track("b")}, Priority::Deck);
  ASSERT_TRUE(waitStarted());
  const auto held = Clock::now();
  worker.hold(200);
  ASSERT_TRUE(waitStarted());
  EXPECT_GE(Clock::now() - held, 200ms);
  ASSERT_TRUE(worker.waitIdle(10s));
  // The cancelled track goes first again.
  EXPECT_EQ(order, (std::vector<std::string>{"a", "a", "b"}));
  ASSERT_TRUE(row("a"));
  EXPECT_FALSE(row("a")->failed);

  started = false;  // "b" set it, after the wait above
  worker.enqueue({track("slow"), track("after")}, Priority::Library);
  ASSERT_TRUE(waitStarted());
  const auto stop = Clock::now();
  worker.shutdown();
  // The cancel takes effect within the scripted analysis's next millisecond; the join then
  // waits for a thread at nice 10, which a loaded machine (or a sanitizer) schedules late.
  EXPECT_LT(Clock::now() - stop, 400ms);
  EXPECT_FALSE(row("slow"));
  EXPECT_FALSE(row("after"));
  EXPECT_EQ(calls, 4);
}

}  // namespace
