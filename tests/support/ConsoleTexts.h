#pragma once

#include <array>
#include <string>
#include <string_view>

// The dialogue's fixed texts as the user must see them, written out here apart from the program so
// that a changed byte there shows.
inline constexpr std::array<std::string_view, 7> kPromptTexts = {
    "\nEnter expiry e.g. 0.25 (time to expire)\n",
    "\nEnter strike e.g. 200 \n",
    "\nEnter spot e.g. 195 \n",
    "\nEnter vol e.g. 0.30 \n",
    "\nr (risk free rate) e.g. 0.05 \n",
    "\nNumber of paths e.g. 1000\n",
    "\nEnter 0 for call, otherwise any other key for put\n"};

inline const std::string kAllPrompts = [] {
    std::string all;
    for (const std::string_view prompt : kPromptTexts) {
        all += prompt;
    }
    return all;
}();

inline constexpr std::string_view kResultText = "the price is ";
