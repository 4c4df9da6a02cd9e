// A scripted host password library for the Windows saver, built twice: as PASSWORD.CPL with
// VerifyScreenSavePwd and as MPR.DLL with PwdChangePasswordA. Each verification takes its
// verdict from the first line of the file %ZARMOK_TEST_VERDICT_FILE% at the time of the call
// (any base strtoul reads; 1 when there is no such file), so one run can refuse and then
// accept; a second number on the line is how many milliseconds the answer takes, as a user's
// typing does. Every call is appended as one line to %ZARMOK_TEST_HOSTLIB_LOG%.
//
// Built a second time as an impostor of each, to lie beside the program where a load by bare
// name looks first: its verification always refuses, the opposite of the real one's default,
// and its log lines start with "impostor ".
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

#ifdef ZARMOK_HOSTLIB_IMPOSTOR
constexpr const char* kWho = "impostor ";
#else
constexpr const char* kWho = "";
#endif

void Log(const char* format, auto... values) {
  const char* path = std::getenv("ZARMOK_TEST_HOSTLIB_LOG");
  if (path == nullptr) return;
  if (FILE* file = std::fopen(path, "a")) {
    std::fprintf(file, format, values...);
    std::fclose(file);
  }
}

[[maybe_unused]] DWORD ScriptedVerdict() {
#ifdef ZARMOK_HOSTLIB_IMPOSTOR
  return 0;
#endif
  const char* path = std::getenv("ZARMOK_TEST_VERDICT_FILE");
  if (path == nullptr) return 1;
  FILE* file = std::fopen(path, "r");
  if (file == nullptr) return 1;
  char line[64] = {};
  const bool read = std::fgets(line, sizeof line, file) != nullptr;
  std::fclose(file);
  if (!read) return 1;
  char* rest = nullptr;
  const DWORD verdict = static_cast<DWORD>(std::strtoul(line, &rest, 0));
  Sleep(static_cast<DWORD>(std::strtoul(rest, nullptr, 0)));
  return verdict;
}

}  // namespace

#ifdef ZARMOK_HOSTLIB_VERIFY
extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
  const DWORD verdict = ScriptedVerdict();
  // The saver's window must be a real one of this process, owner of the host's dialog.
  DWORD owner_process = 0;
  GetWindowThreadProcessId(window, &owner_process);
  Log("%sVerifyScreenSavePwd window=%s -> 0x%lx\n", kWho,
      owner_process == GetCurrentProcessId() ? "own" : "foreign", verdict);
  return static_cast<BOOL>(verdict);
}
#endif

#ifdef ZARMOK_HOSTLIB_CHANGE
extern "C" __declspec(dllexport) DWORD WINAPI
    PwdChangePasswordA(LPCSTR which, HWND owner, DWORD reserved1, DWORD reserved2) {
  char type[64] = {};
  if (owner != nullptr) GetClassNameA(owner, type, sizeof type);
  DWORD owner_process = 0;
  GetWindowThreadProcessId(owner, &owner_process);
  Log("%sPwdChangePasswordA %s owner=%s visible=%d %lu %lu\n", kWho, which,
      owner != nullptr && owner_process == GetCurrentProcessId() ? "own" : "none",
      owner != nullptr && IsWindowVisible(owner) ? 1 : 0, reserved1, reserved2);
  return 0;
}
#endif
