// The engine command-line parser: one pass over the arguments, left to right.
// The first help request or usage error met ends the parse; missing required
// arguments are checked only after the last argument.
#include <cstdlib>
#include <expected>
#include <mutex>
#include <optional>

#include "base/text.hpp"
#include "cli/cli.hpp"
#include "cli/cli_help.hpp"
#include "process.hpp"

namespace zav {
namespace {

struct HelpRequest {};
using ParseStop = std::variant<HelpRequest, UsageError>;

// The values met for each argument, parallel to the subcommand's arguments.
using ArgumentValues = std::vector<std::vector<std::string>>;

// An argument that is read as an option (or as the "--" marker), never as a
// value or an operand.
bool looks_like_option(std::string_view argument) {
  return argument.size() > 1 && argument.front() == '-';
}

// `takes_operands`: whether "--" can make the argument an operand, which the
// hint then suggests.
UsageError unexpected_argument(std::string_view argument, bool takes_operands) {
  UsageError error{"unexpected argument " + quoted_argument(argument) + " found", ""};
  if (takes_operands && looks_like_option(argument)) {
    error.tip = "to pass " + quoted_argument(argument) + " as a value, use " +
                quoted_argument("-- " + std::string(argument));
  }
  return error;
}

UsageError value_required(const ArgumentDefinition& argument) {
  return {"a value is required for '" + argument_display(argument) + "' but none was supplied", ""};
}

class SubcommandParser {
 public:
  SubcommandParser(const SubcommandDefinition& definition,
                   std::span<const std::string_view> arguments)
      : definition_(definition), arguments_(arguments), values_(definition.arguments.size()) {}

  std::expected<ArgumentValues, ParseStop> run() {
    bool options_ended = false;
    for (next_ = 0; next_ < arguments_.size();) {
      std::string_view argument = arguments_[next_++];
      std::optional<ParseStop> stop;
      if (!options_ended && argument == "--" && operand_index()) {
        options_ended = true;
      } else if (!options_ended && looks_like_option(argument)) {
        stop = option(argument);
      } else {
        stop = operand(argument);
      }
      if (stop) return std::unexpected(std::move(*stop));
    }
    for (std::size_t i = 0; i < values_.size(); ++i) {
      const ArgumentDefinition& argument = definition_.arguments[i];
      if (argument.required && values_[i].empty()) {
        return std::unexpected(UsageError{
            "the following required arguments were not provided:\n  " + argument_display(argument),
            ""});
      }
    }
    return std::move(values_);
  }

 private:
  std::optional<std::size_t> operand_index() const {
    for (std::size_t i = 0; i < definition_.arguments.size(); ++i) {
      if (definition_.arguments[i].is_operand()) return i;
    }
    return std::nullopt;
  }

  std::optional<std::size_t> option_index(std::string_view name) const {
    for (std::size_t i = 0; i < definition_.arguments.size(); ++i) {
      const ArgumentDefinition& argument = definition_.arguments[i];
      if (!argument.is_operand() && argument.long_name == name) return i;
    }
    return std::nullopt;
  }

  UsageError unexpected(std::string_view argument) const {
    return unexpected_argument(argument, operand_index().has_value());
  }

  bool is_help_flag(std::string_view argument) const {
    return definition_.help_flag && (argument == "-h" || argument == "--help");
  }

  // Whether an argument that looks like an option names nothing defined.
  bool is_undefined_option(std::string_view argument) const {
    if (argument == "--" || is_help_flag(argument)) return false;
    if (!argument.starts_with("--")) return true;
    std::string_view name = argument.substr(2);
    name = name.substr(0, name.find('='));
    return !option_index(name) && !(definition_.help_flag && name == "help");
  }

  std::optional<ParseStop> option(std::string_view argument) {
    if (is_help_flag(argument)) return HelpRequest{};
    if (!argument.starts_with("--")) return unexpected(argument);
    std::string_view name = argument.substr(2);
    std::optional<std::string_view> joined;
    if (std::size_t equals = name.find('='); equals != std::string_view::npos) {
      joined = name.substr(equals + 1);
      name = name.substr(0, equals);
    }
    if (definition_.help_flag && name == "help") {
      return UsageError{"unexpected value " + quoted_argument(*joined) +
                            " for '--help' found; no more were expected",
                        ""};
    }
    std::optional<std::size_t> index = option_index(name);
    if (!index) return unexpected(name.empty() ? argument : argument.substr(0, 2 + name.size()));
    if (joined) return take_value(*index, *joined);
    if (next_ < arguments_.size() && !looks_like_option(arguments_[next_])) {
      return take_value(*index, arguments_[next_++]);
    }
    if (next_ < arguments_.size() && is_undefined_option(arguments_[next_])) {
      return unexpected(arguments_[next_]);
    }
    return value_required(definition_.arguments[*index]);
  }

