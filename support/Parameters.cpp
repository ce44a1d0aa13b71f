#include "support/Parameters.h"

#include <cmath>
#include <cstdlib>
#include <istream>
#include <ostream>

#include "support/DebugStream.h"
#include "support/NumberText.h"
#include "support/StringUtils.h"

namespace {

std::vector<Parameter> paramList;

const char* const kBlanks = " \t";
const char* const kSeparators = " \t\n";

// The entry for `key`, or null when absent.
const Parameter* lookup(const std::string& key) {
  auto it = findInsertionPoint(paramList, key);
  if (it == paramList.end() || it->paramLabel() != key) return nullptr;
  return &*it;
}

void insertOrReplace(const Parameter& p) {
  auto it = findInsertionPoint(paramList, p.paramLabel());
  if (it != paramList.end() && it->paramLabel() == p.paramLabel())
    *it = p;
  else
    paramList.insert(it, p);
}

}  // namespace

Parameter::Parameter() : m_type(Untyped) { m_value.i = 0; }

Parameter::Parameter(const std::string& key, int value) : m_key(key), m_type(Int) { m_value.i = value; }

Parameter::Parameter(const std::string& key, float value) : m_key(key), m_type(Float) {
  m_value.f = value;
}

Parameter::Parameter(const std::string& key, const std::string& text)
    : m_key(key), m_type(Text), m_text(text) {
  m_value.i = 0;
}

void Parameter::dump(FILE* f) const {
  switch (m_type) {
    case Int: std::fprintf(f, "%s = %d", m_key.c_str(), m_value.i); break;
    case Float: std::fprintf(f, "%s = %f", m_key.c_str(), static_cast<double>(m_value.f)); break;
    case Text: std::fprintf(f, "%s = %s", m_key.c_str(), m_text.c_str()); break;
    default: break;
  }
}

std::ostream& operator<<(std::ostream& os, const Parameter& p) {
  switch (p.paramType()) {
    case Parameter::Int: os << p.paramLabel() << "\t(Int)\t" << p.intValue(); break;
    case Parameter::Float:
      os << p.paramLabel() << "\t(Float)\t" << static_cast<double>(p.floatValue());
      break;
    case Parameter::Text: os << p.paramLabel() << "\t(Str)\t" << p.stringValue(); break;
    default: os << "\n"; break;
  }
  return os;
}

bool operator<(const Parameter& a, const Parameter& b) { return a.paramLabel() < b.paramLabel(); }

