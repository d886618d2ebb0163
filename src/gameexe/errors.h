#pragma once
// The two error kinds that abandon a handler; their texts are shown to the user as they are.
#include <stdexcept>
#include <string>

namespace quorvex {

class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    static FileError notFound() { return FileError("File not found"); }
    static FileError accessDenied() { return FileError("File access denied"); }
    static FileError beyondEnd() { return FileError("Read beyond end of file"); }
    static FileError diskFull() { return FileError("Disk full"); }
    static FileError io(int code) { return FileError("I/O error " + std::to_string(code)); }
    // Maps an errno value to the matching message.
    static FileError fromErrno(int code);
};

class ConvertError : public std::runtime_error {
public:
    explicit ConvertError(const std::string& text)
        : std::runtime_error("'" + text + "' is not a valid integer value") {}
};

} // namespace quorvex
