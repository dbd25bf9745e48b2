// A scripted platform with a real user-interface queue: run_on_ui_thread
// from another thread posts the work and waits until the test's own thread
// (the "UI thread") runs it in pump(). Questions remember the thread that
// asked them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "support/scripted_platform.h"

class UiQueuePlatform : public ScriptedPlatform {
public:
    UiQueuePlatform() : ui_thread_(std::this_thread::get_id()) {}

    void run_on_ui_thread(const std::function<void()> &work) override
    {
        if (std::this_thread::get_id() == ui_thread_) {
            work();
            return;
        }
        auto job = std::make_shared<Job>();
        job->work = work;
        std::unique_lock<std::mutex> lock(mutex_);
        jobs_.push_back(job);
        posted_.notify_all();
        done_.wait(lock, [&] { return job->finished; });
    }

    bool ask_yes_no(const std::string &text) override
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            question_threads_.push_back(std::this_thread::get_id());
        }
        return ScriptedPlatform::ask_yes_no(text);
    }

    QuestionAnswer ask_yes_no_save(const std::string &text) override
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            question_threads_.push_back(std::this_thread::get_id());
        }
        return ScriptedPlatform::ask_yes_no_save(text);
    }

    // Waits for the next posted job and runs it on this thread.
    void pump_one()
    {
        std::shared_ptr<Job> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            posted_.wait(lock, [&] { return !jobs_.empty(); });
            job = jobs_.front();
            jobs_.pop_front();
        }
        job->work();
        std::lock_guard<std::mutex> lock(mutex_);
        job->finished = true;
        done_.notify_all();
    }

    // Runs one posted job if one arrives within a short while; false if none.
    bool pump_if_posted()
    {
        std::shared_ptr<Job> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (!posted_.wait_for(lock, std::chrono::milliseconds(5), [&] { return !jobs_.empty(); }))
                return false;
            job = jobs_.front();
            jobs_.pop_front();
        }
        job->work();
        std::lock_guard<std::mutex> lock(mutex_);
        job->finished = true;
        done_.notify_all();
        return true;
    }

    // Waits until a job is posted, without running it.
    void wait_for_job()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        posted_.wait(lock, [&] { return !jobs_.empty(); });
    }

    std::vector<std::thread::id> question_threads() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return question_threads_;
    }

    std::thread::id ui_thread() const { return ui_thread_; }

private:
    struct Job {
        std::function<void()> work;
        bool finished = false;
    };

    std::thread::id ui_thread_;
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::condition_variable done_;
    std::deque<std::shared_ptr<Job>> jobs_;
    std::vector<std::thread::id> question_threads_;
};
