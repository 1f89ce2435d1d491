#include "split_rows.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace qrv::detail {
namespace {

struct Job {
  int rows = 0;
  int chunk = 1;
  void (*run)(const void*, int, int) = nullptr;
  const void* context = nullptr;
  std::atomic<int> next{0};

  void Work() {
    for (int first = next.fetch_add(chunk); first < rows; first = next.fetch_add(chunk))
      run(context, first, std::min(rows, first + chunk));
  }
};

// One helper thread, started on first use and joined when the library is unloaded. It takes a job only while
// the caller has it posted; the caller withdraws the job when its own share is done and then waits only for a
// helper that had already taken it.
class RowHelper {
 public:
  static RowHelper& Instance() {
    static RowHelper helper;
    return helper;
  }

  ~RowHelper() {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  void Share(Job& job) {
    {
      std::unique_lock lock(mutex_);
      if (posted_ || stopping_) {
        lock.unlock();
        job.Work();  // the helper serves another frame: this one runs on the caller alone
        return;
      }
      posted_ = &job;
      ++postings_;
    }
    changed_.notify_all();
    job.Work();
    std::unique_lock lock(mutex_);
    posted_ = nullptr;
    changed_.wait(lock, [&] { return taken_ != &job; });
  }

 private:
  RowHelper() : thread_([this] { Serve(); }) {}

  void Serve() {
    std::unique_lock lock(mutex_);
    // A job is taken once: the count of postings tells a new job from one already served, even at the same
    // address.
    unsigned long served = 0;
    for (;;) {
      changed_.wait(lock, [&] { return stopping_ || (posted_ && postings_ != served); });
      if (stopping_) return;
      served = postings_;
      Job* job = taken_ = posted_;
      lock.unlock();
      job->Work();
      lock.lock();
      taken_ = nullptr;
      changed_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  Job* posted_ = nullptr;
  Job* taken_ = nullptr;
  unsigned long postings_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace

void ShareRows(int rows, void (*run)(const void*, int, int), const void* context) {
  Job job;
  job.rows = rows;
  job.chunk = std::max(1, rows / 64);
  job.run = run;
  job.context = context;
  RowHelper::Instance().Share(job);
}

}  // namespace qrv::detail
