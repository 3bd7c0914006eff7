// Test type drivers, built only for the driver tests.  One source, four
// libraries chosen by a definition:
//   VYRTEST_DUP      registers "Font" (the default driver's name) and "DupOnly"
//   VYRTEST_NOREG    has no VyrRegTypes at all
//   VYRTEST_NOBLOCK  VyrRegTypes yields no block
//   VYRTEST_ONCE     registers "OnceType", but every second VyrRegTypes call
//                    (the one made when the driver is freed) yields no block
#include <cstring>

#include "platform/platform.h"
#include "vyrapi.h"

#if defined(_WIN32)
#define PLUGIN_EXPORT
#else
#define PLUGIN_EXPORT __attribute__((visibility("default")))
#endif

namespace {

int32_t g_calls = 0;

[[maybe_unused]] void *makeBlock(const char *const *names, int32_t count, VYRTYPEPROC proc) {
    void *block = plat::blockAlloc(VYR_REGBLOCK_SIZE(count));
    unsigned char *bytes = static_cast<unsigned char *>(plat::blockLock(block));
    if (bytes == nullptr) return nullptr;
    std::memcpy(bytes, &count, sizeof count);
    for (int32_t i = 0; i < count; ++i) {
        unsigned char *entry = bytes + sizeof(int32_t) + static_cast<size_t>(i) * sizeof(VYRREGENTRY);
        std::strncpy(reinterpret_cast<char *>(entry), names[i], VYR_TYPENAME_SIZE - 1);
        std::memcpy(entry + VYR_TYPENAME_SIZE, &proc, sizeof proc);
    }
    plat::blockUnlock(block);
    return block;
}

}  // namespace

extern "C" {

// Create: an object named "<type>:plugin" bound to its type; reset: the
// number 42; anything else is not handled.
PLUGIN_EXPORT int32_t VYRAPI VyrTestProc(VYRHWND, int32_t command, HVYRITEM item, int32_t) {
    if (command == VYRTC_CREATE) {
#if defined(VYRTEST_DUP)
        const char *type = "Font";
#else
        const char *type = "OnceType";
#endif
        HVYROBJECT object = VyrObjectCreate("plugin");
        VyrSetMemberNum(object, "Calls", ++g_calls);
        VyrItemSetObj(item, object, type);
        VyrObjectDelete(object);
        return 1;
    }
    if (command == VYRTC_RESET) return VyrItemSetNum(item, 42);
    return 0;
}

#if !defined(VYRTEST_NOREG)
PLUGIN_EXPORT void *VYRAPI VyrRegTypes(void) {
#if defined(VYRTEST_DUP)
    static const char *const names[] = {"Font", "DupOnly"};
    return makeBlock(names, 2, VyrTestProc);
#elif defined(VYRTEST_ONCE)
    static const char *const names[] = {"OnceType"};
    static int32_t calls = 0;
    return ++calls % 2 == 1 ? makeBlock(names, 1, VyrTestProc) : nullptr;
#else
    return nullptr;
#endif
}
#endif

}  // extern "C"
