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

// `info FILE`.
int Info(const std::wstring& file);
// `crest PICTURE FOLDER [options]`, given the arguments after `crest`.
int CrestCommand(const std::vector<std::wstring>& args);
// `gif-frames GIF OUTDIR [options]`, given the arguments after `gif-frames`.
int GifFramesCommand(const std::vector<std::wstring>& args);

}  // namespace vx::cli
