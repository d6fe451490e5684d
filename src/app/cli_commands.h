// The commands of vexillor-cli, one file each, and what they share: exit
// statuses, UTF-8 output lines and the usage line.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "common/utf8.h"

namespace vx::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

extern const char kUsage[];

// One line, flushed at once.
void PrintLine(std::FILE* stream, const std::string& line);

// Prints "vexillor-cli: PROBLEM" and the usage line on standard error and
// returns kExitUsage.
int WrongArguments(const std::string& problem);

// What is wrong with an argument that no option took: "unknown option
// --bogus", "repeated option --ally" (when `known`), or "extra argument x".
std::string ArgumentProblem(const std::wstring& argument, bool known);

// `info FILE`.
int Info(const std::wstring& file);
// `crest PICTURE FOLDER [options]`, given the arguments after `crest`.
int CrestCommand(const std::vector<std::wstring>& args);
// `gif-frames GIF OUTDIR [options]`, given the arguments after `gif-frames`.
int GifFramesCommand(const std::vector<std::wstring>& args);

}  // namespace vx::cli
