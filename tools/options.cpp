#include "options.h"

#include <cerrno>
#include <cstdlib>

#include "tool_error.h"

Options::Options(const std::string& command, const std::vector<std::string>& arguments,
                 const std::set<std::string>& valued, const std::set<std::string>& switches)
    : command_(command) {
  bool onlyPositional = false;
  int position = 0;
  for (size_t i = 0; i < arguments.size(); i++) {
    const std::string& argument = arguments[i];
    if (onlyPositional || argument.size() < 2 || argument[0] != '-') {
      positional_.push_back(argument);
      continue;
    }
    if (argument == "--") {
      onlyPositional = true;
      continue;
    }
    std::string name = argument;
    std::string value;
    bool inlineValue = false;
    size_t equals = argument.find('=');
    if (argument.compare(0, 2, "--") == 0 && equals != std::string::npos) {
      name = argument.substr(0, equals);
      value = argument.substr(equals + 1);
      inlineValue = true;
    }
    if (name == "-h") name = "--help";
    if (valued.count(name) != 0) {
      if (!inlineValue) {
        if (i + 1 >= arguments.size())
          throw UsageError(name + " needs a value (see voq-make " + command_ + " --help)");
        value = arguments[++i];
      }
      values_[name] = value;
    } else if (switches.count(name) != 0 || name == "--help") {
      if (inlineValue) throw UsageError(name + " takes no value");
      values_[name] = "";
    } else {
      throw UsageError("unknown option " + name + " for " + command_ + " (see voq-make " + command_ +
                       " --help)");
    }
    order_[name] = position++;
  }
}

bool Options::Has(const std::string& name) const { return values_.count(name) != 0; }

std::string Options::Value(const std::string& name, const std::string& fallback) const {
  auto found = values_.find(name);
  return found != values_.end() ? found->second : fallback;
}

std::string Options::LastOf(const std::vector<std::string>& names) const {
  std::string last;
  int lastAt = -1;
  for (const auto& name : names) {
    auto found = order_.find(name);
    if (found != order_.end() && found->second > lastAt) {
      last = name;
      lastAt = found->second;
    }
  }
  return last;
}

void Options::ExpectPositional(size_t least, size_t most, const std::string& what) const {
  if (positional_.size() < least)
    throw UsageError(command_ + " needs " + what + " (see voq-make " + command_ + " --help)");
  if (positional_.size() > most)
    throw UsageError("unexpected argument " + positional_[most] + " for " + command_ +
                     " (see voq-make " + command_ + " --help)");
}

int ParseNumber(const std::string& text, const std::string& option, int least, int most) {
  bool digits = !text.empty() && text.size() <= 9;
  for (char c : text) digits = digits && c >= '0' && c <= '9';
  int value = digits ? std::atoi(text.c_str()) : -1;
  if (!digits || value < least || value > most)
    throw UsageError(option + " " + (text.empty() ? "\"\"" : text) + ": give a whole number from " +
                     std::to_string(least) + " to " + std::to_string(most));
  return value;
}

void ParseSize(const std::string& text, const std::string& option, int least, int mostWidth,
               int mostHeight, int* width, int* height) {
  size_t x = text.find_first_of("xX");
  if (x == std::string::npos)
    throw UsageError(option + " " + text + ": give WIDTHxHEIGHT, for example 480x360");
  try {
    *width = ParseNumber(text.substr(0, x), option, least, mostWidth);
    *height = ParseNumber(text.substr(x + 1), option, least, mostHeight);
  } catch (const UsageError&) {
    throw UsageError(option + " " + text + ": give WIDTHxHEIGHT, up to " + std::to_string(mostWidth) +
                     "x" + std::to_string(mostHeight));
  }
}
