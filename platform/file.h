// Files and folders. Paths are std::wstring with '/' separators; a full path
// is an absolute path. Bytes on disk are the caller's business.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An open file, in place of the original platform's file handle. Not copyable;
// closes itself when destroyed.
class PlatformFile {
public:
    enum Access { AccessRead = 1, AccessWrite = 2 };
    enum Disposition {
        OpenExisting, // fail when absent
        CreateAlways, // create or truncate
        OpenAlways,   // open, or create when absent
    };

    PlatformFile() = default;
    ~PlatformFile();
    PlatformFile(const PlatformFile&) = delete;
    PlatformFile& operator=(const PlatformFile&) = delete;
    PlatformFile(PlatformFile&& other) noexcept;
    PlatformFile& operator=(PlatformFile&& other) noexcept;

    bool Open(const std::wstring& path, int access, Disposition disposition);
    bool IsOpen() const { return fd_ >= 0; }
    void Close();

    // Reads up to count bytes; returns the number read, 0 at end of file,
    // -1 on error. A file opened for reading only ends where it ended when
    // it was opened: what is appended meanwhile is not read, so a file that
    // grows without end cannot keep a reader reading.
    int64_t Read(void* buffer, int64_t count);
    // The bytes Read has left to give of a file opened for reading only; -1
    // for a file opened for writing too.
    int64_t LeftToRead() const { return left_; }
    // Writes all bytes; false on an error or a short write.
    bool Write(const void* buffer, int64_t count);
    // Forces written data to the disk.
    bool Flush();
    int64_t Size() const;

private:
    int fd_ = -1;
    // Bytes left to read before the end found at the open; -1 for no limit
    // (a file opened for writing too).
    int64_t left_ = -1;
};

// The file system in UTF-8 bytes, for the few places that need it.
std::string PathToNative(const std::wstring& path);
std::wstring PathFromNative(const std::string& path);

bool FileExists(const std::wstring& path);
bool DirectoryExists(const std::wstring& path);
// Creates the folder and any missing parents.
bool CreateDirectories(const std::wstring& path);
bool RemoveFile(const std::wstring& path);
// Replaces the target atomically when both lie on one file system.
bool RenameFile(const std::wstring& from, const std::wstring& to);
// Reads or writes a whole file.
bool ReadWholeFile(const std::wstring& path, std::string& bytes);
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);
// Names of the entries of a folder (no "." or ".."), sorted.
std::vector<std::wstring> ListDirectory(const std::wstring& path);
// The absolute path of an existing file or folder with every symbolic link,
// "." and ".." resolved; empty when it does not exist. Two paths name the
// same folder exactly when these agree (a scan that follows links uses it to
// notice a link back into a folder it is already in).
std::wstring CanonicalPath(const std::wstring& path);

// Path pieces: the folder part without its trailing '/', the file name, the
// file name's extension with its dot (empty when none).
std::wstring PathDirectory(const std::wstring& path);
std::wstring PathFileName(const std::wstring& path);
std::wstring PathExtension(const std::wstring& path);
std::wstring PathJoin(const std::wstring& folder, const std::wstring& name);
bool IsFullPath(const std::wstring& path);
// The process's current folder, and changing it.
std::wstring GetCurrentFolder();
bool SetCurrentFolder(const std::wstring& path);
// path made absolute against base when it is relative ('.' and '..' kept).
std::wstring MakeFullPath(const std::wstring& path, const std::wstring& base);

// A unique, not yet existing path in the folder of the given path, for
// writing a file and then renaming it over the target.
std::wstring TemporaryPathBeside(const std::wstring& path);

// A file written anew without ever being left half written: the new content
// goes to a temporary file beside it, which then takes its place. The file
// replaced is the one the path's symbolic links lead to, so that a link stays
// a link; the new file has the old one's permission bits from the start (and
// its owner and group where the process may give them). A file the user may
// not write is refused, as writing it in place would be. Where the folder
// takes no new file (the user may not write it, or it lies on a read-only
// file system) but the file is there and may be written, the file is written
// in place instead: truncated and written anew, with no way back when the
// writing fails.
class FileReplacement {
public:
    enum Status {
        Ready,       // the temporary file, or the file itself, is there to be written
        ReadOnly,    // the file exists and the user may not write it
        CannotCreate // nothing can be written (or the path is no file)
    };
    explicit FileReplacement(const std::wstring& path);
    // Removes the temporary file unless it took the file's place.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    Status GetStatus() const { return m_status; }
    // Where to write the content: the empty temporary file, or the file
    // itself when it is written in place (to be opened truncating it).
    const std::wstring& GetWritePath() const;
    // Puts the written temporary file in the file's place; on failure the
    // temporary file is removed and the file stays as it was. A file written
    // in place is already there: true.
    bool Commit();

private:
    std::wstring m_target, m_temporary;
    Status m_status = CannotCreate;
    bool m_inPlace = false;
};
