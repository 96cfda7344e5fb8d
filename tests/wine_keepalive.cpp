// Stays resident in the test prefix so that the wineserver keeps running between tests.
#include <windows.h>

int main() {
  Sleep(INFINITE);
  return 0;
}
