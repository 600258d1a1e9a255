// CtlOptionTable: ncpctl's commands, output formats and options, each in one
// table that the parser, the usage text and the tests read. A new option is
// one row of ctlOptions(): its name, the word its value is shown as, the
// commands that accept it and the check that stores it. Used by CtlOptions.
#pragma once

#include <QString>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "ncp/EnumOrder.h"
#include "ncp/NcpCommands.h"
#include "ncpctl/CtlOptions.h"

namespace ctloptions {

using Command = CtlOptions::Command;
using Format = CtlOptions::Format;

struct CommandRow {
  Command command;
  const char* word;
  // The session's action on the one object the command names (TYPE NAME, or
  // PROCESS for the messages); none for the commands on the whole PATHMON.
  std::optional<ncp::NcpAction> action;
  // The usage's line; rows next to each other with the same summary share it.
  const char* summary;
};

// By Command.
inline constexpr CommandRow kCommands[] = {
    {Command::Pathmons, "pathmons", std::nullopt, "the host's PATHMONs, one per line"},
    {Command::Tree, "tree", std::nullopt, "the whole object tree of the PATHMON"},
    {Command::Status, "status", ncp::NcpAction::Status, "one object's status"},
    {Command::Start, "start", ncp::NcpAction::Start, "the command, then the object's new status"},
    {Command::Stop, "stop", ncp::NcpAction::Stop, "the command, then the object's new status"},
    {Command::SignOn, "signon", ncp::NcpAction::SignOn, "the DELIVER message, then the host's answer"},
    {Command::KeyChange, "keychange", ncp::NcpAction::KeyChange, "the DELIVER message, then the host's answer"},
    {Command::WarmBoot, "warmboot", ncp::NcpAction::WarmBoot, "the DELIVER message, then the host's answer"},
    {Command::Watch, "watch", std::nullopt, "refresh all every interval, print each change"},
    {Command::Metrics, "metrics", std::nullopt, "the status of every object, for Prometheus"},
    {Command::Check, "check", std::nullopt, "a Nagios/Icinga check of the status counts"},
};
static_assert(inEnumOrder(kCommands, &CommandRow::command));

inline const CommandRow& commandRow(Command command) { return kCommands[static_cast<size_t>(command)]; }
// The command's one object is a process, named alone.
bool namesProcess(const CommandRow& row);

struct FormatRow {
  Format format;
  const char* word;
};

// By Format.
inline constexpr FormatRow kFormats[] = {{Format::Text, "text"}, {Format::Json, "json"}};
static_assert(inEnumOrder(kFormats, &FormatRow::format));

// Commands as a set, one bit each.
using CommandSet = uint32_t;
constexpr CommandSet commandBit(Command command) { return CommandSet{1} << static_cast<unsigned>(command); }
inline constexpr CommandSet kEveryCommand = (CommandSet{1} << std::size(kCommands)) - 1;

struct CtlOption {
  const char* name;  // on the command line after "--"
  // The value's word in the usage ("FILE"); empty for a flag.
  std::string value;
  // The commands that take it; none for --help and --version, which stand alone.
  CommandSet commands;
  bool required;
  // Checks the value (empty for a flag) and stores it; returns the refusal's
  // sentence, empty when taken. Operator text the host must not get throws
  // EUnsafeCommandText.
  std::string (*store)(CtlOptions& options, const QString& value);

  bool takesValue() const { return !value.empty(); }
};

// In the usage's order.
const std::vector<CtlOption>& ctlOptions();
// The row of "--name"; null when there is none.
const CtlOption* findOption(const QString& name);

// The type a command's object is named by ("line", "station", "process").
std::optional<TXPNetType> objectTypeOf(const QString& word);

// Words joined for the usage and the refusals: "line|station|process" with
// "|" twice, "line, station or process" with ", " and " or ".
std::string joinWords(const std::vector<std::string>& words, const char* separator, const char* last);
std::string objectTypeWords(const char* separator, const char* last);
std::string formatWords(const char* separator, const char* last);

}  // namespace ctloptions
