#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <new>
#include <system_error>

#include "platform/text.h"

namespace tarvo::platform {
namespace fs = std::filesystem;

namespace {

std::FILE* hostOpen(const char* hostPath, const char* mode) { return std::fopen(hostPath, mode); }

std::size_t hostRead(void* data, std::size_t size, std::FILE* file) {
    return std::fread(data, 1, size, file);
}

std::size_t hostWrite(const void* data, std::size_t size, std::FILE* file) {
    return std::fwrite(data, 1, size, file);
}

int hostClose(std::FILE* file) { return std::fclose(file); }

bool hostRename(const char* from, const char* to) {
    std::error_code ec;
    fs::rename(fs::path(from), fs::path(to), ec);
    return !ec;
}

bool hostRemove(const char* hostPath) {
    std::error_code ec;
    return fs::remove(fs::path(hostPath), ec) && !ec;
}

#ifndef O_BINARY
#define O_BINARY 0
#endif

std::FILE* hostCreate(const char* hostPath) {
    int fd = ::open(hostPath, O_WRONLY | O_CREAT | O_EXCL | O_BINARY, 0666);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) ::close(fd);
    return file;
}

bool hostFlush(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

bool hostSetWritable(const char* hostPath, bool writable) {
    std::error_code ec;
    fs::permissions(fs::path(hostPath), fs::perms::owner_write,
                    writable ? fs::perm_options::add : fs::perm_options::remove, ec);
    return !ec;
}

bool hostSeek(std::FILE* file, std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(INT64_MAX)) return false;
#ifdef _WIN32
    return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

constexpr FileOps kHostOps{hostOpen,   hostRead,   hostWrite, hostClose,       hostRename,
                           hostRemove, hostCreate, hostFlush, hostSetWritable, hostSeek};

FileOps& currentOps() {
    static FileOps ops = kHostOps;
    return ops;
}

constexpr std::size_t kWriterBuffer = 1 << 20;

// A part of a name that no other writer picks: a counter and the clock.
std::string UniquePart() {
    static std::atomic<unsigned> counter{0};
    auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
    return Printf("%x%llx", counter++, static_cast<unsigned long long>(tick) & 0xffffff);
}

// A name beside the file for its replacement.
std::string ScratchName(const std::string& path) { return path + "." + UniquePart() + ".~tmp"; }

// The new file keeps the old one's permissions (POSIX; Windows files carry no mode to keep).
void KeepMode(std::FILE* file, const std::string& hostTarget) {
#ifndef _WIN32
    struct stat info {};
    if (stat(hostTarget.c_str(), &info) == 0) fchmod(fileno(file), info.st_mode & 07777);
#else
    (void)file;
    (void)hostTarget;
#endif
}

}  // namespace

std::string HostPath(const std::string& path) {
#ifdef _WIN32
    return path;
#else
    std::string host = path;
    for (char& c : host)
        if (c == '\\') c = '/';
    return host;
#endif
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return stat(HostPath(path).c_str(), &info) == 0 && !(info.st_mode & S_IFDIR);
}

bool DirectoryExists(const std::string& path) {
    struct stat info {};
    return stat(HostPath(path).c_str(), &info) == 0 && (info.st_mode & S_IFDIR);
}

const FileOps& fileOps() { return currentOps(); }
void setFileOps(const FileOps& ops) { currentOps() = ops; }
void resetFileOps() { currentOps() = kHostOps; }

std::string FullPath(const std::string& name, const std::string& directory) {
    std::error_code ec;
    fs::path path(HostPath(name));
    if (!path.is_absolute()) {
        fs::path base = directory.empty() ? fs::current_path(ec) : fs::path(HostPath(directory));
        // A name starting with a backslash lies on the directory's drive.
        if (path.has_root_directory()) base = base.root_name();
        path = base / path;
    }
    path = path.lexically_normal();
    // "dir\.." leaves a trailing separator: the same directory without it.
    if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
#ifdef _WIN32
    path.make_preferred();
#endif
    return path.string();
}

std::string DirectoryOf(const std::string& path) {
    size_t sep = path.find_last_of("\\/");
    if (sep == std::string::npos) return "";
    std::string dir = path.substr(0, sep);
    // "C:" alone is the drive's current directory; the file lay in its root.
    if (dir.empty() || (dir.size() == 2 && dir[1] == ':')) dir += path[sep];
    return dir;
}

std::string BaseName(const std::string& path) {
    size_t sep = path.find_last_of("\\/");
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

bool IsAbsolutePath(std::string_view path) {
    return (path.size() > 1 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

std::string CurrentDirectory() {
    std::error_code ec;
    fs::path path = fs::current_path(ec);
#ifdef _WIN32
    path.make_preferred();
#endif
    return ec ? std::string(".") : path.string();
}

bool ChangeDirectory(const std::string& path) {
    std::error_code ec;
    fs::current_path(fs::path(HostPath(path)), ec);
    return !ec;
}

std::string TempDirectory() {
    std::error_code ec;
    std::string dir = fs::temp_directory_path(ec).string();
    if (ec || dir.empty()) return ".";
    while (dir.size() > 1 && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
    return dir;
}

std::string UnusedFileName(const std::string& directory, const std::string& prefix) {
    for (;;) {
        std::string name = directory + "\\" + prefix + UniquePart() + ".tmp";
        if (!FileExists(name)) return name;
    }
}

ReadStatus ReadWholeFile(const std::string& path, FileContent& content) {
    const FileOps& ops = fileOps();
    std::string host = HostPath(path);
    if (DirectoryExists(path)) return ReadStatus::CannotOpen;
    std::FILE* file = ops.open(host.c_str(), "rb");
    if (!file) return ReadStatus::CannotOpen;
    std::error_code ec;
    std::uintmax_t expected = fs::file_size(fs::path(host), ec);
    std::size_t capacity = ec ? 65536 : static_cast<std::size_t>(expected) + 1;
    LargeBlock data = AllocateLarge(capacity);
    std::size_t size = 0;
    ReadStatus status = data ? ReadStatus::Ok : ReadStatus::NoMemory;
    // Read until the end, growing when the file is longer than its size said.
    while (status == ReadStatus::Ok) {
        if (size == capacity) {
            std::size_t larger = capacity * 2;
            LargeBlock grown = AllocateLarge(larger);
            if (!grown) {
                status = ReadStatus::NoMemory;
                break;
            }
            std::copy(data.get(), data.get() + size, grown.get());
            data = std::move(grown);
            capacity = larger;
        }
        std::size_t got = ops.read(data.get() + size, capacity - size, file);
        size += got;
        if (got == 0) {
            // Nothing read short of the end is a failure, not a shorter file.
            if (std::ferror(file) || !std::feof(file)) status = ReadStatus::ReadError;
            break;
        }
    }
    ops.close(file);
    if (status != ReadStatus::Ok) return status;
    content.data = std::move(data);
    content.size = size;
    return ReadStatus::Ok;
}

ReadStatus ReadFileInPieces(const std::string& path, std::size_t& expected,
                            const std::function<bool(const char* data, std::size_t size)>& take) {
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    const FileOps& ops = fileOps();
    std::string host = HostPath(path);
    expected = 0;
    if (DirectoryExists(path)) return ReadStatus::CannotOpen;
    std::FILE* file = ops.open(host.c_str(), "rb");
    if (!file) return ReadStatus::CannotOpen;
    std::error_code ec;
    std::uintmax_t size = fs::file_size(fs::path(host), ec);
    if (!ec && size <= SIZE_MAX) expected = static_cast<std::size_t>(size);
    std::unique_ptr<char[]> piece(new (std::nothrow) char[kPiece]);
    ReadStatus status = piece ? ReadStatus::Ok : ReadStatus::NoMemory;
    while (status == ReadStatus::Ok) {
        std::size_t got = ops.read(piece.get(), kPiece, file);
        if (got == 0) {
            // Nothing read short of the end is a failure, not a shorter file.
            if (std::ferror(file) || !std::feof(file)) status = ReadStatus::ReadError;
            break;
        }
        if (!take(piece.get(), got)) status = ReadStatus::NoMemory;
    }
    ops.close(file);
    return status;
}

bool ReadFirstLine(const std::string& path, std::size_t limit, std::string& line) {
    const FileOps& ops = fileOps();
    std::FILE* file = ops.open(HostPath(path).c_str(), "rb");
    if (!file) return false;
    line.clear();
    char c;
    while (line.size() < limit && ops.read(&c, 1, file) == 1 && c != '\n') line += c;
    ops.close(file);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

std::int64_t FileTime(const std::string& path) {
    std::error_code ec;
    auto time = fs::last_write_time(fs::path(HostPath(path)), ec);
    if (ec) return 0;
    return static_cast<std::int64_t>(time.time_since_epoch().count());
}

bool SetFileTime(const std::string& path, std::int64_t time) {
    std::error_code ec;
    fs::last_write_time(fs::path(HostPath(path)),
                        fs::file_time_type(fs::file_time_type::duration(time)), ec);
    return !ec;
}

FileStamp StampOf(const std::string& path) {
    FileStamp stamp;
    std::error_code ec;
    fs::path host(HostPath(path));
    std::uintmax_t size = fs::file_size(host, ec);
    if (ec) return stamp;
    stamp.size = size;
    stamp.time = FileTime(path);
    stamp.exists = true;
    return stamp;
}

ReadHandle::~ReadHandle() { CloseReading(*this); }

bool OpenForReading(const std::string& path, ReadHandle& handle) {
    CloseReading(handle);
    if (DirectoryExists(path)) return false;
    std::string host = HostPath(path);
    handle.file = fileOps().open(host.c_str(), "rb");
    if (!handle.file) return false;
    std::error_code ec;
    std::uintmax_t size = fs::file_size(fs::path(host), ec);
    handle.size = ec ? 0 : size;
    return true;
}

void CloseReading(ReadHandle& handle) {
    if (handle.file) fileOps().close(handle.file);
    handle.file = nullptr;
    handle.size = 0;
}

std::int64_t ReadAt(ReadHandle& handle, std::uint64_t offset, void* data, std::size_t size) {
    if (!handle.file) return -1;
    if (offset >= handle.size || size == 0) return 0;
    std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(size, handle.size - offset));
    const FileOps& ops = fileOps();
    if (!ops.seek(handle.file, offset)) return -1;
    std::size_t got = ops.read(data, wanted, handle.file);
    // Short of the size seen at opening is a failure, not an end: the caller must not take
    // the missing bytes for absent ones.
    if (got != wanted) {
        std::clearerr(handle.file);
        return -1;
    }
    return static_cast<std::int64_t>(got);
}

std::string BackupName(const std::string& path) {
    std::size_t name = path.find_last_of("\\/");
    name = name == std::string::npos ? 0 : name + 1;
    std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < name) return path + ".~";
    return path.substr(0, dot) + ".~" + path.substr(dot + 1, 2);
}

bool RemoveFile(const std::string& path) { return fileOps().remove(HostPath(path).c_str()); }

bool CreateExclusive(const std::string& path, const std::string& content) {
    const FileOps& ops = fileOps();
    std::string host = HostPath(path);
    std::FILE* file = ops.create(host.c_str());
    if (!file) return false;
    bool written = ops.write(content.data(), content.size(), file) == content.size();
    written = ops.close(file) == 0 && written;
    if (!written) ops.remove(host.c_str());
    return written;
}

bool SetReadOnly(const std::string& path, bool readOnly) {
    return fileOps().setWritable(HostPath(path).c_str(), !readOnly);
}

bool IsReadOnly(const std::string& path) {
    std::error_code ec;
    fs::perms perms = fs::status(fs::path(HostPath(path)), ec).permissions();
    return !ec && (perms & fs::perms::owner_write) == fs::perms::none;
}

bool RenameFile(const std::string& from, const std::string& to) {
    return fileOps().rename(HostPath(from).c_str(), HostPath(to).c_str());
}

bool MakeDirectory(const std::string& path) {
    std::error_code ec;
    fs::create_directory(fs::path(HostPath(path)), ec);
    return !ec && DirectoryExists(path);
}

std::vector<std::string> ListDirectory(const std::string& path) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(HostPath(path)), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError)) names.push_back(it->path().filename().string());
    }
    return names;
}

