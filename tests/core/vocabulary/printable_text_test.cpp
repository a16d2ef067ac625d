#include "core/vocabulary/printable_text.h"

#include <gtest/gtest.h>

using namespace clarivex;

// What a device name or an error line may carry to the user's terminal: letters of any script
// stay, every way of controlling the terminal goes, also when a sequence is left unfinished.
TEST(PrintableText, KeepsLettersAndDropsTerminalControl) {
    const std::pair<std::string, std::string> cases[] = {
        {"NVIDIA GeForce RTX 3060", "NVIDIA GeForce RTX 3060"},
        {"Видеокарта №1 — ×4", "Видеокарта №1 — ×4"},
        {"\x1B[31mRed\x1B[0m GPU", "Red GPU"},
        {"\x1B[2J\x1B[HCleared", "Cleared"},
        {"\x1B]0;owned title\x07GPU", "GPU"},
        {"\x1B]8;;http://x\x1B\\link\x1B]8;;\x1B\\", "link"},
        {"\x1B"
         "cReset",
         "Reset"},
        {"\x1B(BCharset", "Charset"},
        {"\xC2\x9B"
         "31mC1\xC2\x9D"
         "0;t\xC2\x9C!",
         "C1!"},
        {"bell\x07 back\x08space\x7F del\r\n", "bell backspace del"},
        {"tab\there", "tab here"},
        {"\xE2\x80\xAEreversed\xE2\x80\xAC", "reversed"},
        {"bad \xFF byte", "bad \xEF\xBF\xBD byte"},
        {"unfinished \x1B[31", "unfinished "},
        {"unfinished \x1B]0;title", "unfinished "},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(printableText(text), expected) << text;
}
