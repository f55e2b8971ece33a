#pragma once
// Pause, resume and cancel for one job. The spooler calls ControlPrintProcessor on its own thread while
// PrintDocumentOnPrintProcessor is at work; the work waits at every step while the job is paused and stops
// at the next step once it is cancelled.

#include <windows.h>

#include "processor/win32_handles.h"

namespace vtproc {

class JobControl {
 public:
  JobControl();
  JobControl(const JobControl&) = delete;
  JobControl& operator=(const JobControl&) = delete;

  bool Valid() const { return static_cast<bool>(running_); }
  void Pause();
  void Resume();
  void Cancel();
  bool Cancelled() const;
  // Returns at once while the job runs; waits while it is paused. False when the job is cancelled.
  bool WaitWhilePaused();

 private:
  mutable SRWLOCK lock_ = SRWLOCK_INIT;
  bool cancelled_ = false;
  UniqueHandle running_;  // manual-reset event: signalled unless the job is paused
};

}  // namespace vtproc
