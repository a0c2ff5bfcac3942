#include "InstallThread.h"

#include "setup_installer.h"

namespace setup {

TInstallThread::TInstallThread(TInstaller& installer) : installer_(installer) {}

TInstallThread::~TInstallThread() {
    EndAndJoin();
}

void TInstallThread::EndAndJoin() {
    if (!thread_)
        return;
    Terminate();
    Resume();
    WaitFor();
    thread_->wait();
}

void TInstallThread::Start() {
    thread_.reset(QThread::create([this] { Execute(); }));
    thread_->start(QThread::LowPriority);
}

void TInstallThread::Execute() {
    installer_.Execute();
    std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_all();
}

void TInstallThread::Suspend() {
    std::lock_guard lock(mutex_);
    suspended_ = true;
}

void TInstallThread::Resume() {
    std::lock_guard lock(mutex_);
    suspended_ = false;
    changed_.notify_all();
    if (pending_ && !pendingDone_)
        QMetaObject::invokeMethod(
            &uiContext_, [this] { ServePending(); }, Qt::QueuedConnection);
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

void TInstallThread::WaitFor() {
    std::unique_lock lock(mutex_);
    if (serving_)
        return;
    for (;;) {
        changed_.wait(lock,
                      [this] { return finished_ || (pending_ && !pendingDone_ && !suspended_); });
        if (finished_)
            return;
        RunPending(lock);
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
    QMetaObject::invokeMethod(
        &uiContext_, [this] { ServePending(); }, Qt::QueuedConnection);
    changed_.wait(lock, [this] { return pendingDone_; });
    pending_ = nullptr;
    if (auto error = std::exchange(pendingError_, nullptr))
        std::rethrow_exception(error);
}

void TInstallThread::Post(std::function<void()> update) {
    QMetaObject::invokeMethod(&uiContext_, std::move(update), Qt::QueuedConnection);
}

void TInstallThread::ServePending() {
    std::unique_lock lock(mutex_);
    if (pending_ && !pendingDone_ && !suspended_ && !serving_)
        RunPending(lock);
}

void TInstallThread::RunPending(std::unique_lock<std::mutex>& lock) {
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
