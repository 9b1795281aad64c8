#pragma once

#include <array>
#include <sstream>
#include <string>
#include <string_view>

// `text` as the program's standard streams carry it: Windows' runtime writes each line feed of a
// text-mode stream as CR LF.
inline std::string AsWritten(std::string_view text) {
#ifdef _WIN32
    std::string written;
    for (const char c : text) {
        if (c == '\n') {
            written += '\r';
        }
        written += c;
    }
    return written;
#else
    return std::string(text);
#endif
}

// The dialogue's fixed texts as the user must see them, written out here apart from the program so
// that a changed byte there shows. What the program's standard output carries is AsWritten(...).
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

// All that the dialogue writes when it prices `price`.
inline std::string DialogueText(std::string_view price) {
    return kAllPrompts + std::string(kResultText) + std::string(price);
}

// The same, with the price as the stream shows a double.
inline std::string DialogueText(double price) {
    std::ostringstream text;
    text << price;
    return DialogueText(text.str());
}
