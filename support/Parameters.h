#pragma once
// The process-wide table of named settings: registered with typed defaults,
// overwritten from "params.txt", looked up by key at every use.
#include <cstdio>
#include <iosfwd>
#include <string>
#include <vector>

#include "support/ParameterKeys.h"

class DebugStream;

class Parameter {
 public:
  enum Type { Untyped = 0, Int = 1, Float = 2, Text = 3 };

  Parameter();
  Parameter(const std::string& key, int value);
  Parameter(const std::string& key, float value);
  Parameter(const std::string& key, const std::string& text);

  const std::string& paramLabel() const { return m_key; }
  int paramType() const { return m_type; }
  int intValue() const { return m_value.i; }
  float floatValue() const { return m_value.f; }
  const std::string& stringValue() const { return m_text; }
  // The value as "params.txt" gave it; empty when it did not.
  const std::string& writtenText() const { return m_written; }
  void setWrittenText(const std::string& text) { m_written = text; }

  void dump(FILE* f) const;

 private:
  std::string m_key;
  int m_type;
  union {
    int i;
    float f;
  } m_value;
  std::string m_text;
  std::string m_written;
};

std::ostream& operator<<(std::ostream& os, const Parameter& p);
bool operator<(const Parameter& a, const Parameter& b);

// Position of `key` in the sorted table: its entry, else the first larger key, else end.
std::vector<Parameter>::iterator findInsertionPoint(std::vector<Parameter>& table,
                                                    const std::string& key);

class Parameters {
 public:
  Parameters() {}

  static void addParameter(const std::string& key, int value);
  static void addParameter(const std::string& key, double value);
  static void addParameter(const std::string& key, const std::string& value);

  static void readParameters(std::istream& in);
  static void updateParameter(const std::string& key, const char* value);
  static std::string nextToken(std::string& line);

  // A key of the table, its default when absent.
  static int getInt(const Param::Key& key) { return getInt(key.name, static_cast<int>(key.fallback)); }
  static float getFloat(const Param::Key& key) { return getFloat(key.name, static_cast<float>(key.fallback)); }
  // Registers a key of the table with its default.
  static void addDefault(const Param::Key& key);
  // The value as "params.txt" wrote it, else as getString gives it.
  static std::string writtenText(const std::string& key);

  static int getInt(const std::string& key, const int& def);
  static float getFloat(const std::string& key, const float& def);
  static std::string getString(const std::string& key, const std::string& def);
  static int paramType(const std::string& key);
  static bool empty();

  static void dump(std::ostream& os);
  // The table with the entry of `asWritten` showing its value as written.
  static void dump(std::ostream& os, const std::string& asWritten);
  static void dump(FILE* f);
  static void dump(DebugStream& ds, unsigned level);

  // Empties the table (tests start from a known state).
  static void clear();
};
