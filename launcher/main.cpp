// Entry point: WinMain for the Windows GUI program, main elsewhere. The
// command line is ignored.
#include "launcher.h"
#include "platform/win32.h"

#ifdef _WIN32
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return RunMirqgate();
}
#else
int main() {
  return RunMirqgate();
}
#endif
