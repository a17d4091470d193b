// The walk over the files and directories of a run and the pool of workers
// that check them (kelvane check, kelvane report): results come back in walk
// order, each as soon as every earlier file is done; at most a few results
// per worker wait for their turn.
#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/check_file.h"
#include "host/file_walk.h"

namespace kelvane::tool {

// The walk, the workers and the results waiting for their turn.
class Run {
 public:
  Run(const std::vector<std::string>& paths, const host::CheckOptions& opt, unsigned jobs)
      : opt_(opt), walk_(paths), jobs_(jobs), window_(static_cast<size_t>(jobs) * 8) {}

  // Runs the workers; emit is called on this thread for every result in
  // walk order, problem for every problem of the walk, idle now and then.
  template <class Emit, class Problem, class Idle>
  void Go(Emit&& emit, Problem&& problem, Idle&& idle) {
    std::vector<std::thread> pool;
    pool.reserve(jobs_);
    for (unsigned t = 0; t < jobs_; ++t) pool.emplace_back([this] { Work(); });
    std::unique_lock<std::mutex> lk(mu_);
    while (true) {
      for (auto& p : problems_) {
        lk.unlock();
        problem(p);
        lk.lock();
      }
      problems_.clear();
      auto it = done_.find(printed_);
      if (it != done_.end()) {
        host::FileResult r = std::move(it->second);
        done_.erase(it);
        ++printed_;
        workCv_.notify_all();
        lk.unlock();
        emit(r);
        lk.lock();
        continue;
      }
      if (walkDone_ && printed_ == next_ && busy_ == 0) break;
      doneCv_.wait_for(lk, std::chrono::milliseconds(100));
      const size_t printed = printed_;
      lk.unlock();
      idle(printed);
      lk.lock();
    }
    lk.unlock();
    for (std::thread& th : pool) th.join();
  }

 private:
  void Work() {
    host::Checker checker(opt_);
    std::unique_lock<std::mutex> lk(mu_);
    while (true) {
      workCv_.wait(lk, [&] { return walkDone_ || next_ < printed_ + window_; });
      if (walkDone_) return;
      host::FileWalk::Item item;
      const bool more = walk_.Next(item);
      for (auto& p : walk_.TakeProblems()) problems_.push_back(std::move(p));
      if (!more) {
        walkDone_ = true;
        workCv_.notify_all();
        doneCv_.notify_all();
        return;
      }
      const size_t seq = next_++;
      ++busy_;
      lk.unlock();
      host::FileResult r = checker.Check(item.path);
      lk.lock();
      --busy_;
      done_.emplace(seq, std::move(r));
      // Waking the writing thread for every file costs a switch of threads
      // per file: wake it when half the window waits, when the walk has no
      // more files, or every 20 ms, so results still stream as they come.
      const auto now = std::chrono::steady_clock::now();
      if (walkDone_ || done_.size() * 2 >= window_ ||
          now - lastWake_ >= std::chrono::milliseconds(20)) {
        lastWake_ = now;
        doneCv_.notify_all();
      }
    }
  }

  const host::CheckOptions& opt_;
  host::FileWalk walk_;
  const unsigned jobs_;
  const size_t window_;
  std::mutex mu_;
  std::condition_variable workCv_, doneCv_;
  bool walkDone_ = false;
  size_t next_ = 0;     // sequence number of the next file of the walk
  size_t printed_ = 0;  // results written so far
  size_t busy_ = 0;     // files being checked
  std::chrono::steady_clock::time_point lastWake_{};  // of the writing thread
  std::map<size_t, host::FileResult> done_;
  std::vector<host::FileWalk::Problem> problems_;
};

}  // namespace kelvane::tool
