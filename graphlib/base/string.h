#pragma once
// Reference-counted character string of the graph library. Copies share one
// representation; every operation that yields a different text builds a new
// one, so shared characters never change.
#include "graphlib/base/memory_manager.h"

#include <cstddef>
#include <istream>
#include <ostream>
#include <sstream>

namespace graphlib {

class handle_rep : public small_object {
 public:
  handle_rep() : count(1) {}
  int count;
};

template <class R>
class handle_base {
 public:
  handle_base(const handle_base& x) : rep(x.rep) { rep->count++; }
  // Taking the source first makes self-assignment safe.
  handle_base& operator=(const handle_base& x) {
    x.rep->count++;
    release();
    rep = x.rep;
    return *this;
  }
  ~handle_base() { release(); }

 protected:
  explicit handle_base(R* r) : rep(r) {}
  void release() {
    if (--rep->count == 0) delete rep;
  }
  R* rep;
};

class string_rep : public handle_rep {
 public:
  explicit string_rep(const char* p);
  string_rep(const char* a, const char* b);
  explicit string_rep(char c);
  ~string_rep() { delete[] s; }
  string_rep(const string_rep&) = delete;
  string_rep& operator=(const string_rep&) = delete;

  // Takes over buffer, a new[] array holding len characters and a NUL.
  static string_rep* adopt(char* buffer, int len);

  char* s;
  int len;

 private:
  string_rep() : s(nullptr), len(0) {}
};

class string;

// How the printf-style constructors pass each argument to the formatter.
namespace internal {
inline int arg(char x) { return x; }
inline int arg(signed char x) { return x; }
inline int arg(unsigned char x) { return x; }
inline int arg(short x) { return x; }
inline int arg(unsigned short x) { return x; }
inline int arg(int x) { return x; }
inline unsigned int arg(unsigned int x) { return x; }
inline long arg(long x) { return x; }
inline unsigned long arg(unsigned long x) { return x; }
inline long long arg(long long x) { return x; }
inline unsigned long long arg(unsigned long long x) { return x; }
inline double arg(float x) { return x; }
inline double arg(double x) { return x; }
inline const char* arg(const char* x) { return x; }
inline const void* arg(const void* x) { return x; }
const char* arg(const string& x);
}  // namespace internal

class string : public handle_base<string_rep> {
 public:
  string();
  string(const char* p);
  string(char c);
  // The words, each followed by one blank (the last one too).
  string(int argc, char** argv);

  // printf-style: the text that the C library's formatted print makes of fmt
  // and the arguments, in one bounded pass. A '%' inside an argument is text.
  template <class T, class... A>
  string(const char* fmt, T x, A... rest)
      : handle_base(formatted(fmt, internal::arg(x), internal::arg(rest)...)) {}

  static char* str_dup(const char* p);
  static char* str_cat(const char* a, const char* b);
  static char* str_ncat(int n, char** v);
  static int cmp(const char* a, const char* b);

  int length() const { return rep->len; }
  const char* chars() const { return rep->s; }
  // Reference count of the shared representation.
  int refs() const { return rep->count; }

  char operator[](int i) const { return rep->s[i]; }
  // Copies a shared representation first. A reference kept across a later
  // copy of this string would still write into the shared text.
  char& operator[](int i);

  string& operator+=(const string& x);

  string sub(int i, int j) const;
  int pos(const string& t, int i = 0) const;
  string insert(const string& t, int i) const;
  string insert(int i, const string& t) const { return insert(t, i); }
  string del(int i, int j) const;
  string del(const string& t, int k = 0) const { return replace(t, string(), k); }
  string replace(int i, int j, const string& t) const;
  string replace(const string& s1, const string& s2, int k = 0) const;
  // f must hold at most one conversion, a text one ("%-20s"); anything else is error 1.
  string format(const string& f) const;
  string to_lower() const;

  void read(std::istream& in, char delim);

 private:
  explicit string(string_rep* r) : handle_base(r) {}
  static string_rep* formatted(const char* fmt, ...);
  friend string operator+(const string& a, const string& b);
};

inline const char* internal::arg(const string& x) { return x.chars(); }

string operator+(const string& a, const string& b);

inline bool operator==(const string& a, const string& b) { return string::cmp(a.chars(), b.chars()) == 0; }
inline bool operator!=(const string& a, const string& b) { return string::cmp(a.chars(), b.chars()) != 0; }
inline bool operator<(const string& a, const string& b) { return string::cmp(a.chars(), b.chars()) < 0; }
inline bool operator<=(const string& a, const string& b) { return string::cmp(a.chars(), b.chars()) <= 0; }
inline bool operator>(const string& a, const string& b) { return string::cmp(a.chars(), b.chars()) > 0; }
inline bool operator>=(const string& a, const string& b) { return string::cmp(a.chars(), b.chars()) >= 0; }

std::istream& operator>>(std::istream& in, string& x);
std::ostream& operator<<(std::ostream& out, const string& x);

// A string cannot index the library's map.
int ID_Number(const string&);

class string_istream : public std::istringstream {
 public:
  explicit string_istream(const string& s) : std::istringstream(s.chars()) {}
  ~string_istream() override;
};

class string_ostream : public std::ostringstream {
 public:
  string_ostream() {}
  ~string_ostream() override;
};

}  // namespace graphlib
