#include "picture/Codecs.h"

#include "codecs/CodecModule.h"
#include "picture/PngEncode.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <mutex>
#include <thread>

namespace wheel::codecs {

namespace {

struct Module {
    std::once_flag tried;
    const ModuleTable* table = nullptr;  // set once, inside `tried`
    std::string problem;

    std::mutex preloadMutex;
    std::thread preload;

    // A program that ends while the module is still loading waits for it
    // rather than tearing the process down under the loader's feet.
    ~Module()
    {
        if (preload.joinable())
            preload.join();
    }
};

Module& TheModule()
{
    static Module module;
    return module;
}

// WHEEL_CODECS_MODULE is relative to the directory of the running program.
std::string ModulePath()
{
    char exe[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe);
    if (n <= 0 || n >= ssize_t(sizeof exe))
        return WHEEL_CODECS_MODULE;
    std::string path(exe, std::size_t(n));
    path.erase(path.rfind('/') + 1);
    return path + WHEEL_CODECS_MODULE;
}

void Load(Module& module)
{
    const std::string path = ModulePath();
    // Never closed: OpenCV's own clean-up runs at the process's end.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    using Entry = const ModuleTable* (*)();
    const auto entry = handle ? reinterpret_cast<Entry>(::dlsym(handle, kModuleEntry)) : nullptr;
    const ModuleTable* table = entry ? entry() : nullptr;
    if (table && table->version == kModuleVersion) {
        module.table = table;
        return;
    }
    const char* why = handle ? nullptr : ::dlerror();
    module.problem = why ? why : path + ": not the codec module of this version of the program";
    // Said once on stderr, for whoever must mend the installation; the
    // user-facing message says only that the codecs are missing.
    std::fprintf(stderr, "%s: cannot load the picture codecs: %s\n", program_invocation_short_name,
                 module.problem.c_str());
}

const ModuleTable* Table()
{
    Module& module = TheModule();
    std::call_once(module.tried, [&module] { Load(module); });
    return module.table;
}

} // namespace

void StartLoading()
{
    Module& module = TheModule();
    const std::lock_guard lock(module.preloadMutex);
    if (!module.preload.joinable())
        module.preload = std::thread([] { Table(); });
}

void FinishLoading()
{
    Module& module = TheModule();
    const std::lock_guard lock(module.preloadMutex);
    if (module.preload.joinable())
        module.preload.join();
}

bool Available()
{
    return Table() != nullptr;
}

std::string Problem()
{
    return Available() ? std::string() : TheModule().problem;
}

cv::Mat Read(const std::string& path, int flags)
{
    const ModuleTable* table = Table();
    return table ? table->read(path, flags) : cv::Mat();
}

cv::Mat Decode(std::span<const std::uint8_t> bytes, int flags)
{
    const ModuleTable* table = Table();
    return table ? table->decode(bytes.data(), bytes.size(), flags) : cv::Mat();
}

bool Encode(const std::string& ext, const cv::Mat& image, std::vector<std::uint8_t>& out)
{
    if (ext == ".png" && EncodePng(image, out))
        return true;
    const ModuleTable* table = Table();
    return table && table->encode(ext, image, out);
}

} // namespace wheel::codecs
