// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The commands of kestrowctl. Each returns an exit code (ExitCodes.h).

#include "tools/kestrowctl/CommandLine.h"

class TerminalSink;
class UserColourFile;
struct ProfileStore;

// Runs the command of options: the file commands without a keyboard, the others after
// choosing the HID backend (simulated, traced) and finding the keyboard.
int RunCtlCommand(const CtlOptions& options, TerminalSink& sink);

// Installs the HID backend the options ask for (simulated, traced). False when it cannot be.
bool ChooseBackend(const CtlOptions& options, TerminalSink& sink);

// Commands on profile files; no keyboard is involved.
int RunCheck(const CtlOptions& options, TerminalSink& sink);
int RunDump(const CtlOptions& options, TerminalSink& sink);
int RunNew(const CtlOptions& options, TerminalSink& sink);
// Exit 0 when the two files hold the same configuration, 1 when they differ, 2 when either
// cannot be read.
int RunDiff(const CtlOptions& options, TerminalSink& sink);
// The stable names of keys, mouse entries, multimedia and keyboard functions.
int RunKeys(const CtlOptions& options);

// Key assignments and macros, on the keyboard or with --file on a backup file. Their
// arguments are checked before the keyboard is looked for.
int RunKey(const CtlOptions& options, TerminalSink& sink);
int RunMacro(const CtlOptions& options, TerminalSink& sink);

// A profile file read into store for the user: checked first, every failure told. False when
// it is not a complete valid file.
bool ReadProfileFileForUser(const std::string& path, TerminalSink& sink, ProfileStore& store);

// Commands on the keyboard. RunList looks for keyboards itself; the others expect the
// keyboard to be open.
int RunList(const CtlOptions& options, TerminalSink& sink);
int RunInfo(const CtlOptions& options, TerminalSink& sink);
int RunProfile(const CtlOptions& options, TerminalSink& sink);
int RunBackup(const CtlOptions& options, TerminalSink& sink);
int RunRestore(const CtlOptions& options, TerminalSink& sink);
int RunBoot(const CtlOptions& options, TerminalSink& sink);
int RunLight(const CtlOptions& options, TerminalSink& sink);
// light's field options on CurrentProfile = profile, after the lighting was read. Stops at the
// first change the keyboard does not take (exit 1) or whose file cannot be written.
int ApplyLightChanges(const std::vector<LightChange>& changes, int profile, TerminalSink& sink);

// colours: the file is read and checked before the keyboard is looked for, so that a bad file
// sends nothing. `mode` is --mode or the mode the file selects.
int ReadColourFileForUser(const CtlOptions& options, TerminalSink& sink, UserColourFile& file,
                          int& mode);
int RunColours(const CtlOptions& options, TerminalSink& sink, const UserColourFile& file, int mode);

// Shared by the file commands and restore: CheckProfileFile with every failure told to the
// user (the model reports only an invalid header). True for a valid file.
bool CheckFileForUser(const std::filesystem::path& path, TerminalSink& sink, int& result);
