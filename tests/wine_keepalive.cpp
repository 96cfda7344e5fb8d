// Stays resident in the test prefix so that the wineserver keeps running between tests.
#include <windows.h>

int main() {
  // Start the prefix's desktop now, with this process's closed outputs: a test that
  // starts it (any COM apartment does) hands it the test's output pipe, and the test
  // runner then waits for the desktop to quit.
  GetDesktopWindow();
  Sleep(INFINITE);
  return 0;
}
