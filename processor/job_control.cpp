#include "processor/job_control.h"

namespace vtproc {

JobControl::JobControl() : running_(::CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}

void JobControl::Pause() {
  ::AcquireSRWLockExclusive(&lock_);
  // A cancelled job is never paused again: its work must be able to end.
  if (!cancelled_) ::ResetEvent(running_.Get());
  ::ReleaseSRWLockExclusive(&lock_);
}

void JobControl::Resume() {
  ::AcquireSRWLockExclusive(&lock_);
  ::SetEvent(running_.Get());
  ::ReleaseSRWLockExclusive(&lock_);
}

void JobControl::Cancel() {
  ::AcquireSRWLockExclusive(&lock_);
  cancelled_ = true;
  ::SetEvent(running_.Get());
  ::ReleaseSRWLockExclusive(&lock_);
}

bool JobControl::Cancelled() const {
  ::AcquireSRWLockShared(&lock_);
  const bool cancelled = cancelled_;
  ::ReleaseSRWLockShared(&lock_);
  return cancelled;
}

bool JobControl::WaitWhilePaused() {
  if (Cancelled()) return false;
  ::WaitForSingleObject(running_.Get(), INFINITE);
  return !Cancelled();
}

}  // namespace vtproc
