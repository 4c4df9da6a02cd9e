// A scripted host password library. $ZARMOK_TEST_VERDICT (any base strtoul reads; 1 when
// unset) is what VerifyScreenSavePwd returns; every call is appended as one line to the file
// named by $ZARMOK_TEST_HOSTLIB_LOG.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Log(const char* format, auto... values) {
  const char* path = std::getenv("ZARMOK_TEST_HOSTLIB_LOG");
  if (path == nullptr) return;
  if (FILE* file = std::fopen(path, "a")) {
    std::fprintf(file, format, values...);
    std::fclose(file);
  }
}

}  // namespace

#ifdef ZARMOK_HOSTLIB_VERIFY
extern "C" __attribute__((visibility("default"))) int32_t VerifyScreenSavePwd(uintptr_t window) {
  const char* verdict = std::getenv("ZARMOK_TEST_VERDICT");
  const auto result =
      static_cast<uint32_t>(verdict != nullptr ? std::strtoul(verdict, nullptr, 0) : 1);
  Log("VerifyScreenSavePwd %lu -> 0x%x\n", static_cast<unsigned long>(window), result);
  return static_cast<int32_t>(result);
}
#endif

#ifdef ZARMOK_HOSTLIB_CHANGE
extern "C" __attribute__((visibility("default"))) int32_t PwdChangePasswordA(const char* which,
                                                                             uintptr_t owner,
                                                                             uint32_t reserved1,
                                                                             uint32_t reserved2) {
  Log("PwdChangePasswordA %s %lu %u %u\n", which, static_cast<unsigned long>(owner), reserved1,
      reserved2);
  return 0;
}
#endif
