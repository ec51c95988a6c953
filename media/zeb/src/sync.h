// Mutex, condition and thread for the library's worker threads, on POSIX threads
// (MinGW's winpthread on Windows, which the C++ runtime links in any case). The C++
// thread library would do the same but brings std::system_error and a second string
// implementation into the DLL, about a sixth of its size.
#pragma once

#include <pthread.h>

namespace zeb {

// Lockable by std::lock_guard; never throws.
class Mutex {
 public:
  Mutex() { pthread_mutex_init(&mutex_, nullptr); }
  ~Mutex() { pthread_mutex_destroy(&mutex_); }
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;

  void lock() { pthread_mutex_lock(&mutex_); }
  void unlock() { pthread_mutex_unlock(&mutex_); }
  pthread_mutex_t* Native() { return &mutex_; }

 private:
  pthread_mutex_t mutex_;
};

class Condition {
 public:
  Condition() { pthread_cond_init(&cond_, nullptr); }
  ~Condition() { pthread_cond_destroy(&cond_); }
  Condition(const Condition&) = delete;
  Condition& operator=(const Condition&) = delete;

  // Called with mutex held; returns with it held once ready() is true.
  template <typename Ready>
  void Wait(Mutex& mutex, Ready ready) {
    while (!ready()) pthread_cond_wait(&cond_, mutex.Native());
  }
  void NotifyAll() { pthread_cond_broadcast(&cond_); }

 private:
  pthread_cond_t cond_;
};

// One joinable thread; the destructor joins it if the owner has not.
class Thread {
 public:
  Thread() = default;
  ~Thread() { Join(); }
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  bool Start(void* (*run)(void*), void* argument) {
    started_ = pthread_create(&thread_, nullptr, run, argument) == 0;
    return started_;
  }
  void Join() {
    if (started_) pthread_join(thread_, nullptr);
    started_ = false;
  }

 private:
  pthread_t thread_{};
  bool started_ = false;
};

}  // namespace zeb
