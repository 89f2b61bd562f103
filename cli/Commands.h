#pragma once
// tessaly-cli's commands: one function per command (Cmd*.cpp), listed with its usage in the one
// table of main.cpp. A command gets the arguments after its name and returns its exit code:
// kDone; kFailed, after printing the engine's message on stderr (Fail); or kWrongUsage, for which
// main prints the command's usage on stderr. Output goes to stdout.
#include <string>
#include <vector>

namespace tessaly::cli {

using Args = std::vector<std::string>;

enum ExitCode : int { kDone = 0, kFailed = 1, kWrongUsage = 2 };

// Prints an engine error (cp1252) as UTF-8 on stderr and returns kFailed.
int Fail(const std::string& cp1252Message);

int RunCopy(const Args& args);
int RunData(const Args& args);
int RunEval(const Args& args);
int RunFind(const Args& args);
int RunFormatDialog(const Args& args);
int RunInfo(const Args& args);
int RunPdf(const Args& args);
int RunPrepare(const Args& args);
int RunPrepareMany(const Args& args);
int RunPrint(const Args& args);
int RunRender(const Args& args);
int RunTemplate(const Args& args);
int RunText(const Args& args);
int RunWords(const Args& args);

}  // namespace tessaly::cli
