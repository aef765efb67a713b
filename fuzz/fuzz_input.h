#pragma once
// The arguments of a call under test taken from one fuzz input, and the check
// that ends the run when a promise of the code is broken.
//
// Input layout shared by every target: the first byte chooses the code page
// (odd: CP932, even: UTF-8); then fixed bytes and texts as each target reads
// them. A text field ends at the next 0xFF byte, which is neither a lead nor
// a trail byte in either code page; the last text takes the rest, 0xFF
// bytes included.
#include "platform/codepage.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(cond) ((cond) ? void(0) : fuzzCheckFailed(#cond, __FILE__, __LINE__))

[[noreturn]] inline void fuzzCheckFailed(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: broken: %s\n", file, line, what);
    std::abort();
}

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : p_(reinterpret_cast<const char*>(data)), end_(p_ + size) {}

    // 0 once the input is used up.
    std::uint8_t byte() { return p_ < end_ ? static_cast<std::uint8_t>(*p_++) : 0; }

    CodePage codePage() { return (byte() & 1) ? CodePage::Cp932 : CodePage::Utf8; }

    // A small signed number, or one of the extremes: 0x7F is INT_MAX, 0x80 INT_MIN.
    int number()
    {
        const std::uint8_t b = byte();
        if (b == 0x7F) return INT_MAX;
        if (b == 0x80) return INT_MIN;
        return static_cast<std::int8_t>(b);
    }

    std::string field()
    {
        const char* start = p_;
        while (p_ < end_ && static_cast<unsigned char>(*p_) != 0xFF) ++p_;
        std::string out(start, p_);
        if (p_ < end_) ++p_;
        return out;
    }

    std::string rest()
    {
        std::string out(p_, end_);
        p_ = end_;
        return out;
    }

private:
    const char* p_;
    const char* end_;
};

// A copy in a buffer of exactly its bytes and a terminator, so that the
// address sanitizer sees any read past the terminator.
class ExactText {
public:
    explicit ExactText(const std::string& s) : size_(s.size()), bytes_(new char[s.size() + 1])
    {
        s.copy(bytes_, s.size());
        bytes_[s.size()] = 0;
    }
    ~ExactText() { delete[] bytes_; }
    ExactText(const ExactText&) = delete;
    ExactText& operator=(const ExactText&) = delete;

    const char* c_str() const { return bytes_; }
    std::size_t size() const { return size_; }

private:
    std::size_t size_;
    char* bytes_;
};
