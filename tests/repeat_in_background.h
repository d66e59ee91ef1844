#pragma once

#include <atomic>
#include <functional>
#include <thread>

// Runs `step` again and again on a thread of its own until this object goes,
// and joins the thread then: a test that stops at a failed ASSERT reports
// its failure instead of ending the test program with a joinable thread.
class RepeatInBackground {
  public:
    explicit RepeatInBackground(std::function<void()> step)
        : thread_([this, step] {
              while (!stopped_)
                  step();
          })
    {
    }
    ~RepeatInBackground()
    {
        stopped_ = true;
        thread_.join();
    }
    RepeatInBackground(const RepeatInBackground &) = delete;
    RepeatInBackground &operator=(const RepeatInBackground &) = delete;

  private:
    std::atomic<bool> stopped_{false};
    std::thread thread_;
};
