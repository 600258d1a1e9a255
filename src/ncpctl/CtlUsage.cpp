// CtlOptions::usage(): the usage text, its synopsis, commands and exit codes
// written from the tables, so that it names what the parser takes.
#include <QString>
#include <algorithm>
#include <iterator>
#include <string_view>

#include "audit/AuditTrail.h"
#include "ncp/ConnectionBudget.h"
#include "ncp/NCPStateHandler.h"
#include "ncpctl/CheckWriter.h"
#include "ncpctl/CtlOptionTable.h"
#include "ncpctl/CtlOptions.h"
#include "ncpctl/ExitCode.h"

using namespace ctloptions;

namespace {

constexpr size_t kWidth = 80;
// Where a command's summary starts.
constexpr size_t kSummaryColumn = 42;

// The words, as many to a line as fit: the first line starts with first,
// the others with indent blanks.
std::string wrap(const std::vector<std::string>& words, const std::string& first, size_t indent) {
  std::string out, line = first;
  bool lineHasWord = false;
  for (const std::string& word : words) {
    if (lineHasWord && line.size() + 1 + word.size() > kWidth) {
      out += line + '\n';
      line = std::string(indent, ' ');
      lineHasWord = false;
    }
    if (lineHasWord) line += ' ';
    line += word;
    lineHasWord = true;
  }
  return out + line + '\n';
}

std::string optionWord(const CtlOption& option) {
  std::string word = std::string("--") + option.name;
  if (option.takesValue()) word += ' ' + option.value;
  return option.required ? word : '[' + word + ']';
}

bool onlyFor(const CtlOption& option, Command command) { return option.commands == commandBit(command); }

std::string synopsis() {
  std::vector<std::string> general, alone;
  for (const CtlOption& option : ctlOptions()) {
    if (option.commands == 0) {
      alone.push_back(std::string("--") + option.name);
    } else if (std::none_of(std::begin(kCommands), std::end(kCommands),
                            [&](const CommandRow& row) { return onlyFor(option, row.command); })) {
      general.push_back(optionWord(option));
    }
  }
  general.push_back("COMMAND [ARGS]");
  std::string standalone = "       ncpctl";
  for (size_t i = 0; i < alone.size(); ++i) standalone += (i == 0 ? " " : " | ") + alone[i];
  return wrap(general, "usage: ncpctl ", 14) + standalone + '\n';
}

// One line for the commands from first up to the next with another summary.
std::string commandLine(const CommandRow* first, const CommandRow* end) {
  std::string words = first->word;
  for (const CommandRow* row = first + 1; row != end; ++row) words += std::string("|") + row->word;
  std::vector<std::string> parts{words};
  if (first->action) parts.push_back(namesProcess(*first) ? "PROCESS" : objectTypeWords("|", "|") + " NAME");
  for (const CtlOption& option : ctlOptions()) {
    if (onlyFor(option, first->command)) parts.push_back(optionWord(option));
  }
  std::string text = wrap(parts, "  ", 8);
  text.pop_back();
  if (text.find('\n') == std::string::npos && text.size() < kSummaryColumn) {
    return text + std::string(kSummaryColumn - text.size(), ' ') + first->summary + '\n';
  }
  return text + '\n' + std::string(kSummaryColumn, ' ') + first->summary + '\n';
}

std::string commands() {
  std::string out = "commands:\n";
  const CommandRow* end = std::end(kCommands);
  for (const CommandRow* first = std::begin(kCommands); first != end;) {
    const CommandRow* next = first + 1;
    while (next != end && std::string_view(next->summary) == first->summary) ++next;
    out += commandLine(first, next);
    first = next;
  }
  return out;
}

// The exit codes, the check's states and its range syntax, as one paragraph.
std::string exitCodes() {
  std::vector<std::string> codes, states, statuses;
  for (const ExitCodeMeaning& row : kExitCodeMeanings) {
    codes.push_back(std::to_string(static_cast<int>(row.code)) + ' ' + row.meaning);
  }
  for (int state = 0; state <= static_cast<int>(PluginState::Unknown); ++state) {
    states.push_back(std::to_string(state) + ' ' + CheckWriter::stateWord(static_cast<PluginState>(state)));
  }
  for (const TXPNetStatus status : kXPNetStatuses) {
    statuses.push_back(CheckWriter::statusWord(status));
  }
  const std::string text = "Exit codes: " + joinWords(codes, ", ", ", ") + ". check exits " +
                           joinWords(states, ", ", " or ") + " (any failure); STATUS is " +
                           joinWords(statuses, ", ", " or ") +
                           ", RANGE as for monitoring plugins: 10, 10:, ~:10, 10:20, @10:20.";
  std::vector<std::string> words;
  for (const QString& word : QString::fromStdString(text).split(' ')) words.push_back(word.toStdString());
  return wrap(words, "", 0);
}

}  // namespace

std::string CtlOptions::usage() {
  return synopsis() + '\n' + commands() + '\n' +
         "Passwords: with --password-stdin the first line of standard input is the TACL\n"
         "password and the second the NCP password (the TACL one when there is none);\n"
         "otherwise both are asked on the terminal.\n"
         "A telnets:// host's certificate must verify against the system's authorities,\n"
         "or those of --ca-file, and name the host; --pin accepts only the certificate\n"
         "of that SHA-256 fingerprint instead.\n"
         "tree, metrics and check cover every --host given (loaded at once) and every\n"
         "PATHMON of --pathmon: names separated by commas, or all.\n"
         "The load and watch's refreshes run their listings on --connections connections\n"
         "at once (default " +
         std::to_string(CtlOptions().connections) + ", at most " + std::to_string(ConnectionBudget::kDefaultLimit) +
         "; 1 runs everything on one connection).\n"
         "Audit trail: every action sent to the host is appended to --audit-file\n"
         "(default ~/.config/Korvanedrestolin/" +
         AuditOptions::kFileName + "), rotated past --audit-max-bytes\n(default " +
         std::to_string(AuditOptions::kDefaultMaxBytes) + ") keeping --audit-keep files (default " +
         std::to_string(AuditOptions::kDefaultKeep) +
         "); --audit-syslog\n"
         "sends each record to the system log too. --max-objects defaults to " +
         std::to_string(NCPStateHandler::kDefaultMaxObjects) + ".\n" + exitCodes() + '\n' +
         "HOST may carry a scheme: telnet:// (the default), telnets://, ssh://. Over SSH the\n"
         "host key must be in the known-hosts file (--known-hosts, default ~/.ssh/known_hosts);\n"
         "--accept-new-host-key adds an unknown one, a changed one is always refused.\n";
}
