#pragma once
// The two error kinds that abandon a handler; their texts are shown to the user as they are.
#include "core/os/files.h"

#include <filesystem>
#include <stdexcept>
#include <string>

namespace quorvex {

// A failed file operation. The text is one of the kinds below; the file at fault, when known,
// follows it in what(): "File access denied: torlo.exe". text() gives the kind alone.
class FileError : public std::runtime_error {
public:
    explicit FileError(const std::string& text, const std::string& file = {})
        : std::runtime_error(file.empty() ? text : text + ": " + file), text_(text), file_(file) {}
    const std::string& text() const { return text_; }
    const std::string& file() const { return file_; }
    // The same error naming the file (its name without the folder).
    FileError naming(const std::filesystem::path& path) const { return FileError(text_, os::textOf(path.filename())); }

    static FileError notFound() { return FileError("File not found"); }
    static FileError accessDenied() { return FileError("File access denied"); }
    static FileError beyondEnd() { return FileError("Read beyond end of file"); }
    static FileError diskFull() { return FileError("Disk full"); }
    static FileError notRegular() { return FileError("Not a regular file"); }
    static FileError io(int code) { return FileError("I/O error " + std::to_string(code)); }
    // Maps an errno value to the matching message.
    static FileError fromErrno(int code);
    static FileError fromErrno(int code, const std::filesystem::path& path) { return fromErrno(code).naming(path); }

private:
    std::string text_, file_;
};

class ConvertError : public std::runtime_error {
public:
    explicit ConvertError(const std::string& text)
        : std::runtime_error("'" + text + "' is not a valid integer value") {}
};

} // namespace quorvex