  std::optional<ParseStop> operand(std::string_view argument) {
    std::optional<std::size_t> index = operand_index();
    if (!index || !values_[*index].empty()) return unexpected(argument);
    if (argument.empty()) return value_required(definition_.arguments[*index]);
    return take_value(*index, argument);
  }

  std::optional<ParseStop> take_value(std::size_t index, std::string_view value) {
    const ArgumentDefinition& argument = definition_.arguments[index];
    if (!argument.repeatable && !values_[index].empty()) {
      return UsageError{
          "the argument '" + argument_display(argument) + "' cannot be used multiple times", ""};
    }
    if (argument.value_kind != ValueKind::Path && !is_valid_utf8(value)) {
      return UsageError{"invalid UTF-8 was detected in one or more arguments", ""};
    }
    if (argument.value_kind == ValueKind::UnsignedInteger) {
      if (auto number = parse_read_concurrency(value); !number) {
        return UsageError{"invalid value " + quoted_argument(value) + " for '" +
                              argument_display(argument) + "': " + std::string(number.error()),
                          ""};
      }
    }
    values_[index].emplace_back(value);
    return std::nullopt;
  }

  const SubcommandDefinition& definition_;
  std::span<const std::string_view> arguments_;
  ArgumentValues values_;
  std::size_t next_ = 0;
};

// The values of the argument `id`, or its default when none was given.
std::vector<std::string> values_of(const SubcommandDefinition& definition, ArgumentValues& values,
                                   std::string_view id) {
  for (std::size_t i = 0; i < definition.arguments.size(); ++i) {
    const ArgumentDefinition& argument = definition.arguments[i];
    if (argument.id != id) continue;
    if (values[i].empty() && argument.default_value) return {*argument.default_value};
    return std::move(values[i]);
  }
  return {};
}

Cli build_cli(const SubcommandDefinition& definition, ArgumentValues values) {
  if (definition.name == ENGINE_FACTS) return Cli{EngineFacts{}};
  Load load;
  load.root = std::move(values_of(definition, values, "root").front());
  load.exclude = values_of(definition, values, "exclude");
  // Every given value was checked when it was met, and so is the default.
  load.read_concurrency =
      parse_read_concurrency(values_of(definition, values, "read_concurrency").front())
          .value_or(DEFAULT_READ_CONCURRENCY);
  return Cli{EngineLoad{std::move(load)}};
}

}  // namespace

std::variant<Cli, ParseExit> parse_command_line(std::span<const std::string_view> argv) {
  CommandDefinition definition = Cli::command_definition();
  std::string program = program_display_name(argv.empty() ? std::string_view() : argv.front());
  // Dispatch sends only the two subcommand names here.
  const SubcommandDefinition* subcommand =
      argv.size() < 2 ? nullptr : definition.find_subcommand(argv[1]);
  if (subcommand == nullptr) {
    return ParseExit{2, "error: " + program + " needs one of the subcommands " +
                            std::string(ENGINE_FACTS) + " and " + std::string(ENGINE_LOAD) + "\n"};
  }
  auto values = SubcommandParser(*subcommand, argv.subspan(2)).run();
  if (values) return build_cli(*subcommand, std::move(*values));
  if (std::holds_alternative<HelpRequest>(values.error())) {
    return ParseExit{0, render_help(*subcommand, program)};
  }
  return ParseExit{2,
                   render_usage_error(*subcommand, program, std::get<UsageError>(values.error()))};
}

Cli Cli::parse() {
  auto parsed = parse_command_line(process_arguments());
  if (Cli* cli = std::get_if<Cli>(&parsed)) return std::move(*cli);
  const ParseExit& exit = std::get<ParseExit>(parsed);
  // A text that cannot be written changes nothing: the status stays.
  if (exit.status == 0) {
    OutputStream& out = standard_output();
    std::lock_guard lock(out.lock());
    (void)out.write(exit.text);
    (void)out.flush();
  } else {
    (void)write_fully(2, exit.text);
  }
  std::exit(exit.status);
}

}  // namespace zav
