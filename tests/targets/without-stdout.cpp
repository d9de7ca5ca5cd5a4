// Starts a Windows program without a standard output handle (its C library then reports descriptor
// -2 for stdout), with this process's standard input and error, and exits with its exit status.
// Wine cannot show this case from a shell: a closed descriptor 1 reaches the program as some other
// handle. usage: without-stdout.exe PROGRAM.exe
#include <windows.h>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = nullptr;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, argv[1], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) return 3;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 3;
  GetExitCodeProcess(process.hProcess, &status);
  return static_cast<int>(status);
}
