#include "support/driver_library.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include "support/eventually.h"

namespace kelnf::testing {
namespace {

void *Open(const char *path, int flags) {
    void *handle = dlopen(path, flags);
    if (handle == nullptr) {
        std::fprintf(stderr, "cannot load %s: %s\n", path, dlerror());
        std::abort();
    }
    return handle;
}

template <typename Function> Function Resolve(void *library, const char *name) {
    void *symbol = dlsym(library, name);
    if (symbol == nullptr) {
        std::fprintf(stderr, "missing symbol %s: %s\n", name, dlerror());
        std::abort();
    }
    return reinterpret_cast<Function>(symbol);
}

DriverLibrary LoadOnce() {
    void *driver = Open(KELNF_DRIVER_PATH, RTLD_NOW | RTLD_LOCAL);
    void *orbkit = Open(KELNF_ORBKIT_PATH, RTLD_NOW | RTLD_LOCAL);
    return {Resolve<decltype(DriverLibrary::kelMain)>(driver, "KelMain"),
            Resolve<decltype(DriverLibrary::setLogSink)>(orbkit, "OrbKitSetLogSink"),
            Resolve<decltype(DriverLibrary::mkClient)>(orbkit, "Orb5MkClient"),
            Resolve<decltype(DriverLibrary::rmClient)>(orbkit, "Orb5RmClient"),
            Resolve<decltype(DriverLibrary::stopClient)>(orbkit, "OrbKitStopClient"),
            Resolve<decltype(DriverLibrary::waitRemoved)>(orbkit, "OrbKitWaitRemoved")};
}

} // namespace

const DriverLibrary &Driver() {
    static const DriverLibrary library = LoadOnce();
    return library;
}

int32_t Call(int32_t operation, void *instance, void *args, int32_t instanceNumber) {
    DriverRequest request{};
    request.instance = instance;
    request.operation = operation;
    request.instanceNumber = instanceNumber;
    request.args = args;
    return Driver().kelMain(&request);
}

DriverInfo Describe() {
    DriverInfo info{};
    EXPECT_EQ(Call(KEL_OP_DESCRIBE, nullptr, &info), KEL_RESULT_DONE);
    return info;
}

std::string ClientName(int32_t instanceNumber) {
    char name[32];
    std::snprintf(name, sizeof name, "KelNF No_%.2d", instanceNumber);
    return name;
}

bool ClientRegistered(const std::string &name) { return Driver().waitRemoved(name.c_str(), 0) != 0; }

StartArgs StartRecord(const char *portName, uint32_t enable) {
    StartArgs args{};
    std::memcpy(args.portName, portName, std::min(std::strlen(portName), sizeof args.portName));
    args.enable = enable;
    args.readTimeout = 10;
    args.line = {9600, 8, 0, 0};
    return args;
}

HostInstance::HostInstance()
    : size_(Describe().instanceSize),
      storage_(new uint64_t[(size_ + sizeof(uint64_t) - 1) / sizeof(uint64_t)]()) {}

std::vector<unsigned char> HostInstance::Bytes() const {
    const auto *bytes = reinterpret_cast<const unsigned char *>(storage_.get());
    return {bytes, bytes + size_};
}

LogCapture::LogCapture() { Driver().setLogSink(&LogCapture::Sink, this); }

LogCapture::~LogCapture() { Driver().setLogSink(nullptr, nullptr); }

std::vector<std::string> LogCapture::Lines() const {
    std::lock_guard<std::mutex> hold(lock_);
    return lines_;
}

bool LogCapture::WaitFor(const std::string &line) const {
    return Eventually([&] {
        const std::vector<std::string> lines = Lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    });
}

void LogCapture::Sink(int level, const char *line, void *context) {
    auto *capture = static_cast<LogCapture *>(context);
    std::lock_guard<std::mutex> hold(capture->lock_);
    capture->lines_.push_back(std::to_string(level) + " " + line);
}

CheckedAddress CheckAddress(const char *text) {
    CheckedAddress checked{};
    std::memset(&checked.record, 0xA5, sizeof checked.record);
    checked.record.text = text;
    checked.result = Call(KEL_OP_CHECK_ADDRESS, nullptr, &checked.record);
    return checked;
}

namespace {

TagAccess AccessFor(int32_t type, int32_t index, TagValue *value) {
    TagAccess access;
    std::memset(&access, 0x5A, sizeof access);
    access.type = type;
    access.index = index;
    access.value = value;
    return access;
}

} // namespace

int32_t ReadValue(HostInstance &instance, int32_t type, int32_t index, uint16_t *value) {
    TagValue tagValue{0xBEEF, *value};
    TagAccess access = AccessFor(type, index, &tagValue);
    const int32_t result = Call(KEL_OP_READ, instance.get(), &access);
    EXPECT_EQ(tagValue.untouched, 0xBEEF) << "the first half of TagValue is the host's";
    *value = tagValue.value;
    return result;
}

int32_t WriteValue(HostInstance &instance, int32_t type, int32_t index, uint16_t value) {
    TagValue tagValue{0xBEEF, value};
    TagAccess access = AccessFor(type, index, &tagValue);
    return Call(KEL_OP_WRITE, instance.get(), &access);
}

uint16_t ReadAddress(HostInstance &instance, const char *address) {
    const CheckedAddress checked = CheckAddress(address);
    EXPECT_EQ(checked.result, KEL_RESULT_DONE) << address;
    uint16_t value = 0xDEAD;
    EXPECT_EQ(ReadValue(instance, checked.record.type, checked.record.index, &value), KEL_RESULT_DONE)
        << address;
    return value;
}

void WriteAddress(HostInstance &instance, const char *address, uint16_t value) {
    const CheckedAddress checked = CheckAddress(address);
    EXPECT_EQ(checked.result, KEL_RESULT_DONE) << address;
    EXPECT_EQ(WriteValue(instance, checked.record.type, checked.record.index, value), KEL_RESULT_DONE)
        << address;
}

} // namespace kelnf::testing
