// Text and JSON output of reports: the same ordered fields in both forms.
#ifndef VOQ_TOOLS_REPORT_H
#define VOQ_TOOLS_REPORT_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// An ordered tree of named values; a node with children is an object (or an
// array when its children have no names).
class Report {
 public:
  Report& Add(const std::string& name, const std::string& text);
  Report& Add(const std::string& name, const char* text) { return Add(name, std::string(text)); }
  Report& Add(const std::string& name, int64_t number);
  Report& Add(const std::string& name, int number) { return Add(name, (int64_t)number); }
  Report& Add(const std::string& name, bool flag);
  // "name: ok (detail)" as text, {"ok": ..., "detail": ...} in JSON.
  Report& AddVerdict(const std::string& name, bool ok, const std::string& detail);
  // A nested object; in an array, give no name.
  Report& Child(const std::string& name);
  // An array; its elements read "itemLabel N ..." in the text form.
  Report& ArrayChild(const std::string& name, const std::string& itemLabel);

  // "name: value" lines; nested names are joined with a space.
  std::string Text(const std::string& prefix = "") const;
  // Names become lower-case keys with underscores ("file size" -> "file_size").
  std::string Json(int indent = 0) const;

 private:
  enum class Kind { kText, kNumber, kFlag, kVerdict, kObject, kArray };
  Report& Push(const std::string& name, Kind kind);

  std::string name_;
  std::string itemLabel_;
  Kind kind_ = Kind::kObject;
  std::string text_;
  int64_t number_ = 0;
  bool flag_ = false;
  std::vector<std::unique_ptr<Report>> children_;  // stable while siblings are added
};

#endif
