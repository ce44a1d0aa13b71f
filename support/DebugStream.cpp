#include "support/DebugStream.h"

#include <fstream>
#include <iomanip>
#include <iostream>

DebugStream::DebugStream(std::ostream& os) : m_out(&os) {}

DebugStream::DebugStream(const char* fileName) : m_out(&std::cerr) {
  std::ofstream* file = new std::ofstream(fileName, std::ios::out | std::ios::trunc);
  if (file->good()) {
    m_out = file;
    m_ownsOut = true;
  } else {
    delete file;
    std::cerr << "Can't open file : " << fileName << " as DebugStream." << std::endl;
  }
}

DebugStream::~DebugStream() {
  if (m_ownsOut) {
    std::ofstream* file = static_cast<std::ofstream*>(m_out);
    file->close();
    delete file;
  }
}

void DebugStream::setFloatPrecision(unsigned p) {
  m_out->setf(std::ios::fixed, std::ios::floatfield);
  m_out->precision(p);
}

void DebugStream::setWidth(unsigned w) { m_out->width(w); }

void DebugStream::setWidth(unsigned w, unsigned right) {
  m_out->setf(right ? std::ios::right : std::ios::left, std::ios::adjustfield);
  m_out->width(w);
}

void DebugStream::autoFlush(bool on) {
  if (on)
    m_out->setf(std::ios::unitbuf);
  else
    m_out->unsetf(std::ios::unitbuf);
}

DebugStream& DebugStream::operator()(unsigned level) {
  m_active = level <= m_debugLevel;
  if (!m_active) return *this;
  if (m_newLines) *m_out << "\n";
  if (m_messageLevels) *m_out << std::setw(3) << level;
  if (m_messageTimes) {
    if (m_messageLevels) *m_out << " ";
    *m_out << m_timer << "| ";
  } else if (m_messageLevels) {
    *m_out << ": ";
  }
  if (m_indent)
    for (unsigned i = 0; i < level / 10; ++i) *m_out << "  ";
  return *this;
}

DebugStream& DebugStream::operator<<(const char* s) {
  if (m_active) *m_out << s;
  return *this;
}

DebugStream& DebugStream::operator<<(std::ostream& (*manip)(std::ostream&)) {
  if (m_active) manip(*m_out);
  return *this;
}
