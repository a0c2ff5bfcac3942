#pragma once
// The worker of one installation, and where the worker and the user-interface thread meet.
// The worker never calls Qt: its reports and synchronised calls wait in a queue of this object,
// which a timer on the user-interface thread drains in order; Cancel pauses the worker at its
// end tests and asks it to end.

#include <QTimer>

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace setup {

class TInstaller;

class TInstallThread {
public:
    // Created on the user-interface thread, which serves its reports and synchronised calls.
    explicit TInstallThread(TInstaller& installer);
    // Asks a running worker to end and waits until its thread has gone.
    ~TInstallThread();
    TInstallThread(const TInstallThread&) = delete;
    TInstallThread& operator=(const TInstallThread&) = delete;

    // Starts `Execute` on a thread of its own, below normal priority.
    void Start();

    // User-interface thread.
    void Suspend();
    void Resume();
    void Terminate();
    // Waits until `Execute` has returned, serving reports and synchronised calls meanwhile.
    // Called from inside a synchronised call (a window closed while the overwrite question is
    // open) it returns at once, since the worker cannot finish before that call returns.
    void WaitFor();
    // Asks the worker to end and waits until its thread has gone; its reports are dropped.
    void EndAndJoin();
    bool Finished() const;

    // Worker thread.
    // The end test: true when the worker is to end; waits while the worker is suspended.
    bool Terminated();
    // The end request without waiting (for steps that run on the user-interface thread).
    bool EndRequested() const;
    // Runs `call` on the user-interface thread and waits for it; its exception is rethrown here.
    void Synchronize(const std::function<void()>& call);
    // Queues `update` for the user-interface thread, after every update queued before it.
    void Post(std::function<void()> update);

private:
    void Execute();
    void Drain();
    void RunUpdates(std::unique_lock<std::mutex>& lock);
    bool CanServe() const;
    void RunPending(std::unique_lock<std::mutex>& lock);

    TInstaller& installer_;
    QTimer timer_;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> updates_;
    bool suspended_ = false;
    bool endRequested_ = false;
    bool finished_ = false;
    bool serving_ = false;
    bool dropUpdates_ = false;
    const std::function<void()>* pending_ = nullptr;
    bool pendingDone_ = false;
    std::exception_ptr pendingError_;
};

} // namespace setup
