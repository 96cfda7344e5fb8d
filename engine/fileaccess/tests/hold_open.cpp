// Test helper: holds a file open with no sharing until the test releases it.
// Usage: hold_open PATH TAG  (events "hold-ready-TAG" and "hold-release-TAG")
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const std::string tag = argv[2];
  const HANDLE file = CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  const HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, ("hold-ready-" + tag).c_str());
  const HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, ("hold-release-" + tag).c_str());
  if (!ready || !release) return 3;
  SetEvent(ready);
  WaitForSingleObject(release, 60000);
  CloseHandle(file);
  return 0;
}
