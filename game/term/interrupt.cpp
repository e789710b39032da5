#include "interrupt.h"

#include <csignal>

namespace {
volatile std::sig_atomic_t g_interrupted = 0;
}  // namespace

bool Interrupted() {
  return g_interrupted != 0;
}

void NoteHangUp() {
  g_interrupted = 1;
}

#ifdef _WIN32

#include <windows.h>

namespace {

HANDLE g_handled = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  g_interrupted = 1;
  // After these the system ends the process as soon as the handler
  // returns: wait until the game is saved.
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    if (g_handled) WaitForSingleObject(g_handled, 4000);
  }
  return TRUE;
}

}  // namespace

void CatchInterrupts() {
  g_handled = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void InterruptHandled() {
  if (g_handled) SetEvent(g_handled);
}

#else

#include <signal.h>

#include <initializer_list>

namespace {

void OnSignal(int) {
  g_interrupted = 1;
}

}  // namespace

void CatchInterrupts() {
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;  // no SA_RESTART: a blocked read returns
  for (int sig : {SIGINT, SIGHUP, SIGTERM}) sigaction(sig, &sa, nullptr);
}

void InterruptHandled() {}

#endif
