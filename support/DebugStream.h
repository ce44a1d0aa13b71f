#pragma once
// Level-filtered diagnostic stream: a message is written only when its level does
// not exceed the stream's debug level.
#include <iosfwd>
#include <ostream>

#include "support/Parameters.h"
#include "support/Timer.h"

class DebugStream {
 public:
  explicit DebugStream(std::ostream& os);
  explicit DebugStream(const char* fileName);
  ~DebugStream();
  DebugStream(const DebugStream&) = delete;
  DebugStream& operator=(const DebugStream&) = delete;

  void setDebugLevel(unsigned level) { m_debugLevel = level; }
  void newLines(bool on) { m_newLines = on; }
  void messageLevels(bool on) { m_messageLevels = on; }
  void messageTimes(bool on) { m_messageTimes = on; }
  void indent(bool on) { m_indent = on; }
  void resetTimer() { m_timer.reset(); }
  void setFloatPrecision(unsigned p);
  void setWidth(unsigned w);
  void setWidth(unsigned w, unsigned right);
  void autoFlush(bool on);

  // Opens a message of `level`.
  DebugStream& operator()(unsigned level);
  DebugStream& operator<<(const char* s);
  DebugStream& operator<<(std::ostream& (*manip)(std::ostream&));
  template <class T>
  DebugStream& operator<<(T& value);

 private:
  std::ostream* m_out;
  unsigned m_debugLevel = 0;
  bool m_messageTimes = false;
  bool m_newLines = false;
  bool m_messageLevels = false;
  bool m_indent = false;
  Timer m_timer;
  bool m_active = false;
  bool m_ownsOut = false;
};

template <>
inline DebugStream& DebugStream::operator<< <Parameter>(Parameter& p) {
  if (m_active) *m_out << p;
  return *this;
}
