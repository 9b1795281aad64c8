#pragma once

#include <cerrno>
#include <ostream>
#include <streambuf>

// Stands in for a stream's buffer for as long as it lives, passing all that is written on to that
// buffer, and keeps the reason (an errno value) why the first write or flush there failed. By the
// time a stream is seen to have gone bad, later calls may have set errno for reasons of their own:
// reading the closing entry 1e400 sets ERANGE. The stream gets its own buffer back however the
// scope ends, since it is flushed again at exit, after this has gone.
class FirstWriteError final : public std::streambuf {
  public:
    explicit FirstWriteError(std::ostream& stream) : stream_(stream), target_(*stream.rdbuf()) {
        stream_.rdbuf(this);
    }
    FirstWriteError(const FirstWriteError&) = delete;
    FirstWriteError& operator=(const FirstWriteError&) = delete;
    ~FirstWriteError() override { stream_.rdbuf(&target_); }

    // 0 while every write has gone through.
    [[nodiscard]] int Error() const { return error_; }

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        errno = 0;
        const int_type written = target_.sputc(traits_type::to_char_type(c));
        Keep(traits_type::eq_int_type(written, traits_type::eof()));
        return written;
    }

    std::streamsize xsputn(const char_type* text, std::streamsize count) override {
        errno = 0;
        const std::streamsize written = target_.sputn(text, count);
        Keep(written != count);
        return written;
    }

    int sync() override {
        errno = 0;
        const int result = target_.pubsync();
        Keep(result != 0);
        return result;
    }

  private:
    void Keep(bool failed) {
        if (failed && error_ == 0) {
            error_ = errno != 0 ? errno : EIO;
        }
    }

    std::ostream& stream_;
    std::streambuf& target_;
    int error_ = 0;
};
