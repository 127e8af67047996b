#include "sdk/sdk.h"

#include "platform/platform.h"

namespace {

const char kSdkDirectory[] = "C:\\Project\\ZARVEC\\IR_Camera_SDK-1.0.1\\windows\\windows\\app";
const char kSdkFile[] = "Brenvik.dll";

// Stand-ins for optional entry points a library lacks: calling one does nothing.
#define BRENVIK_SDK_ABSENT(name, result, parameters, required) \
  result absent##name parameters { return result(); }
BRENVIK_SDK_ENTRY_POINTS(BRENVIK_SDK_ABSENT)
#undef BRENVIK_SDK_ABSENT

}  // namespace

int loadSdk(SdkEntryPoints* sdk, FILE* console) {
  // Its result does not matter: the library may still be found beside the executable
  // or through the system's search.
  SetDllDirectoryA(kSdkDirectory);

  HMODULE library = LoadLibraryA(kSdkFile);
  if (library == nullptr) {
    unsigned long code = GetLastError();
    fprintf(console, "load fail %lu\n", code);
    return 1;
  }
  // The library is never released: the SDK's threads may run until the process ends.

  // Every name is looked up before any is tested.
#define BRENVIK_SDK_BIND(name, result, parameters, required) \
  sdk->name = reinterpret_cast<result(*) parameters>(reinterpret_cast<void*>(GetProcAddress(library, #name)));
  BRENVIK_SDK_ENTRY_POINTS(BRENVIK_SDK_BIND)
#undef BRENVIK_SDK_BIND

  bool missing = false;
#define BRENVIK_SDK_CHECK(name, result, parameters, required) \
  if (required && sdk->name == nullptr) missing = true;
  BRENVIK_SDK_ENTRY_POINTS(BRENVIK_SDK_CHECK)
#undef BRENVIK_SDK_CHECK
  if (missing) {
    fputs("missing exports\n", console);
    return 2;
  }

#define BRENVIK_SDK_FILL(name, result, parameters, required) \
  if (sdk->name == nullptr) sdk->name = absent##name;
  BRENVIK_SDK_ENTRY_POINTS(BRENVIK_SDK_FILL)
#undef BRENVIK_SDK_FILL
  return 0;
}
