// `quorbel --convert`: the window's own batch, run on a terminal without a display.
#pragma once

struct CliOptions;
class SettingsStore;

namespace ExitStatus {
inline constexpr int Converted = 0;
inline constexpr int SomeFailed = 1;
inline constexpr int UsageError = 2;
} // namespace ExitStatus

// Help, version, a usage error or a conversion; answers the exit status. Reads the
// saved options where the command line leaves them out; never writes the store.
int runTerminal(const CliOptions &options, SettingsStore &store);
