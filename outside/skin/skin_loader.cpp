#include "outside/skin/skin_loader.h"

#include "platform/paths.h"

#include <dlfcn.h>
#include <mutex>

namespace pw::skin::skin {
namespace {

using AttachFn = void (*)();
using AdjustFn = void (*)(int, int, int);
using DetachFn = void (*)();

constexpr const char* kLibraryName = "libSkinH.so";

struct Loader {
    std::mutex mutex;
    bool tried = false;
    void* handle = nullptr;
    AttachFn attach = nullptr;
    AdjustFn adjust = nullptr;
    DetachFn detach = nullptr;
    std::string testFolder;
};

Loader& loader() {
    static Loader instance;
    return instance;
}

template <typename Fn> Fn symbol(void* handle, const char* name) {
    return reinterpret_cast<Fn>(dlsym(handle, name));
}

// Opens the library and looks up the entry points once; the caller holds the mutex.
void loadOnce(Loader& l) {
    if (l.tried)
        return;
    l.tried = true;
    const std::string folder = l.testFolder.empty() ? platform::programFilesFolder() : l.testFolder;
    l.handle = dlopen(platform::joinPath(folder, kLibraryName).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (l.handle == nullptr && l.testFolder.empty())
        l.handle = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (l.handle == nullptr)
        return;
    l.attach = symbol<AttachFn>(l.handle, "SkinH_Attach");
    l.adjust = symbol<AdjustFn>(l.handle, "SkinH_AdjustHSV");
    l.detach = symbol<DetachFn>(l.handle, "SkinH_Detach");
}

} // namespace

void Attach() {
    AttachFn fn = nullptr;
    {
        std::lock_guard<std::mutex> lock(loader().mutex);
        loadOnce(loader());
        fn = loader().attach;
    }
    if (fn != nullptr)
        fn();
}

void AdjustHSV(int hue, int saturation, int value) {
    AdjustFn fn = nullptr;
    {
        std::lock_guard<std::mutex> lock(loader().mutex);
        loadOnce(loader());
        fn = loader().adjust;
    }
    if (fn != nullptr)
        fn(hue, saturation, value);
}

void Detach() {
    DetachFn fn = nullptr;
    {
        std::lock_guard<std::mutex> lock(loader().mutex);
        loadOnce(loader());
        fn = loader().detach;
    }
    if (fn != nullptr)
        fn();
}

bool libraryLoaded() {
    std::lock_guard<std::mutex> lock(loader().mutex);
    return loader().handle != nullptr;
}

void setLibraryFolderForTests(const std::string& folder) {
    Loader& l = loader();
    std::lock_guard<std::mutex> lock(l.mutex);
    // The old handle stays open: the library may still own objects of the running program.
    l.tried = false;
    l.handle = nullptr;
    l.attach = nullptr;
    l.adjust = nullptr;
    l.detach = nullptr;
    l.testFolder = folder;
}

} // namespace pw::skin::skin
