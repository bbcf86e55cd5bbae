#pragma once
// The bridge's command line and configuration file. Both use the same
// names: "--mqtt-host H" on the command line is "mqtt-host = H" in the file.

#include "tools/tarvin-bridge/bridge.h"

#include <QString>
#include <QStringList>

namespace tarvin::bridge {

struct CommandLine
{
    Bridge::Options options;
    bool help = false;
    // What is wrong, for a message and exit status 2; empty when all is well.
    QString error;
};

// Reads the configuration file named by --config, if any, then the command
// line over it, then the files they name (password, groups). Errors in a
// file are "FILE:LINE: what".
CommandLine ParseCommandLine(const QStringList& args);

extern const char kHelp[];

} // namespace tarvin::bridge
