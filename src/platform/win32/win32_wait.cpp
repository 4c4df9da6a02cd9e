#include "win32_wait.h"

namespace zarmok::win32 {
namespace {

// Not in every SDK's headers; systems before Windows 10 1803 refuse it.
constexpr DWORD kHighResolutionTimer = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION

}  // namespace

TInputWait::TInputWait(TMethod best) {
  if (best == TMethod::HighResolutionTimer) {
    timer_ = CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS);
    if (timer_ != nullptr) {
      method_ = TMethod::HighResolutionTimer;
      return;
    }
  }
  if (best != TMethod::SystemTicks) {
    // From the system folder only: a winmm.dll beside the program is none of the system's.
    winmm_ = LoadLibraryExW(L"winmm.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    const auto begin = reinterpret_cast<TTimePeriod>(
        winmm_ != nullptr ? reinterpret_cast<void*>(GetProcAddress(winmm_, "timeBeginPeriod"))
                          : nullptr);
    end_period_ = reinterpret_cast<TTimePeriod>(
        winmm_ != nullptr ? reinterpret_cast<void*>(GetProcAddress(winmm_, "timeEndPeriod"))
                          : nullptr);
    if (begin != nullptr && end_period_ != nullptr && begin(1) == 0) {
      method_ = TMethod::FineTicks;
      return;
    }
    end_period_ = nullptr;
  }
}

TInputWait::~TInputWait() {
  if (timer_ != nullptr) CloseHandle(timer_);
  // The finer ticks cost the whole system power: they end with the saver.
  if (end_period_ != nullptr) end_period_(1);
  if (winmm_ != nullptr) FreeLibrary(winmm_);
}

bool TInputWait::Wait(int32_t milliseconds) {
  const DWORD span = static_cast<DWORD>(milliseconds < 0 ? 0 : milliseconds);
  if (timer_ != nullptr && span > 0) {
    LARGE_INTEGER due{};
    due.QuadPart = -static_cast<LONGLONG>(span) * 10000;  // relative, in 100 ns
    if (SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE)) {
      return MsgWaitForMultipleObjectsEx(1, &timer_, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) !=
             WAIT_OBJECT_0;
    }
  }
  return MsgWaitForMultipleObjectsEx(0, nullptr, span, QS_ALLINPUT, MWMO_INPUTAVAILABLE) !=
         WAIT_TIMEOUT;
}

}  // namespace zarmok::win32