namespace {

char lowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Links (and junctions) are left out altogether, to files as well as to directories: a
// file reached through a link is searched where it really lies, once.
bool listEntries(const std::string& directory, DirectoryListing& out) {
#ifdef _WIN32
    // The C library's listing carries the file attributes, so a junction or a directory link
    // (a reparse point) is told from a real directory without following it.
    constexpr unsigned kReparsePoint = 0x400;
    std::string pattern = directory;
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
    pattern += '*';
    _finddata_t found{};
    intptr_t handle = _findfirst(pattern.c_str(), &found);
    if (handle == -1) return DirectoryExists(directory);
    do {
        std::string name = found.name;
        if (name == "." || name == "..") continue;
        if (found.attrib & kReparsePoint) continue;
        (found.attrib & _A_SUBDIR ? out.directories : out.files).push_back(name);
    } while (_findnext(handle, &found) == 0);
    _findclose(handle);
    return true;
#else
    std::error_code ec;
    fs::directory_iterator it(fs::path(HostPath(directory)), ec);
    if (ec) return false;
    for (fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        fs::file_status status = it->symlink_status(typeError);
        if (typeError) continue;
        std::string name = it->path().filename().string();
        if (fs::is_directory(status)) {
            out.directories.push_back(name);
        } else if (fs::is_regular_file(status)) {
            out.files.push_back(name);
        }
    }
    return true;
#endif
}

bool lessWithoutCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return lowerChar(x) < lowerChar(y); });
}

