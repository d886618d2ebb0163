#include "cli/cli.h"
#include "core/gamefile/game_file.h"
#include "core/os/files.h"

#include <cerrno>
#include <iostream>
#include <streambuf>
#include <vector>

namespace {

// Standard output written with the system's own calls, keeping the cause of the first failed
// write: stdio forgets it once its buffer is dropped, and the CLI must name it ("write error:
// No space left on device"). sync() reports it again, through errno, every time it is asked.
class StandardOutput final : public std::streambuf {
public:
    StandardOutput() { setp(buffer_, buffer_ + sizeof buffer_); }
    ~StandardOutput() override { sync(); }

protected:
    int overflow(int c) override
    {
        if (!drain())
            return traits_type::eof();
        if (c != traits_type::eof()) {
            *pptr() = static_cast<char>(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override
    {
        if (drain())
            return 0;
        errno = error_;
        return -1;
    }

private:
    bool drain()
    {
        for (const char* next = pbase(); next < pptr() && error_ == 0;) {
            const auto written = quorvex::os::write(1, next, static_cast<std::size_t>(pptr() - next));
            if (written > 0)
                next += written;
            else if (written < 0 && errno != EINTR)
                error_ = errno;
        }
        setp(buffer_, buffer_ + sizeof buffer_);
        return error_ == 0;
    }

    char buffer_[1 << 16];
    int error_ = 0;
};

} // namespace

int main(int argc, char** argv)
{
    quorvex::ignoreFileSizeSignal();
    quorvex::os::binaryStandardStreams();
    auto arguments = quorvex::os::arguments(argc, argv);
    std::vector<char*> pointers;
    for (auto& argument : arguments)
        pointers.push_back(argument.data());
    StandardOutput output;
    std::ostream out(&output);
    return quorvex::cli::run(static_cast<int>(pointers.size()), pointers.data(), out, std::cerr);
}
