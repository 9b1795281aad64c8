#pragma once

#include <array>
#include <charconv>
#include <cmath>
#include <ostream>
#include <string>
#include <string_view>

// Names a parameterised case by its values, e.g. Put_VolMinus0_3_Expiry0_25_Paths257, so that a
// failure says which case it was. GoogleTest takes only letters, digits and underscores in a name.
class CaseName {
  public:
    explicit CaseName(bool isCall) : name_(isCall ? "Call" : "Put") {}

    CaseName& With(std::string_view label, double value) {
        (name_ += '_') += label;
        if (std::isnan(value)) {
            name_ += "NaN";
            return *this;
        }
        if (std::signbit(value)) {
            name_ += "Minus";
        }
        if (std::isinf(value)) {
            name_ += "Inf";
            return *this;
        }
        // The shortest digits that read back as the value: 0.3, not 0.29999999999999999.
        std::array<char, 32> digits{};
        const char* end =
            std::to_chars(digits.data(), digits.data() + digits.size(), std::fabs(value)).ptr;
        for (const char c : std::string_view(digits.data(), end)) {
            if (c == '.') {
                name_ += '_';
            } else if (c == '-') {  // in an exponent
                name_ += "Minus";
            } else if (c != '+') {
                name_ += c;
            }
        }
        return *this;
    }

    CaseName& With(std::string_view label, std::string_view text) {
        ((name_ += '_') += label) += text;
        return *this;
    }

    [[nodiscard]] const std::string& str() const { return name_; }
    friend std::ostream& operator<<(std::ostream& out, const CaseName& name) {
        return out << name.name_;
    }

  private:
    std::string name_;
};