std::string joinPath(const std::string& directory, const std::string& name) {
    if (directory.empty()) return name;
    char last = directory.back();
    return last == '\\' || last == '/' || last == ':' ? directory + name : directory + "\\" + name;
}

bool walk(const std::string& directory, bool recurse, const std::function<bool(const std::string&)>& visit,
          bool& stopped) {
    DirectoryListing entries;
    if (!walkOps().list(directory, entries)) return false;
    std::sort(entries.files.begin(), entries.files.end(), lessWithoutCase);
    for (const std::string& name : entries.files)
        if (!visit(joinPath(directory, name))) {
            stopped = true;
            return true;
        }
    if (!recurse) return true;
    std::sort(entries.directories.begin(), entries.directories.end(), lessWithoutCase);
    for (const std::string& name : entries.directories) {
        walk(joinPath(directory, name), true, visit, stopped);  // an unreadable one is passed over
        if (stopped) return true;
    }
    return true;
}

bool portableReadInto(const std::string& path, std::string& buffer, std::size_t& size);

constexpr WalkOps kPortableWalkOps{listEntries, portableReadInto};

WalkOps& currentWalkOps() {
    static WalkOps ops = kPortableWalkOps;
    return ops;
}

}  // namespace

const WalkOps& walkOps() { return currentWalkOps(); }
void setWalkOps(const WalkOps& ops) { currentWalkOps() = ops; }
void resetWalkOps() { currentWalkOps() = kPortableWalkOps; }

