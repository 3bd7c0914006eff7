// The type driver list: loading and unloading drivers, the settings file.
#include "types/drivers.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/messages.h"
#include "core/symbols.h"
#include "platform/platform.h"

namespace {

// Engine strings of the settings file and the driver protocol.
enum : int32_t {
    kMsgIniExtension = 1000,
    kMsgSection = 1001,
    kMsgCountKey = 1002,
    kMsgDriverKey = 1003,
    kMsgCannotLoad = 1004,
    kMsgAlreadyLoaded = 1005,
    kMsgRegTypesName = 1006,
    kMsgRegSetupName = 1007,
    kMsgDefaultDriver = 1009,
};

// The longest driver name read from the settings file.
constexpr size_t kMaxDriverName = 255;

const char *text(int32_t id) {
    const char *t = vyrMessageText(id);
    return t ? t : "";
}

void showMessage(int32_t id, const char *name) {
    const char *format = text(id);
    std::string message;
    // The table's texts hold one "%s" for the name.
    const char *at = std::strstr(format, "%s");
    if (at != nullptr) {
        message.assign(format, at);
        message += name ? name : "";
        message += at + 2;
    } else {
        message = format;
    }
    plat::messageBox(message.c_str());
}

std::string driverKey(int32_t n) {
    char key[32];
    std::snprintf(key, sizeof key, text(kMsgDriverKey), static_cast<int>(n));
    return key;
}

std::string directoryOf(const std::string &path) {
    size_t cut = path.find_last_of("\\/:");
    if (cut == std::string::npos) return std::string();
    // A drive's ":" stays; a trailing separator is dropped.
    return path[cut] == ':' ? path.substr(0, cut + 1) : path.substr(0, cut);
}

std::string fileNameOf(const std::string &path) {
    size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string joinPath(const std::string &dir, const std::string &file) {
    if (dir.empty()) return file;
    char last = dir.back();
    if (last == plat::kPathSeparator || last == '\\' || last == '/') return dir + file;
    return dir + plat::kPathSeparator + file;
}

std::string settingsFile() { return vyrSettingsPath(plat::modulePath()); }

// The default driver: on systems whose loader does not look beside the
// engine library, the copy there is preferred.
std::string defaultDriverName() {
    std::string name = text(kMsgDefaultDriver);
    if (*plat::kLibraryPrefix != '\0') {
        // "vyrtyp32.dll" becomes the platform's "vyrtyp32.so".
        size_t dot = name.rfind('.');
        if (dot != std::string::npos) name = name.substr(0, dot) + plat::kLibraryExtension;
        std::string beside = joinPath(directoryOf(plat::modulePath()), name);
        if (plat::fileExists(beside.c_str())) return beside;
    }
    return name;
}

// Writes a key only when its value differs, so a shut-down that changes
// nothing leaves the file untouched.
void writeKey(const std::string &file, const char *key, const std::string &value) {
    const char *section = text(kMsgSection);
    std::string current = plat::iniReadString(file.c_str(), section, key, "\n");
    if (current != value) plat::iniWriteString(file.c_str(), section, key, value.c_str());
}

}  // namespace

// ---- Registration blocks ----------------------------------------------------

bool vyrReadRegBlock(void *block, std::vector<VyrTypeEntry> &entries) {
    entries.clear();
    if (block == nullptr) return false;
    const unsigned char *bytes = static_cast<const unsigned char *>(plat::blockLock(block));
    if (bytes == nullptr) {
        plat::blockFree(block);
        return false;
    }
    constexpr size_t kNameBytes = kMaxTypeName + 1;
    constexpr size_t kEntryBytes = kNameBytes + sizeof(void *);
    size_t size = plat::blockSize(block);
    int32_t count = 0;
    if (size >= sizeof count) std::memcpy(&count, bytes, sizeof count);
    size_t fits = size >= sizeof count ? (size - sizeof count) / kEntryBytes : 0;
    size_t n = count > 0 ? std::min(static_cast<size_t>(count), fits) : 0;
    for (size_t i = 0; i < n; ++i) {
        const unsigned char *entry = bytes + sizeof count + i * kEntryBytes;
        const char *name = reinterpret_cast<const char *>(entry);
        VyrTypeProc proc;
        std::memcpy(&proc, entry + kNameBytes, sizeof proc);
        entries.push_back({std::string(name, strnlen(name, kMaxTypeName)), proc});
    }
    plat::blockUnlock(block);
    plat::blockFree(block);
    return true;
}

// ---- Drivers ------------------------------------------------------------------

VyrDriver::VyrDriver(const VyrDriver &other)
    : VyrNode(other), name(other.name), module(other.module), owner(false), regTypes(other.regTypes),
      regSetup(other.regSetup), typeNames(other.typeNames) {}

bool VyrDriver::load() {
    if (module != nullptr) unload();
    owner = true;
    module = plat::loadLibrary(name.c_str());
    if (module == nullptr) {
        showMessage(kMsgCannotLoad, name.c_str());
        return false;
    }
    regTypes = reinterpret_cast<VyrRegTypesProc>(plat::findSymbol(module, text(kMsgRegTypesName)));
    std::vector<VyrTypeEntry> entries;
    if (regTypes == nullptr || !vyrReadRegBlock(regTypes(), entries)) {
        plat::freeLibrary(module);
        module = nullptr;
        regTypes = nullptr;
        showMessage(kMsgCannotLoad, name.c_str());
        return false;
    }
    for (const VyrTypeEntry &e : entries) {
        if (vyrRegisterType(e.name.c_str(), e.proc) == nullptr) continue;
        if (std::find(typeNames.begin(), typeNames.end(), e.name) == typeNames.end())
            typeNames.push_back(e.name);
    }
    regSetup = reinterpret_cast<VyrRegSetupProc>(plat::findSymbol(module, text(kMsgRegSetupName)));
    std::string path = plat::libraryPath(module);
    if (!path.empty()) name = path.c_str();
    return true;
}

void VyrDriver::unload() {
    if (!owner || module == nullptr) return;
    std::vector<VyrTypeEntry> entries;
    if (regTypes != nullptr && vyrReadRegBlock(regTypes(), entries)) {
        for (const VyrTypeEntry &e : entries) vyrUnregisterType(e.name.c_str());
    }
    // Also every name registered at load: no type may keep a procedure of a
    // library that is about to go.
    for (const std::string &n : typeNames) vyrUnregisterType(n.c_str());
    typeNames.clear();
    // Engines keep their own copies of the host functions the driver added
    // (and a driver may leave one in the global library): every function
    // whose code the library holds is disconnected once the library is
    // really gone.  While it stays loaded (listed twice, or loaded by the
    // host too) its functions stay valid and connected.
    const void *image = plat::imageOfAddress(reinterpret_cast<const void *>(regTypes));
    std::vector<VYRFUNCTION> ownFunctions;
    if (image != nullptr) {
        for (VYRFUNCTION fn : vyrHostFunctions())
            if (plat::imageOfAddress(reinterpret_cast<const void *>(fn)) == image) ownFunctions.push_back(fn);
    }
    plat::freeLibrary(module);
    for (VYRFUNCTION fn : ownFunctions)
        if (plat::imageOfAddress(reinterpret_cast<const void *>(fn)) != image) vyrDisconnectHostFunction(fn);
    module = nullptr;
    regTypes = nullptr;
    regSetup = nullptr;
}

VyrNodeList &vyrDrivers() {
    static VyrNodeList drivers;
    return drivers;
}

bool vyrIsDriver(const void *handle) { return handle != nullptr && vyrDrivers().contains(static_cast<const VyrNode *>(handle)); }

std::string vyrSettingsPath(const std::string &modulePath) {
    std::string dir = directoryOf(modulePath);
    std::string file = fileNameOf(modulePath);
    size_t prefix = std::strlen(plat::kLibraryPrefix);
    if (prefix > 0 && file.size() > prefix && file.compare(0, prefix, plat::kLibraryPrefix) == 0)
        file.erase(0, prefix);
    size_t dot = file.rfind('.');
    if (dot != std::string::npos) file.erase(dot);
    file += text(kMsgIniExtension);
    if (dir.empty()) return file;
    if (dir.back() != '\\' && dir.back() != '/') dir += plat::kPathSeparator;
    return dir + file;
}

namespace {
void loadAndAppend(const char *name) {
    VyrDriver *driver = new VyrDriver(name);
    if (driver->load()) {
        vyrDrivers().appendNode(driver);
    } else {
        driver->destroy();
    }
}

void freeDrivers() {
    VyrNodeList &drivers = vyrDrivers();
    while (drivers.first) drivers.unlink(drivers.first);
}
}  // namespace

void vyrLoadDriverList() {
    if (vyrDrivers().count > 0) vyrSaveAndFreeDriverList();
    vyrClearRegTypes();
    freeDrivers();
    std::string file = settingsFile();
    const char *section = text(kMsgSection);
    int32_t count = plat::iniReadInt(file.c_str(), section, text(kMsgCountKey), 0);
    for (int32_t n = 1; n <= count; ++n) {
        std::string name = plat::iniReadString(file.c_str(), section, driverKey(n).c_str(), "");
        if (name.empty()) break;
        if (name.size() > kMaxDriverName) name.resize(kMaxDriverName);
        loadAndAppend(name.c_str());
    }
    // A negative count reads as no count at all.
    if (count <= 0) loadAndAppend(defaultDriverName().c_str());
}

void vyrSaveAndFreeDriverList() {
    std::string file = settingsFile();
    VyrNodeList &drivers = vyrDrivers();
    // The names go first and the count last, so a program reading the file
    // meanwhile (or after a write that failed half-way) never finds a count
    // whose names are not there yet.
    int32_t n = 0;
    for (VyrNode *d = drivers.first; d; d = d->next)
        writeKey(file, driverKey(++n).c_str(), static_cast<VyrDriver *>(d)->name.c_str());
    writeKey(file, text(kMsgCountKey), std::to_string(drivers.count));
    freeDrivers();
    vyrClearRegTypes();
}

VyrDriver *vyrDriverLoad(const char *name) {
    if (name == nullptr) return nullptr;
    VyrNodeList &drivers = vyrDrivers();
    for (VyrNode *d = drivers.walkFirst(); d; d = drivers.walkNext()) {
        if (static_cast<VyrDriver *>(d)->name.equalsNoCase(name)) {
            showMessage(kMsgAlreadyLoaded, name);
            return nullptr;
        }
    }
    VyrDriver *driver = new VyrDriver(name);
    if (!driver->load()) {
        driver->destroy();
        return nullptr;
    }
    drivers.appendNode(driver);
    return driver;
}
