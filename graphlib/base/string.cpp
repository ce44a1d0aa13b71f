#include "graphlib/base/string.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>

#include "graphlib/base/error.h"

namespace graphlib {

namespace {

// A buffer of n bytes, or nil after reporting msg.
char* new_buffer(size_t n, const char* msg) {
  char* p = new (std::nothrow) char[n];
  if (p == nullptr) std_error_handler(1, msg);
  return p;
}

char* empty_buffer() { return new char[1](); }

int length_of(const char* s) { return static_cast<int>(std::strlen(s)); }

}  // namespace

char* string::str_dup(const char* p) {
  if (p == nullptr) {
    std_error_handler(1, "string::str_dup: nil argument");
    return empty_buffer();
  }
  size_t n = std::strlen(p);
  char* q = new_buffer(n + 1, "string::str_dup: out of memory");
  if (q == nullptr) return empty_buffer();
  std::memcpy(q, p, n + 1);
  return q;
}

char* string::str_cat(const char* a, const char* b) {
  size_t na = std::strlen(a);
  size_t nb = std::strlen(b);
  char* q = new_buffer(na + nb + 1, "string::str_cat: out of memory");
  if (q == nullptr) return empty_buffer();
  std::memcpy(q, a, na);
  std::memcpy(q + na, b, nb + 1);
  return q;
}

char* string::str_ncat(int n, char** v) {
  size_t total = 1;
  for (int i = 0; i < n; i++) total += std::strlen(v[i]) + 1;
  char* q = new_buffer(total, "string::str_cat: out of memory");
  if (q == nullptr) return empty_buffer();
  char* end = q;
  for (int i = 0; i < n; i++) {
    size_t len = std::strlen(v[i]);
    std::memcpy(end, v[i], len);
    end += len;
    *end++ = ' ';
  }
  *end = '\0';
  return q;
}

int string::cmp(const char* a, const char* b) { return std::strcmp(a, b); }

string_rep::string_rep(const char* p) : s(string::str_dup(p)), len(length_of(s)) {}

string_rep::string_rep(const char* a, const char* b) : s(string::str_cat(a, b)), len(length_of(s)) {}

string_rep::string_rep(char c) : s(new char[2]), len(0) {
  s[0] = c;
  s[1] = '\0';
  len = length_of(s);
}

string_rep* string_rep::adopt(char* buffer, int len) {
  string_rep* r = new string_rep;
  r->s = buffer;
  r->len = len;
  return r;
}

string::string() : handle_base(new string_rep("")) {}

string::string(const char* p) : handle_base(new string_rep(p)) {}

string::string(char c) : handle_base(new string_rep(c)) {}

string::string(int argc, char** argv)
    : handle_base(argc <= 0 ? new string_rep("") : string_rep::adopt(str_ncat(argc, argv), 0)) {
  rep->len = length_of(rep->s);
}

string_rep* string::formatted(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list again;
  va_copy(again, args);
  int n = std::vsnprintf(nullptr, 0, fmt, args);
  va_end(args);
  char* buffer = nullptr;
  if (n >= 0) buffer = new_buffer(static_cast<size_t>(n) + 1, "string::str_dup: out of memory");
  if (buffer != nullptr) {
    std::vsnprintf(buffer, static_cast<size_t>(n) + 1, fmt, again);
  } else {
    buffer = empty_buffer();
  }
  va_end(again);
  // A NUL produced by "%c" ends the text, as it does for every string.
  return string_rep::adopt(buffer, length_of(buffer));
}

char& string::operator[](int i) {
  if (rep->count > 1) *this = string(rep->s);
  return rep->s[i];
}

string& string::operator+=(const string& x) {
  *this = string(new string_rep(rep->s, x.rep->s));
  return *this;
}

string operator+(const string& a, const string& b) { return string(new string_rep(a.chars(), b.chars())); }

string string::sub(int i, int j) const {
  if (i < 0) i = 0;
  if (j >= rep->len) j = rep->len - 1;
  int n = j - i + 1;
  if (n <= 0) return string();
  char* buffer = new char[static_cast<size_t>(n) + 1];
  std::memcpy(buffer, rep->s + i, static_cast<size_t>(n));
  buffer[n] = '\0';
  return string(string_rep::adopt(buffer, n));
}

int string::pos(const string& t, int i) const {
  if (i < 0) i = 0;
  if (t.length() == 0 || i >= rep->len) return -1;
  const char* found = std::strstr(rep->s + i, t.chars());
  return found ? static_cast<int>(found - rep->s) : -1;
}

string string::insert(const string& t, int i) const { return sub(0, i - 1) + t + sub(i, rep->len - 1); }

string string::del(int i, int j) const { return sub(0, i - 1) + sub(j + 1, rep->len - 1); }

string string::replace(int i, int j, const string& t) const { return sub(0, i - 1) + t + sub(j + 1, rep->len - 1); }

string string::replace(const string& s1, const string& s2, int k) const {
  string result;
  int i = 0;
  int count = 0;
  for (;;) {
    int p = pos(s1, i);
    if (p < 0) {
      result += sub(i, rep->len - 1);
      return result;
    }
    result += sub(i, p - 1);
    if (k == 0) {
      result += s2;
    } else {
      count++;
      result += count == k ? s2 : s1;
    }
    i = p + s1.length();
  }
}

namespace {

// At most one conversion, and a text one: flags, width and precision digits, 's'.
bool is_text_format(const char* f) {
  int conversions = 0;
  for (const char* p = f; *p; p++) {
    if (*p != '%') continue;
    if (p[1] == '%') {
      p++;
      continue;
    }
    p++;
    while (*p && std::strchr("-+ #0", *p)) p++;
    while (std::isdigit(static_cast<unsigned char>(*p))) p++;
    if (*p == '.') {
      p++;
      while (std::isdigit(static_cast<unsigned char>(*p))) p++;
    }
    if (*p != 's') return false;
    conversions++;
  }
  return conversions <= 1;
}

}  // namespace

string string::format(const string& f) const {
  if (!is_text_format(f.chars())) {
    std_error_handler(1, string("string::format: illegal format %s", f).chars());
    return *this;
  }
  return string(formatted(f.chars(), rep->s));
}

string string::to_lower() const {
  char* buffer = str_dup(rep->s);
  for (char* p = buffer; *p; p++) *p = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
  return string(string_rep::adopt(buffer, rep->len));
}

void string::read(std::istream& in, char delim) {
  *this = string();
  bool delimiter_met = false;
  while (in.good() && !delimiter_met) {
    char chunk[1024];
    int n = 0;
    while (n < 1023) {
      int c = in.get();
      if (in.fail()) break;
      bool is_delim = delim == '\0' ? std::isspace(c) != 0 : c == static_cast<unsigned char>(delim);
      if (is_delim) {
        delimiter_met = true;
        if (delim != '\n') {
          in.putback(static_cast<char>(c));
        } else {
          // Look ahead, so that the stream fails right after its last line.
          int next = in.get();
          if (!in.fail()) in.putback(static_cast<char>(next));
        }
        break;
      }
      chunk[n++] = static_cast<char>(c);
    }
    chunk[n] = '\0';
    *this += chunk;
  }
}

std::istream& operator>>(std::istream& in, string& x) {
  const bool console = &in == &std::cin;
  int c = 0;
  while (in.good()) {
    c = in.get();
    if (in.fail()) break;
    if (console && c == '\n') break;
    if (!std::isspace(c)) break;
  }
  if (in.good() && c != '\n') in.putback(static_cast<char>(c));
  x.read(in, '\0');
  return in;
}

std::ostream& operator<<(std::ostream& out, const string& x) { return out << x.chars(); }

int ID_Number(const string&) {
  std_error_handler(1, "map<I,E>: Index type I=string not allowed.");
  return 0;
}

string_istream::~string_istream() {}

string_ostream::~string_ostream() {}

}  // namespace graphlib
