// Plain sentences for the numbered run-time errors, for people reading a
// message rather than a number: "the disk is full", "the file is empty or
// its header is cut short". Both the command line and the window use them.
#pragma once

#include <string>

namespace vx {

// Lower-case, no final full stop, so it reads inside a longer line; a
// number without a sentence of its own gives its standard description.
std::string ErrorSentence(int number);

// The same sentence in Spanish (UTF-8), for the window's two-language
// messages; a number without one gives the English sentence.
std::string ErrorSentenceSpanish(int number);

// The sentence followed by " (error N)".
std::string ErrorSentenceWithNumber(int number);

}  // namespace vx
