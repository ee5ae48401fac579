#pragma once
// An output stream whose failures are noticed. A C++ stream keeps only that a write failed,
// not why, and the reason (a full disk, a closed pipe) is gone once other calls have run: the
// buffer here sits in front of the real one and keeps the system's words of the first failure.
// Each command writes through one of these per output and checks it after flushing.

#include <iosfwd>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

namespace varnu::cli {

inline constexpr std::string_view kStandardOutput = "standard output";

class CheckedStream {
public:
    // `name` says in a message which output failed: kStandardOutput, "the log file \"x\"".
    CheckedStream(std::ostream& target, std::string name);
    CheckedStream(const CheckedStream&) = delete;
    CheckedStream& operator=(const CheckedStream&) = delete;

    std::ostream& stream() { return stream_; }

    // Flushes; true while every write so far has reached the real stream.
    bool flush();

    // "cannot write to standard output: No space left on device"
    std::string failureText() const;

private:
    class RecordingBuffer final : public std::streambuf {
    public:
        explicit RecordingBuffer(std::streambuf* target) : target_(target) {}
        bool failed() const { return failed_; }
        const std::string& reason() const { return reason_; }

    protected:
        int_type overflow(int_type c) override;
        std::streamsize xsputn(const char* text, std::streamsize count) override;
        int sync() override;

    private:
        void noteFailure();

        std::streambuf* target_;
        bool failed_ = false;
        std::string reason_;
    };

    RecordingBuffer buffer_;
    std::ostream stream_;
    std::string name_;
};

// The message and the exit status of a command whose output failed.
int reportWriteFailure(std::ostream& err, std::string_view command, const CheckedStream& output);

} // namespace varnu::cli
