#include "xscreensaver_config.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace {

const int kTabWidth = 8;
const int kCommandColumn = 32;  // where xscreensaver-settings starts a command
const int kEndColumn = 75;      // and where it puts the \n that ends an entry

// Tabs, then spaces, from column up to column to.
void PadTo(std::string* line, int column, int to) {
  while ((column / kTabWidth + 1) * kTabWidth <= to) {
    *line += '\t';
    column = (column / kTabWidth + 1) * kTabWidth;
  }
  line->append(to > column ? to - column : 0, ' ');
}

int Columns(const std::string& text) {
  int column = 0;
  for (char c : text) column = c == '\t' ? (column / kTabWidth + 1) * kTabWidth : column + 1;
  return column;
}

bool IsContinuation(const std::string& text, size_t at) {
  return at + 1 < text.size() && text[at] == '\\' && text[at + 1] == '\n';
}

// One entry of the list: the bytes it owns and its text with escapes undone.
struct Entry {
  size_t begin = 0;  // first byte it owns
  size_t separator = 0;  // its \n, or the end of the list for the last entry
  size_t end = 0;        // one past its separator (and a continuation right after it)
  std::string value;
  bool atLineStart = false;  // begin follows a continuation: it owns whole lines
};

struct ProgramsList {
  bool found = false;
  size_t lineBegin = 0;   // the "programs:" line
  size_t valueBegin = 0;  // just after its colon
  size_t valueEnd = 0;    // the newline that ends the resource (or the end of text)
  std::vector<Entry> entries;  // the last one may be empty: what follows the last \n
};

// A logical line runs on while a physical line ends in a backslash.
size_t LogicalLineEnd(const std::string& text, size_t at) {
  for (;;) {
    size_t newline = text.find('\n', at);
    if (newline == std::string::npos) return text.size();
    if (newline == 0 || text[newline - 1] != '\\') return newline;
    at = newline + 1;
  }
}

bool IsProgramsLine(const std::string& text, size_t begin, size_t end, size_t* colon) {
  size_t at = begin;
  // Continuations may split even the key; skip blanks and join as the reader does.
  std::string key;
  while (at < end) {
    if (IsContinuation(text, at)) {
      at += 2;
      continue;
    }
    if (text[at] == ':') break;
    key += text[at++];
  }
  if (at >= end) return false;
  size_t first = key.find_first_not_of(" \t\r");
  size_t last = key.find_last_not_of(" \t\r");
  if (first == std::string::npos) return false;
  key = key.substr(first, last - first + 1);
  if (key.size() != 8) return false;
  for (size_t i = 0; i < key.size(); i++)
    if (std::tolower((unsigned char)key[i]) != "programs"[i]) return false;
  *colon = at;
  return true;
}

void SplitEntries(const std::string& text, ProgramsList* list) {
  size_t at = list->valueBegin;
  Entry entry;
  entry.begin = at;
  bool blank = true;  // nothing but blanks and continuations since the entry began
  while (at < list->valueEnd) {
    if (IsContinuation(text, at)) {
      at += 2;
      if (blank) {
        entry.begin = at;
        entry.atLineStart = true;
      }
      continue;
    }
    if (text[at] == '\\' && at + 1 < list->valueEnd) {
      char escaped = text[at + 1];
      at += 2;
      if (escaped == 'n') {
        entry.separator = at - 2;
        entry.end = at;
        if (IsContinuation(text, at) && at + 2 <= list->valueEnd) entry.end = at += 2;
        list->entries.push_back(entry);
        entry = Entry();
        entry.begin = at;
        entry.atLineStart = text[at - 1] == '\n';
        blank = true;
        continue;
      }
      entry.value += escaped == 't' ? '\t' : escaped == 'r' ? '\r' : escaped;
      blank = false;
      continue;
    }
    if (text[at] != ' ' && text[at] != '\t') blank = false;
    entry.value += text[at++];
  }
  entry.separator = entry.end = list->valueEnd;
  list->entries.push_back(entry);
}

// The last programs resource (the one XScreenSaver keeps), outside comments.
ProgramsList FindProgramsList(const std::string& text) {
  ProgramsList list;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = LogicalLineEnd(text, at);
    size_t colon = 0;
    size_t first = text.find_first_not_of(" \t", at);
    bool comment = first < end && std::strchr("#!;", text[first]) != nullptr;
    if (!comment && IsProgramsLine(text, at, end, &colon)) {
      list = ProgramsList();
      list.found = true;
      list.lineBegin = at;
      list.valueBegin = colon + 1;
      list.valueEnd = end;
    }
    at = end + 1;
  }
  if (list.found) SplitEntries(text, &list);
  return list;
}

