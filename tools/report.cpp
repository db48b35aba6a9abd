#include "report.h"

#include <cctype>
#include <cstdio>

namespace {

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += (char)c;
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += (char)c;
    }
  }
  return out + "\"";
}

std::string JsonKey(const std::string& name) {
  std::string key;
  for (char c : name) key += (c == ' ' || c == '-') ? '_' : (char)std::tolower((unsigned char)c);
  return key;
}

}  // namespace

Report& Report::Push(const std::string& name, Kind kind) {
  children_.push_back(std::make_unique<Report>());
  Report& child = *children_.back();
  child.name_ = name;
  child.kind_ = kind;
  return child;
}

Report& Report::Add(const std::string& name, const std::string& text) {
  Push(name, Kind::kText).text_ = text;
  return *this;
}

Report& Report::Add(const std::string& name, int64_t number) {
  Push(name, Kind::kNumber).number_ = number;
  return *this;
}

Report& Report::Add(const std::string& name, bool flag) {
  Push(name, Kind::kFlag).flag_ = flag;
  return *this;
}

Report& Report::AddVerdict(const std::string& name, bool ok, const std::string& detail) {
  Report& child = Push(name, Kind::kVerdict);
  child.flag_ = ok;
  child.text_ = detail;
  return *this;
}

Report& Report::Child(const std::string& name) { return Push(name, Kind::kObject); }

Report& Report::ArrayChild(const std::string& name, const std::string& itemLabel) {
  Report& child = Push(name, Kind::kArray);
  child.itemLabel_ = itemLabel;
  return child;
}

std::string Report::Text(const std::string& prefix) const {
  std::string out;
  for (size_t i = 0; i < children_.size(); i++) {
    const Report& child = *children_[i];
    std::string label = kind_ == Kind::kArray ? itemLabel_ + " " + std::to_string(i) : child.name_;
    std::string name = prefix.empty() ? label : prefix + " " + label;
    switch (child.kind_) {
      case Kind::kText: out += name + ": " + child.text_ + "\n"; break;
      case Kind::kNumber: out += name + ": " + std::to_string(child.number_) + "\n"; break;
      case Kind::kFlag: out += name + ": " + (child.flag_ ? "yes" : "no") + "\n"; break;
      case Kind::kVerdict:
        out += name + ": " + (child.flag_ ? "ok" : "FAILED") + " (" + child.text_ + ")\n";
        break;
      case Kind::kObject: out += child.Text(name); break;
      // Items carry the array's label in place of its name.
      case Kind::kArray: out += child.Text(prefix); break;
    }
  }
  return out;
}

std::string Report::Json(int indent) const {
  switch (kind_) {
    case Kind::kText: return JsonString(text_);
    case Kind::kNumber: return std::to_string(number_);
    case Kind::kFlag: return flag_ ? "true" : "false";
    case Kind::kVerdict:
      return std::string("{\"ok\": ") + (flag_ ? "true" : "false") + ", \"detail\": " + JsonString(text_) + "}";
    default: break;
  }
  bool array = kind_ == Kind::kArray;
  if (children_.empty()) return array ? "[]" : "{}";
  std::string pad(indent + 2, ' ');
  std::string out = array ? "[\n" : "{\n";
  for (size_t i = 0; i < children_.size(); i++) {
    const Report& child = *children_[i];
    out += pad;
    if (!array) out += JsonString(JsonKey(child.name_)) + ": ";
    out += child.Json(indent + 2);
    out += i + 1 < children_.size() ? ",\n" : "\n";
  }
  return out + std::string(indent, ' ') + (array ? "]" : "}");
}
