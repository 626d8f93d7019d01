// Tests of the UI thread's message queue.
#include "platform/deferred_messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace cw {
namespace {

struct Recorder {
  int schedules = 0;
  std::vector<std::wstring> shown;
  std::function<void(const std::wstring&)> during_show;
};

DeferredMessages MakeQueue(Recorder& r) {
  return DeferredMessages([&r] { ++r.schedules; },
                          [&r](const std::wstring& t) {
                            r.shown.push_back(t);
                            if (r.during_show) r.during_show(t);
                          });
}

TEST(DeferredMessages, PostShowsNothingAndSchedulesOncePerBatch) {
  Recorder r;
  DeferredMessages q = MakeQueue(r);
  q.Post(L"can't find device!");
  q.Post(L"Exception catch!");
  EXPECT_TRUE(r.shown.empty());
  EXPECT_EQ(r.schedules, 1);
  q.Drain();
  EXPECT_EQ(r.shown, (std::vector<std::wstring>{L"can't find device!", L"Exception catch!"}));
  q.Post(L"again");
  EXPECT_EQ(r.schedules, 2);
  q.Drain();
  q.Drain();  // nothing left: nothing shown twice
  EXPECT_EQ(r.shown.size(), 3u);
}

TEST(DeferredMessages, MessagesPostedWhileOneIsOpenFollowItWithoutNesting) {
  Recorder r;
  DeferredMessages q = MakeQueue(r);
  int depth = 0, max_depth = 0;
  r.during_show = [&](const std::wstring& t) {
    ++depth;
    max_depth = std::max(max_depth, depth);
    if (t == L"first") {
      q.Post(L"second");
      q.Drain();  // the box's nested loop runs the scheduled drain
    }
    --depth;
  };
  q.Post(L"first");
  q.Drain();
  EXPECT_EQ(r.shown, (std::vector<std::wstring>{L"first", L"second"}));
  EXPECT_EQ(max_depth, 1);
  EXPECT_EQ(r.schedules, 1);  // the running drain picked it up, no new schedule
}

// A clock the test moves by hand.
struct FakeClock {
  std::chrono::steady_clock::time_point now{};
  DeferredMessages::Clock clock() {
    return [this] { return now; };
  }
};

TEST(DeferredMessages, OneBoxPerCause) {
  Recorder r;
  FakeClock clock;
  DeferredMessages q([&r] { ++r.schedules; }, [&r](const std::wstring& t) {
    r.shown.push_back(t);
    if (r.during_show) r.during_show(t);
  }, clock.clock());
  const std::wstring missing = L"Program encounter problem, please reinstall it.\n(encoder not found: /p/xenc)";
  // Twenty tasks of one pass fail alike before the box opens.
  for (int i = 0; i < 20; ++i) q.Post(missing);
  q.Post(L"other");
  // Raised again while its box is open: not shown again.
  r.during_show = [&](const std::wstring& t) {
    if (t == missing) q.Post(missing);
  };
  q.Drain();
  EXPECT_EQ(r.shown, (std::vector<std::wstring>{missing, L"other"}));

  // The next passes raise it again soon after the box closed, each within
  // the quiet period of the one before: still silent.
  for (int i = 0; i < 5; ++i) {
    clock.now += DeferredMessages::kQuietPeriod - std::chrono::seconds(1);
    q.Post(missing);
    q.Drain();
  }
  EXPECT_EQ(r.shown.size(), 2u);
  // Once the cause has been quiet for the whole period, it is news again.
  clock.now += DeferredMessages::kQuietPeriod;
  q.Post(missing);
  q.Post(missing);
  q.Drain();
  EXPECT_EQ(r.shown, (std::vector<std::wstring>{missing, L"other", missing}));
}

TEST(DeferredMessagesConcurrency, PostsFromManyThreadsAllArriveInPerThreadOrder) {
  Recorder r;
  std::mutex schedule_mutex;
  DeferredMessages q([&] { std::lock_guard<std::mutex> l(schedule_mutex); ++r.schedules; },
                     [&](const std::wstring& t) { r.shown.push_back(t); });
  const int threads = 4, per_thread = 200;
  std::vector<std::thread> posters;
  for (int t = 0; t < threads; ++t) {
    posters.emplace_back([&q, t] {
      for (int i = 0; i < per_thread; ++i) q.Post(std::to_wstring(t) + L":" + std::to_wstring(i));
    });
  }
  for (int k = 0; k < 50; ++k) q.Drain();  // the UI thread drains meanwhile
  for (auto& p : posters) p.join();
  q.Drain();
  ASSERT_EQ(r.shown.size(), static_cast<size_t>(threads * per_thread));
  std::vector<int> next(threads, 0);
  for (const std::wstring& s : r.shown) {
    int t = std::stoi(s.substr(0, s.find(L':')));
    int i = std::stoi(s.substr(s.find(L':') + 1));
    EXPECT_EQ(i, next[t]++);
  }
}

}  // namespace
}  // namespace cw
