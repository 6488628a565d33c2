#pragma once
// Window messages: a synchronous send is a direct call of the target's
// message map on the GUI thread, as SendMessage is on Windows.
#include <cstdint>

constexpr unsigned WM_PAINT = 15;
constexpr unsigned WM_USER = 1024;
constexpr unsigned WM_FILE_EXISTS = WM_USER;            // 1024
constexpr unsigned WM_COPY_ERROR = WM_USER + 1;         // 1025
constexpr unsigned WM_START_SCAN = WM_USER + 2;         // 1026
constexpr unsigned WM_COPY_FINISHED = WM_USER + 3;      // 1027
constexpr unsigned WM_OPERATION_STARTED = WM_USER + 4;  // 1028

struct TMessage {
  unsigned Msg = 0;
  std::intptr_t WParam = 0;
  std::intptr_t LParam = 0;
  std::intptr_t Result = 0;
};

// Anything that answers window messages (the main window).
class TMessageTarget {
 public:
  virtual ~TMessageTarget() = default;
  virtual void Dispatch(TMessage& message) = 0;
};

// Sends a message and returns its result. Must be called on the GUI thread.
inline std::intptr_t SendMessage(TMessageTarget* target, unsigned msg, std::intptr_t wParam,
                                 std::intptr_t lParam) {
  if (!target) return 0;
  TMessage m{msg, wParam, lParam, 0};
  target->Dispatch(m);
  return m.Result;
}
