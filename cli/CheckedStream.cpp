#include "cli/CheckedStream.h"

#include "cli/CliCommands.h"

#include <cerrno>
#include <system_error>

namespace varnu::cli {

CheckedStream::CheckedStream(std::ostream& target, std::string name)
    : buffer_(target.rdbuf()), stream_(&buffer_), name_(std::move(name)) {
    if (!target)
        stream_.setstate(std::ios::badbit); // failed before it was handed over
}

bool CheckedStream::flush() {
    stream_.flush();
    return !buffer_.failed() && stream_.good();
}

std::string CheckedStream::failureText() const {
    const std::string& reason = buffer_.reason();
    return "cannot write to " + name_ + ": " + (reason.empty() ? "the write failed" : reason);
}

// errno is cleared before each call into the real buffer, so that what it holds after a
// failure is that failure's reason and not an older one.
CheckedStream::RecordingBuffer::int_type CheckedStream::RecordingBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    errno = 0;
    if (target_ == nullptr ||
        traits_type::eq_int_type(target_->sputc(traits_type::to_char_type(c)), traits_type::eof())) {
        noteFailure();
        return traits_type::eof();
    }
    return c;
}

std::streamsize CheckedStream::RecordingBuffer::xsputn(const char* text, std::streamsize count) {
    errno = 0;
    const std::streamsize written = target_ == nullptr ? 0 : target_->sputn(text, count);
    if (written != count)
        noteFailure();
    return written;
}

int CheckedStream::RecordingBuffer::sync() {
    errno = 0;
    if (target_ == nullptr || target_->pubsync() != 0) {
        noteFailure();
        return -1;
    }
    return 0;
}

void CheckedStream::RecordingBuffer::noteFailure() {
    if (failed_)
        return;
    failed_ = true;
    if (errno != 0)
        reason_ = std::generic_category().message(errno);
}

int reportWriteFailure(std::ostream& err, std::string_view command, const CheckedStream& output) {
    err << "varnu-cli " << command << ": " << output.failureText() << "\n";
    return kExitFailure;
}

} // namespace varnu::cli
