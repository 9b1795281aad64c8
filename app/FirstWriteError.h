#pragma once

#include <cerrno>
#include <streambuf>

// Passes all that is written on to another stream buffer and keeps the reason (an errno value) why
// the first write or flush there failed. By the time a stream is seen to have gone bad, later calls
// may have set errno for reasons of their own: reading the closing entry 1e400 sets ERANGE.
class FirstWriteError final : public std::streambuf {
  public:
    explicit FirstWriteError(std::streambuf& target) : target_(target) {}

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

    std::streambuf& target_;
    int error_ = 0;
};
