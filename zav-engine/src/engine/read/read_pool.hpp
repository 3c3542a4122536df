// A private pool of worker threads that runs one indexed job at a time.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <expected>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zav {

class ReadPool {
 public:
  // Starts exactly `workers` threads, one after another. When one cannot be
  // started, the ones already running are stopped and the error text returned.
  static std::expected<std::unique_ptr<ReadPool>, std::string> start(std::size_t workers);

  // Runs task(i) for every i below `count` on the workers, each index exactly
  // once, and returns when all are done. The caller sleeps meanwhile.
  void run(std::size_t count, const std::function<void(std::size_t)>& task);

  // Tells every worker to stop and waits for them to end.
  ~ReadPool();

  ReadPool(const ReadPool&) = delete;
  ReadPool& operator=(const ReadPool&) = delete;

 private:
  ReadPool() = default;
  void work();
  void stop();

  std::mutex mutex_;
  std::condition_variable wake_;  // workers wait here for a job or the stop
  std::condition_variable done_;  // the caller waits here for the job's end
  const std::function<void(std::size_t)>* task_ = nullptr;
  std::size_t count_ = 0;
  std::size_t next_ = 0;      // next index to hand out
  std::size_t finished_ = 0;  // indices completed
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace zav
