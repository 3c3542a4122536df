#include "engine/read/read_pool.hpp"

#include <system_error>

#include "base/os_error.hpp"

namespace zav {

std::expected<std::unique_ptr<ReadPool>, std::string> ReadPool::start(std::size_t workers) {
  std::unique_ptr<ReadPool> pool(new ReadPool());
  try {
    pool->threads_.reserve(workers);
    for (std::size_t i = 0; i < workers; ++i) {
      pool->threads_.emplace_back([p = pool.get()] { p->work(); });
    }
  } catch (const std::system_error& error) {
    pool->stop();
    return std::unexpected(os_error_text(error.code().value()));
  } catch (const std::bad_alloc&) {
    pool->stop();
    return std::unexpected(std::string(OUT_OF_MEMORY));
  }
  return pool;
}

void ReadPool::run(std::size_t count, const std::function<void(std::size_t)>& task) {
  if (count == 0) return;
  std::unique_lock lock(mutex_);
  task_ = &task;
  count_ = count;
  next_ = 0;
  finished_ = 0;
  wake_.notify_all();
  done_.wait(lock, [&] { return finished_ == count_; });
  task_ = nullptr;
}

void ReadPool::work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || (task_ != nullptr && next_ < count_); });
    if (stopping_) return;
    // Take indices one at a time so that slow files do not hold up a share.
    while (task_ != nullptr && next_ < count_) {
      std::size_t index = next_++;
      const auto* task = task_;
      lock.unlock();
      (*task)(index);
      lock.lock();
      if (++finished_ == count_) done_.notify_one();
    }
  }
}

void ReadPool::stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (auto& thread : threads_) thread.join();
  threads_.clear();
}

ReadPool::~ReadPool() {
  stop();
}

}  // namespace zav
