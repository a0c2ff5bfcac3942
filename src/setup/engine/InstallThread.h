#pragma once
// The worker of one installation, and where the worker and the user-interface thread meet:
// queued reports, synchronised calls that run on the user-interface thread while the worker
// waits, and the cooperative pause and end request of Cancel.

#include <QObject>
#include <QThread>

#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

namespace setup {

class TInstaller;

class TInstallThread {
public:
    // Created on the user-interface thread, which serves its reports and synchronised calls.
    explicit TInstallThread(TInstaller& installer);
    // Asks a running worker to end and waits for it.
    ~TInstallThread();
    TInstallThread(const TInstallThread&) = delete;
    TInstallThread& operator=(const TInstallThread&) = delete;

    // Starts `Execute` on a thread of its own, below normal priority.
    void Start();

    // User-interface thread.
    void Suspend();
    void Resume();
    void Terminate();
    // Waits until `Execute` has returned, serving synchronised calls meanwhile. Called from
    // inside a synchronised call (a window closed while the overwrite question is open) it only
    // asks for the end, since the worker cannot finish before that call returns.
    void WaitFor();
    bool Finished() const;
    // Asks the worker to end and waits until its thread has gone.
    void EndAndJoin();

    // Worker thread.
    // The end test: true when the worker is to end; waits while the worker is suspended.
    bool Terminated();
    // The end request without waiting (for steps that run on the user-interface thread).
    bool EndRequested() const;
    // Runs `call` on the user-interface thread and waits for it; its exception is rethrown here.
    void Synchronize(const std::function<void()>& call);
    // Queues `update` to the user-interface thread, after every update queued before it.
    void Post(std::function<void()> update);

private:
    void Execute();
    void ServePending();
    void RunPending(std::unique_lock<std::mutex>& lock);

    TInstaller& installer_;
    QObject uiContext_;
    std::unique_ptr<QThread> thread_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool suspended_ = false;
    bool endRequested_ = false;
    bool finished_ = false;
    bool serving_ = false;
    const std::function<void()>* pending_ = nullptr;
    bool pendingDone_ = false;
    std::exception_ptr pendingError_;
};

} // namespace setup