// Positions are size_t: the table may hold any number of keys.
std::vector<Parameter>::iterator findInsertionPoint(std::vector<Parameter>& table,
                                                    const std::string& key) {
  size_t lo = 0, hi = table.size();
  while (lo != hi) {
    size_t mid = lo + (hi - lo) / 2;
    int c = key.compare(table[mid].paramLabel());
    if (c == 0) {
      lo = hi = mid;
    } else if (c < 0) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  return table.begin() + static_cast<std::ptrdiff_t>(hi);
}

void Parameters::addParameter(const std::string& key, int value) { insertOrReplace(Parameter(key, value)); }

void Parameters::addParameter(const std::string& key, double value) {
  insertOrReplace(Parameter(key, static_cast<float>(value)));
}

void Parameters::addParameter(const std::string& key, const std::string& value) {
  insertOrReplace(Parameter(key, value));
}

std::string Parameters::nextToken(std::string& line) {
  size_t begin = line.find_first_not_of(kSeparators);
  if (begin == std::string::npos) {
    line.clear();
    return "";
  }
  size_t end = line.find_first_of(kSeparators, begin);
  std::string token = line.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
  size_t rest = end == std::string::npos ? std::string::npos : line.find_first_not_of(kSeparators, end);
  line = rest == std::string::npos ? std::string() : line.substr(rest);
  return token;
}

void Parameters::updateParameter(const std::string& key, const char* value) {
  auto it = findInsertionPoint(paramList, key);
  if (it == paramList.end() || it->paramLabel() != key) {
    paramList.insert(it, Parameter(key, std::string(value)));
    return;
  }
  switch (it->paramType()) {
    case Parameter::Int: *it = Parameter(key, strtol32(value)); break;
    case Parameter::Float: *it = Parameter(key, static_cast<float>(std::strtod(value, nullptr))); break;
    case Parameter::Text: *it = Parameter(key, std::string(value)); break;
    default: return;  // an untyped entry has no value to take
  }
  it->setWrittenText(value);
}

void Parameters::addDefault(const Param::Key& key) {
  if (key.type == Param::Type::Int)
    addParameter(key.name, static_cast<int>(key.fallback));
  else
    addParameter(key.name, key.fallback);
}

std::string Parameters::writtenText(const std::string& key) {
  const Parameter* p = lookup(key);
  if (p && !p->writtenText().empty()) return p->writtenText();
  return getString(key, "");
}

void Parameters::readParameters(std::istream& in) {
  if (in.eof()) return;
  for (;;) {
    std::string line = StringUtils::getLine(in);
    size_t last = line.find_last_not_of(kBlanks);
    line.erase(last == std::string::npos ? 0 : last + 1);
    size_t first = line.find_first_not_of(kBlanks);
    line.erase(0, first == std::string::npos ? line.size() : first);

    std::string key = nextToken(line);
    if (!key.empty() && key[0] != '#') updateParameter(key, line.c_str());
    // A stream that fails without reaching end of file would otherwise never end.
    if (in.eof() || in.fail()) return;
  }
}

int Parameters::getInt(const std::string& key, const int& def) {
  const Parameter* p = lookup(key);
  if (!p) return def;
  switch (p->paramType()) {
    case Parameter::Int: return p->intValue();
    case Parameter::Float: return truncateToInt(p->floatValue());
    case Parameter::Text: return strtol32(p->stringValue());
    default: return def;
  }
}

float Parameters::getFloat(const std::string& key, const float& def) {
  const Parameter* p = lookup(key);
  if (!p) return def;
  switch (p->paramType()) {
    case Parameter::Int: return static_cast<float>(p->intValue());
    case Parameter::Float: return p->floatValue();
    case Parameter::Text: return static_cast<float>(std::strtod(p->stringValue().c_str(), nullptr));
    default: return def;
  }
}

std::string Parameters::getString(const std::string& key, const std::string& def) {
  const Parameter* p = lookup(key);
  if (!p) return def;
  char buf[64];
  switch (p->paramType()) {
    case Parameter::Int: std::snprintf(buf, sizeof buf, "%d", p->intValue()); return buf;
    case Parameter::Float:
      std::snprintf(buf, sizeof buf, "%.6lg", static_cast<double>(p->floatValue()));
      return buf;
    case Parameter::Text: return p->stringValue();
    default: return def;
  }
}

int Parameters::paramType(const std::string& key) {
  const Parameter* p = lookup(key);
  return p ? p->paramType() : 0;
}

bool Parameters::empty() { return paramList.empty(); }

void Parameters::dump(std::ostream& os) { dump(os, std::string()); }

void Parameters::dump(std::ostream& os, const std::string& asWritten) {
  for (const Parameter& p : paramList) {
    if (!asWritten.empty() && p.paramLabel() == asWritten && !p.writtenText().empty()) {
      const char* type = p.paramType() == Parameter::Int ? "Int" : p.paramType() == Parameter::Float ? "Float" : "Str";
      os << p.paramLabel() << "\t(" << type << ")\t" << p.writtenText() << "\n";
    } else {
      os << p << "\n";
    }
  }
}

void Parameters::dump(FILE* f) {
  for (const Parameter& p : paramList) {
    p.dump(f);
    std::fprintf(f, "\n");
  }
  std::fprintf(f, "\n");
}

void Parameters::dump(DebugStream& ds, unsigned level) {
  for (Parameter& p : paramList) ds(level) << p;
}

void Parameters::clear() { paramList.clear(); }
