#include "file_faults.h"

#include "platform/files.h"

namespace tarvo::test {
namespace {

struct Injector {
    FaultPlan plan;
    platform::FileOps host{};
};

Injector& injector() {
    static Injector s;
    return s;
}

// Counts the call; true when it is the one to fail.
bool Fails(const char* operation) {
    FaultPlan& plan = injector().plan;
    if (++plan.calls != plan.failAt) return false;
    plan.failed = operation;
    return true;
}

std::FILE* Open(const char* path, const char* mode) {
    return Fails("open") ? nullptr : injector().host.open(path, mode);
}

std::size_t Read(void* data, std::size_t size, std::FILE* file) {
    return Fails("read") ? 0 : injector().host.read(data, size, file);
}

std::size_t Write(const void* data, std::size_t size, std::FILE* file) {
    if (!Fails("write")) return injector().host.write(data, size, file);
    // The disk fills up half way.
    return injector().host.write(data, size / 2, file);
}

int Close(std::FILE* file) {
    bool fails = Fails("close");
    int result = injector().host.close(file);  // the handle goes either way
    return fails ? EOF : result;
}

bool Rename(const char* from, const char* to) { return !Fails("rename") && injector().host.rename(from, to); }

bool Remove(const char* path) { return !Fails("remove") && injector().host.remove(path); }

std::FILE* Create(const char* path) { return Fails("create") ? nullptr : injector().host.create(path); }

bool Flush(std::FILE* file) { return !Fails("flush") && injector().host.flush(file); }

bool SetWritable(const char* path, bool writable) {
    return !Fails("chmod") && injector().host.setWritable(path, writable);
}

bool Seek(std::FILE* file, std::uint64_t offset) { return !Fails("seek") && injector().host.seek(file, offset); }

}  // namespace

FaultPlan& InstallFaultPlan(long failAt) {
    platform::resetFileOps();
    injector().host = platform::fileOps();
    injector().plan = FaultPlan{failAt, 0, {}};
    platform::setFileOps({Open, Read, Write, Close, Rename, Remove, Create, Flush, SetWritable, Seek});
    return injector().plan;
}

}  // namespace tarvo::test
