#include "InstallThread.h"

#include "setup_installer.h"

#include <sys/resource.h>
#include <unistd.h>

namespace setup {

namespace {

constexpr int PollMilliseconds = 5;

void LowerThisThreadsPriority() {
    const pid_t thread = gettid();
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
    if (errno == 0)
        setpriority(PRIO_PROCESS, static_cast<id_t>(thread), current + 2);
}

} // namespace

TInstallThread::TInstallThread(TInstaller& installer) : installer_(installer) {
    timer_.setInterval(PollMilliseconds);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Drain(); });
}

TInstallThread::~TInstallThread() {
    EndAndJoin();
}

void TInstallThread::Start() {
    timer_.start();
    thread_ = std::thread([this] {
        LowerThisThreadsPriority();
        Execute();
    });
}

void TInstallThread::Execute() {
    installer_.Execute();
    std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_all();
}

void TInstallThread::EndAndJoin() {
    if (!thread_.joinable())
        return;
    Terminate();
    Resume();
    {
        std::unique_lock lock(mutex_);
        dropUpdates_ = true;
        updates_.clear();
        if (!serving_) {
            for (;;) {
                changed_.wait(lock, [this] { return finished_ || CanServe(); });
                if (finished_)
                    break;
                RunPending(lock);
            }
        }
        updates_.clear();
    }
    timer_.stop();
    thread_.join();
}

void TInstallThread::Suspend() {
    std::lock_guard lock(mutex_);
    suspended_ = true;
}

void TInstallThread::Resume() {
    std::lock_guard lock(mutex_);
    suspended_ = false;
    changed_.notify_all();
}

void TInstallThread::Terminate() {
    std::lock_guard lock(mutex_);
    endRequested_ = true;
    changed_.notify_all();
}

bool TInstallThread::Finished() const {
    std::lock_guard lock(mutex_);
    return finished_;
}

bool TInstallThread::CanServe() const {
    return pending_ && !pendingDone_ && !suspended_ && !serving_;
}

void TInstallThread::WaitFor() {
    std::unique_lock lock(mutex_);
    if (serving_)
        return;
    for (;;) {
        changed_.wait(lock, [this] { return finished_ || CanServe(); });
        RunUpdates(lock);
        if (finished_)
            return;
        if (CanServe())
            RunPending(lock);
    }
}

void TInstallThread::Drain() {
    std::unique_lock lock(mutex_);
    RunUpdates(lock);
    if (CanServe())
        RunPending(lock);
    if (finished_ && updates_.empty())
        timer_.stop();
}

// Runs the queued updates in order, without the lock: they act on the wizard's controls.
void TInstallThread::RunUpdates(std::unique_lock<std::mutex>& lock) {
    while (!updates_.empty()) {
        std::function<void()> update = std::move(updates_.front());
        updates_.pop_front();
        lock.unlock();
        update();
        lock.lock();
    }
}

bool TInstallThread::Terminated() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !suspended_ || endRequested_; });
    return endRequested_;
}

bool TInstallThread::EndRequested() const {
    std::lock_guard lock(mutex_);
    return endRequested_;
}

void TInstallThread::Synchronize(const std::function<void()>& call) {
    std::unique_lock lock(mutex_);
    pending_ = &call;
    pendingDone_ = false;
    pendingError_ = nullptr;
    changed_.notify_all();
    changed_.wait(lock, [this] { return pendingDone_; });
    pending_ = nullptr;
    if (auto error = std::exchange(pendingError_, nullptr))
        std::rethrow_exception(error);
}

void TInstallThread::Post(std::function<void()> update) {
    std::lock_guard lock(mutex_);
    if (!dropUpdates_)
        updates_.push_back(std::move(update));
}

// Runs the synchronised call without the lock; the updates queued before it have run.
void TInstallThread::RunPending(std::unique_lock<std::mutex>& lock) {
    RunUpdates(lock);
    if (!CanServe())
        return;
    const std::function<void()>* call = pending_;
    serving_ = true;
    lock.unlock();
    std::exception_ptr error;
    try {
        (*call)();
    } catch (...) {
        error = std::current_exception();
    }
    lock.lock();
    serving_ = false;
    pendingError_ = error;
    pendingDone_ = true;
    changed_.notify_all();
}

} // namespace setup
