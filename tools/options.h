// The command line of one voq-make command: positional arguments, options
// with values ("--name value" or "--name=value") and plain switches.
#ifndef VOQ_TOOLS_OPTIONS_H
#define VOQ_TOOLS_OPTIONS_H

#include <map>
#include <set>
#include <string>
#include <vector>

class Options {
 public:
  // Throws UsageError for an unknown option or a missing value.
  Options(const std::string& command, const std::vector<std::string>& arguments,
          const std::set<std::string>& valued, const std::set<std::string>& switches);

  bool Has(const std::string& name) const;
  // The last value given for name, or fallback.
  std::string Value(const std::string& name, const std::string& fallback = "") const;
  // Whichever of the switches came last ("" when none did).
  std::string LastOf(const std::vector<std::string>& names) const;
  const std::vector<std::string>& Positional() const { return positional_; }
  // Throws UsageError unless there are between least and most positional arguments.
  void ExpectPositional(size_t least, size_t most, const std::string& what) const;

 private:
  std::string command_;
  std::map<std::string, std::string> values_;
  std::map<std::string, int> order_;  // position of each option's last use
  std::vector<std::string> positional_;
};

// Whole decimal number in [least, most]; otherwise UsageError naming option.
int ParseNumber(const std::string& text, const std::string& option, int least, int most);

// "WxH" with WIDTH in [least, mostWidth] and HEIGHT in [least, mostHeight].
void ParseSize(const std::string& text, const std::string& option, int least, int mostWidth,
               int mostHeight, int* width, int* height);

#endif
