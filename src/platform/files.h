// The file layer: the one place that touches the file system. Paths are Windows paths with
// backslashes; the native build reads a backslash as a slash so tests can use real files.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/large_memory.h"

namespace tarvo::platform {

// The path as the host's file system wants it.
std::string HostPath(const std::string& path);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Parts of a path, as text (no file is looked at). DirectoryOf gives "" for a bare name, and
// "C:\\" for a file in a drive's root.
std::string DirectoryOf(const std::string& path);
std::string BaseName(const std::string& path);
// "C:..." or a leading backslash (or slash).
bool IsAbsolutePath(std::string_view path);

// The full form of a file name: a relative name is taken from `directory` (the current
// directory when empty), and "." and ".." are resolved.
std::string FullPath(const std::string& name, const std::string& directory = {});
// The process's current directory, and changing it (false when it does not exist).
std::string CurrentDirectory();
bool ChangeDirectory(const std::string& path);
// The directory for scratch files of other programs.
std::string TempDirectory();
// A name in the directory, starting with the prefix, that no file has yet.
std::string UnusedFileName(const std::string& directory, const std::string& prefix);

// The calls that can fail while a file is read or written, reached through one table so that
// tests can make any of them fail. Paths given to them are host paths.
struct FileOps {
    std::FILE* (*open)(const char* hostPath, const char* mode);
    std::size_t (*read)(void* data, std::size_t size, std::FILE* file);
    std::size_t (*write)(const void* data, std::size_t size, std::FILE* file);
    int (*close)(std::FILE* file);  // 0 when everything written reached the file
    bool (*rename)(const char* from, const char* to);  // replaces an existing `to`
    bool (*remove)(const char* hostPath);
    std::FILE* (*create)(const char* hostPath);  // a new file only: null when the name exists
    bool (*flush)(std::FILE* file);               // written data reaches the disk
    bool (*setWritable)(const char* hostPath, bool writable);  // the read-only bit
    bool (*seek)(std::FILE* file, std::uint64_t offset);      // from the start, past 4 GB too
};

const FileOps& fileOps();
void setFileOps(const FileOps& ops);
void resetFileOps();

// The whole content of a file, read at once.
enum class ReadStatus { Ok, CannotOpen, NoMemory, ReadError };
struct FileContent {
    LargeBlock data;
    std::size_t size = 0;
};
ReadStatus ReadWholeFile(const std::string& path, FileContent& content);
// The file's bytes in pieces of at most a megabyte, each handed to `take` in order;
// `expected` is the file's size as the file system reports it (0 when unknown) before the
// first piece. A false from `take` ends the read with NoMemory.
ReadStatus ReadFileInPieces(const std::string& path, std::size_t& expected,
                            const std::function<bool(const char* data, std::size_t size)>& take);

// The first line of a file, at most `limit` bytes, without its line end. False when the file
// cannot be opened.
bool ReadFirstLine(const std::string& path, std::size_t limit, std::string& line);

// Modification time in the host's finest unit; 0 when the file does not exist.
std::int64_t FileTime(const std::string& path);
bool SetFileTime(const std::string& path, std::int64_t time);

// Size and modification time together, to notice a file changed since it was read.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t time = 0;
    bool exists = false;
    bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::string& path);

// A file opened for reading at any offset, sizes and offsets 64-bit on every build.
struct ReadHandle {
    std::FILE* file = nullptr;
    std::uint64_t size = 0;
    ReadHandle() = default;
    ReadHandle(const ReadHandle&) = delete;
    ReadHandle& operator=(const ReadHandle&) = delete;
    ~ReadHandle();
};
// False when the file cannot be opened (or is a directory); the size is the one seen at opening.
bool OpenForReading(const std::string& path, ReadHandle& handle);
void CloseReading(ReadHandle& handle);
// Reads up to `size` bytes at `offset` into `data`, never past the size seen at opening; the
// count read, or -1 when a seek or a read failed short of that size.
std::int64_t ReadAt(ReadHandle& handle, std::uint64_t offset, void* data, std::size_t size);

// The name a file's previous content is kept under: the name without its extension, a
// period, a tilde and the extension's first two characters ("prog.cpp" -> "prog.~cp").
std::string BackupName(const std::string& path);

bool RemoveFile(const std::string& path);
// Creates a file that must not exist yet, with the content, in one step that no other process
// can win as well; false when the name exists or the file cannot be written (nothing is left).
bool CreateExclusive(const std::string& path, const std::string& content);
bool SetReadOnly(const std::string& path, bool readOnly);
bool IsReadOnly(const std::string& path);
bool RenameFile(const std::string& from, const std::string& to);  // replaces `to`
bool MakeDirectory(const std::string& path);
// Names of the plain files in a directory ("." and ".." left out), in no particular order.
std::vector<std::string> ListDirectory(const std::string& path);

// Walks the plain files of a directory, and with `recurse` those of its subdirectories, handing
// each one's path (`directory` joined with the names below it) to `visit`; a false from
// `visit` ends the walk. Names are taken in ascending order without case, a directory's files
// before its subdirectories. Links and junctions are passed over, so a link back up the tree
// cannot make the walk go round for ever. False when `directory` cannot be
// listed.
bool WalkFiles(const std::string& directory, bool recurse, const std::function<bool(const std::string& path)>& visit);

// The whole content of a file into the first `size` bytes of `buffer`, which only grows, so a
// walk over many files allocates little. False when the file cannot be opened or read.
bool ReadFileInto(const std::string& path, std::string& buffer, std::size_t& size);

// What a walk asks of the file system, reached through one table: the portable calls by
// default, the platform's own (faster) ones once its layer installs them at start-up.
struct DirectoryListing {
    std::vector<std::string> files;        // plain files
    std::vector<std::string> directories;  // real ones: links and junctions are left out
};
struct WalkOps {
    // The names in `directory`, in any order; false when it cannot be listed.
    bool (*list)(const std::string& directory, DirectoryListing& out);
    // As ReadFileInto.
    bool (*readInto)(const std::string& path, std::string& buffer, std::size_t& size);
};
const WalkOps& walkOps();
void setWalkOps(const WalkOps& ops);
void resetWalkOps();

// Whole-file replacement: the new text goes to a scratch file in the same directory, which
// then takes the file's place, so a failed or interrupted write leaves the old file as it was.
struct ReplaceFile {
    std::string path;     // the file to replace
    std::string scratch;  // where the new text is written meanwhile
    std::FILE* file = nullptr;
    bool failed = false;  // a write came up short
    ~ReplaceFile();       // abandons an unfinished replacement
};

enum class ReplaceStatus { Ok, CannotCreate, WriteFailed, CannotReplace };

// Fails with CannotCreate when the file exists but may not be written, or the scratch file
// cannot be created.
ReplaceStatus BeginReplace(ReplaceFile& out, const std::string& path);
bool WriteReplace(ReplaceFile& out, const char* data, std::size_t size);
// Flushes the scratch file to the disk, closes it and moves it over the file. With a backup name, the old file is
// first moved there (over an older backup of that name); when it cannot be, nothing is
// replaced. On failure the scratch file is removed and the old file is left in place.
ReplaceStatus FinishReplace(ReplaceFile& out, const std::string& backupPath = {});
void AbandonReplace(ReplaceFile& out);

// Streams text to a ReplaceFile through a buffer of its own.
struct BufferedWriter {
    ReplaceFile* out;
    std::string buffer;
    explicit BufferedWriter(ReplaceFile& target);
    bool Put(const char* data, std::size_t size);
    bool Flush();
};

}  // namespace tarvo::platform