bool WalkFiles(const std::string& directory, bool recurse, const std::function<bool(const std::string& path)>& visit) {
    bool stopped = false;
    return walk(directory, recurse, visit, stopped);
}

bool ReadFileInto(const std::string& path, std::string& buffer, std::size_t& size) {
    return walkOps().readInto(path, buffer, size);
}

namespace {

bool portableReadInto(const std::string& path, std::string& buffer, std::size_t& size) {
    const FileOps& ops = fileOps();
    size = 0;
    std::FILE* file = ops.open(HostPath(path).c_str(), "rb");
    if (!file) return false;
    struct stat info {};
#ifdef _WIN32
    const int descriptor = _fileno(file);
#else
    const int descriptor = fileno(file);
#endif
    std::size_t expected = fstat(descriptor, &info) == 0 ? static_cast<std::size_t>(info.st_size) : 0;
    bool ok = true;
    try {
        // One byte more than the size said, so the end of the file is seen in the same read.
        if (buffer.size() < expected + 1) buffer.resize(expected + 1);
        for (;;) {
            if (size == buffer.size()) buffer.resize(buffer.size() * 2);
            std::size_t got = ops.read(buffer.data() + size, buffer.size() - size, file);
            size += got;
            if (got == 0) {
                ok = !std::ferror(file);
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    ops.close(file);
    if (!ok) size = 0;
    return ok;
}

}  // namespace

ReplaceFile::~ReplaceFile() { AbandonReplace(*this); }

ReplaceStatus BeginReplace(ReplaceFile& out, const std::string& path) {
    AbandonReplace(out);
    const FileOps& ops = fileOps();
    std::string host = HostPath(path);
    if (DirectoryExists(path)) return ReplaceStatus::CannotCreate;
    // A file we may not write must not be replaced behind its back: try it without changing it.
    if (FileExists(path)) {
        std::FILE* probe = ops.open(host.c_str(), "ab");
        if (!probe) return ReplaceStatus::CannotCreate;
        ops.close(probe);
    }
    out.path = path;
    out.scratch = ScratchName(path);
    out.failed = false;
    out.file = ops.open(HostPath(out.scratch).c_str(), "wb");
    if (!out.file) {
        out.scratch.clear();
        return ReplaceStatus::CannotCreate;
    }
    KeepMode(out.file, host);
    return ReplaceStatus::Ok;
}

bool WriteReplace(ReplaceFile& out, const char* data, std::size_t size) {
    if (!out.file || out.failed) return false;
    if (size != 0 && fileOps().write(data, size, out.file) != size) out.failed = true;
    return !out.failed;
}

ReplaceStatus FinishReplace(ReplaceFile& out, const std::string& backupPath) {
    const FileOps& ops = fileOps();
    if (!out.file) return ReplaceStatus::WriteFailed;
    // On the disk before the move, so that a crash after it cannot leave an empty file.
    bool flushed = out.failed || ops.flush(out.file);
    bool closed = ops.close(out.file) == 0 && flushed;
    out.file = nullptr;
    if (out.failed || !closed) {
        AbandonReplace(out);
        return ReplaceStatus::WriteFailed;
    }
    std::string host = HostPath(out.path);
    std::string scratch = HostPath(out.scratch);
    bool movedToBackup = false;
    if (!backupPath.empty() && FileExists(out.path)) {
        // The old file takes the older backup's place in one move; without a backup the old
        // text would be gone once the new file is in: the file stays as it is.
        movedToBackup = ops.rename(host.c_str(), HostPath(backupPath).c_str());
        if (!movedToBackup) {
            AbandonReplace(out);
            return ReplaceStatus::CannotReplace;
        }
    }
    if (!ops.rename(scratch.c_str(), host.c_str())) {
        if (movedToBackup) ops.rename(HostPath(backupPath).c_str(), host.c_str());
        AbandonReplace(out);
        return ReplaceStatus::CannotReplace;
    }
    out.scratch.clear();
    return ReplaceStatus::Ok;
}

void AbandonReplace(ReplaceFile& out) {
    const FileOps& ops = fileOps();
    if (out.file) ops.close(out.file);
    out.file = nullptr;
    if (!out.scratch.empty()) ops.remove(HostPath(out.scratch).c_str());
    out.scratch.clear();
}

BufferedWriter::BufferedWriter(ReplaceFile& target) : out(&target) { buffer.reserve(kWriterBuffer); }

bool BufferedWriter::Put(const char* data, std::size_t size) {
    if (buffer.size() + size > kWriterBuffer && !Flush()) return false;
    if (size >= kWriterBuffer) return WriteReplace(*out, data, size);
    buffer.append(data, size);
    return true;
}

bool BufferedWriter::Flush() {
    bool ok = WriteReplace(*out, buffer.data(), buffer.size());
    buffer.clear();
    return ok;
}

}  // namespace tarvo::platform
