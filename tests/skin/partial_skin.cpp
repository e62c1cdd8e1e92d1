// A stand-in skin library that offers only SkinH_Attach, to check that missing entry points
// are skipped. It records each attach in the environment variable PW_PARTIAL_SKIN_ATTACHES.
#include <cstdlib>
#include <string>

extern "C" __attribute__((visibility("default"))) void SkinH_Attach() {
    const char* before = std::getenv("PW_PARTIAL_SKIN_ATTACHES");
    const int count = before != nullptr ? std::atoi(before) : 0;
    setenv("PW_PARTIAL_SKIN_ATTACHES", std::to_string(count + 1).c_str(), 1);
}