// Whether an entry's command starts with the word program.
bool RunsProgram(const std::string& value, const std::string& program) {
  size_t at = 0;
  auto skipBlanks = [&] {
    while (at < value.size() && std::isspace((unsigned char)value[at])) at++;
  };
  skipBlanks();
  if (at < value.size() && value[at] == '-') {
    at++;
    skipBlanks();
  }
  size_t word = at;
  while (at < value.size() && value[at] != ':' && value[at] != '"' && !std::isspace((unsigned char)value[at])) at++;
  if (at < value.size() && value[at] == ':') {
    at++;
    skipBlanks();
  } else {
    at = word;
  }
  if (at < value.size() && value[at] == '"') {
    size_t close = value.find('"', at + 1);
    at = close == std::string::npos ? value.size() : close + 1;
    skipBlanks();
  }
  if (value.compare(at, program.size(), program) != 0) return false;
  at += program.size();
  return at == value.size() || std::isspace((unsigned char)value[at]);
}

const char kCreatedList[] = "programs:\t\\\n";

}  // namespace

std::string ProgramEntryLine(const std::string& label, const std::string& command) {
  std::string line;
  std::string quoted = "\"" + label + "\"";
  PadTo(&line, 0, std::max(0, kCommandColumn - (int)quoted.size() - 2));
  line += quoted + ' ';
  PadTo(&line, Columns(line), kCommandColumn);
  line += command;
  int column = Columns(line);
  PadTo(&line, column, std::max(column, kEndColumn));
  return line + " \\n\\\n";
}

std::string ShellWord(const std::string& path) {
  if (path.empty()) return "";
  bool plain = true;
  for (char c : path) {
    unsigned char u = (unsigned char)c;
    if (u < 0x20 || u == 0x7f || c == '\\' || c == '\'' || c == '"') return "";
    if (!std::isalnum(u) && std::strchr("/._+,@%=-", c) == nullptr) plain = false;
  }
  return plain ? path : "'" + path + "'";
}

std::string WithProgramEntry(const std::string& text, const std::string& program,
                             const std::string& entryLine) {
  ProgramsList list = FindProgramsList(text);
  if (!list.found) {
    std::string result = text;
    if (!result.empty() && result.back() != '\n') result += '\n';
    return result + kCreatedList + entryLine + "\n";
  }
  std::string result = text;
  // Again under the same name: the first old entry takes the new text, in
  // its place, and keeps its own separator; any others go.
  std::string content = entryLine.substr(0, entryLine.rfind("\\n\\\n"));
  bool replaced = false;
  for (size_t i = 0; i < list.entries.size() && !replaced; i++) {
    if (!RunsProgram(list.entries[i].value, program)) continue;
    for (size_t j = list.entries.size(); j-- > i + 1;) {
      const Entry& other = list.entries[j];
      if (RunsProgram(other.value, program)) result.erase(other.begin, other.end - other.begin);
    }
    const Entry& entry = list.entries[i];
    result.replace(entry.begin, entry.separator - entry.begin, content);
    replaced = true;
  }
  if (replaced) return result;
  // Whole lines go in after the last entry that starts a line.
  for (size_t i = list.entries.size(); i-- > 0;)
    if (list.entries[i].atLineStart) return result.insert(list.entries[i].begin, entryLine);
  // A list on one line: continue it.
  const Entry& last = list.entries.back();
  bool lastIsBlank = last.value.find_first_not_of(" \t\r") == std::string::npos;
  return result.insert(list.valueEnd, (lastIsBlank ? "" : " \\n") + std::string("\\\n") + entryLine);
}

std::string WithoutProgramEntry(const std::string& text, const std::string& program, int* removed) {
  *removed = 0;
  ProgramsList list = FindProgramsList(text);
  if (!list.found) return text;
  std::string result = text;
  for (size_t i = list.entries.size(); i-- > 0;) {
    const Entry& entry = list.entries[i];
    if (!RunsProgram(entry.value, program)) continue;
    result.erase(entry.begin, entry.end - entry.begin);
    ++*removed;
  }
  // The list WithProgramEntry made for a file that had none goes with its entry.
  size_t created = std::strlen(kCreatedList);
  ProgramsList left = FindProgramsList(result);
  if (*removed > 0 && left.found && result.compare(left.lineBegin, created, kCreatedList) == 0 &&
      left.lineBegin + created == left.valueEnd && left.valueEnd < result.size())
    result.erase(left.lineBegin, created + 1);
  return result;
}
