#include "graphlib/base/string.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "AllocatorCheckedTest.h"
#include "AllocatorUsage.h"
#include "ProbeRunner.h"
#include "RecordingErrorHandler.h"

namespace {

using graphlib::string;
using testing_support::GraphlibError;
using testing_support::liveSlots;
using testing_support::RecordingErrorHandler;

// Every string test ends with the allocator's classes where they started, so a
// reference count that is never released shows up as a live string record.
class StringTest : public testing_support::AllocatorCheckedTest {};

std::string text(const string& s) { return std::string(s.chars(), static_cast<size_t>(s.length())); }

TEST_F(StringTest, PrintfStyleConstructors) {
  const std::string long2000(2000, 'q');
  const string graphName("G%d");
  struct Row {
    const char* label;
    std::function<string()> make;
    std::string expected;
  };
  const std::vector<Row> rows = {
      {"%d%%", [] { return string("%d%%", 5); }, "5%"},
      {"%*d|", [] { return string("%*d|", 4, 7); }, "   7|"},
      {"plain", [] { return string("plain", 3); }, "plain"},
      {"two conversions", [] { return string("%d nodes, %s", 3, "abc"); }, "3 nodes, abc"},
      {"per cent in an argument", [] { return string("file %s", "a%sb"); }, "file a%sb"},
      {"per cent in a later argument", [] { return string("%d:%s:%d", 1, "%n%n%s", 2); }, "1:%n%n%s:2"},
      {"long text", [&] { return string("%s", long2000.c_str()); }, long2000},
      {"long text in the middle", [&] { return string("<%s|%d>", long2000.c_str(), 9); }, "<" + long2000 + "|9>"},
      {"char widens with its sign", [] { return string("%d", static_cast<char>(-3)); }, "-3"},
      {"unsigned char", [] { return string("%d", static_cast<unsigned char>(200)); }, "200"},
      {"short", [] { return string("%d", static_cast<short>(-5)); }, "-5"},
      {"unsigned short", [] { return string("%d", static_cast<unsigned short>(65535)); }, "65535"},
      {"char as a character", [] { return string("[%c]", 'x'); }, "[x]"},
      {"float widens to double", [] { return string("%.2f", 1.5f); }, "1.50"},
      {"vector component", [] { return string(" %6.2f", 2.5); }, "   2.50"},
      {"long", [] { return string("%ld", 1L << 40); }, "1099511627776"},
      {"unsigned long", [] { return string("%lu", ULONG_MAX); }, std::to_string(ULONG_MAX)},
      {"library string argument", [&] { return string("graph %s has %d nodes", graphName, 4); },
       "graph G%d has 4 nodes"},
      {"bucket message", [] { return string("bucket_sort: value %d out of range", 3); },
       "bucket_sort: value 3 out of range"},
  };
  for (const Row& r : rows) {
    string s = r.make();
    EXPECT_EQ(text(s), r.expected) << r.label;
    EXPECT_EQ(s.length(), static_cast<int>(r.expected.size())) << r.label;
  }
}

TEST_F(StringTest, BasicConstructors) {
  char a[] = "a";
  char bc[] = "bc";
  char* words[] = {a, bc};
  EXPECT_EQ(text(string(2, words)), "a bc ");
  EXPECT_EQ(text(string(0, words)), "");
  EXPECT_EQ(text(string(-1, words)), "");
  EXPECT_EQ(string('\0').length(), 0);
  EXPECT_EQ(text(string('z')), "z");
  EXPECT_EQ(text(string()), "");
  EXPECT_EQ(text(string("abc")), "abc");
}

TEST_F(StringTest, NilArgumentIsAnError) {
  RecordingErrorHandler errors(RecordingErrorHandler::Mode::Return);
  char* p = string::str_dup(nullptr);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors.last(), (GraphlibError{1, "string::str_dup: nil argument"}));
  EXPECT_STREQ(p, "");
  delete[] p;
  const char* nil = nullptr;
  string s(nil);
  EXPECT_EQ(s.length(), 0);
  EXPECT_EQ(errors.size(), 2u);
}

TEST_F(StringTest, StaticHelpers) {
  char* d = string::str_dup("xyz");
  EXPECT_STREQ(d, "xyz");
  char* c = string::str_cat("ab", "cd");
  EXPECT_STREQ(c, "abcd");
  char w1[] = "one";
  char w2[] = "";
  char* words[] = {w1, w2};
  char* n = string::str_ncat(2, words);
  EXPECT_STREQ(n, "one  ");
  delete[] d;
  delete[] c;
  delete[] n;
}

TEST_F(StringTest, SubPosAndReplace) {
  const string abcde("abcde");
  struct SubRow {
    int i, j;
    const char* expected;
  };
  const SubRow subs[] = {{3, 1, ""}, {10, 20, ""}, {-2, 1, "ab"}, {2, 100, "cde"}, {0, 4, "abcde"}, {4, 4, "e"}};
  for (const SubRow& r : subs) EXPECT_EQ(text(abcde.sub(r.i, r.j)), r.expected) << r.i << "," << r.j;

  struct PosRow {
    const char* s;
    const char* t;
    int i;
    int expected;
  };
  const PosRow positions[] = {{"abcabc", "bc", 2, 4}, {"abcabc", "bc", 0, 1}, {"abcabc", "", 0, -1},
                              {"abcabc", "bc", 6, -1}, {"abcabc", "bc", 5, -1}, {"abcabc", "cab", 0, 2},
                              {"abcabc", "abcabcx", 0, -1}, {"abcabc", "a", -3, 0}};
  for (const PosRow& r : positions) EXPECT_EQ(string(r.s).pos(r.t, r.i), r.expected) << r.s << " " << r.t << " " << r.i;

  struct ReplaceRow {
    const char* s;
    const char* s1;
    const char* s2;
    int k;
    const char* expected;
  };
  const ReplaceRow replaces[] = {{"aXbXc", "X", "--", 0, "a--b--c"}, {"aXbXc", "X", "--", 2, "aXb--c"},
                                 {"aXbXc", "X", "--", 3, "aXbXc"},   {"aaa", "aa", "b", 0, "ba"},
                                 {"aXbXc", "", "--", 0, "aXbXc"},    {"XX", "X", "", 0, ""},
                                 {"aXbXc", "X", "--", 1, "a--bXc"}};
  for (const ReplaceRow& r : replaces)
    EXPECT_EQ(text(string(r.s).replace(r.s1, r.s2, r.k)), r.expected) << r.s << " " << r.s1 << " " << r.k;
  EXPECT_EQ(text(string("aXbXc").del("X", 0)), "abc");
  EXPECT_EQ(text(string("aXbXc").del("X", 2)), "aXbc");
}

TEST_F(StringTest, InsertAndDeletePositions) {
  const string s("abc");
  EXPECT_EQ(text(s.insert("XY", 0)), "XYabc");
  EXPECT_EQ(text(s.insert("XY", -4)), "XYabc");
  EXPECT_EQ(text(s.insert("XY", 1)), "aXYbc");
  EXPECT_EQ(text(s.insert(3, "XY")), "abcXY");
  EXPECT_EQ(text(s.insert("XY", 10)), "abcXY");
  EXPECT_EQ(text(s.del(0, s.length() - 1)), "");
  EXPECT_EQ(text(s.del(1, 1)), "ac");
  EXPECT_EQ(text(s.replace(1, 1, "--")), "a--c");
  EXPECT_EQ(text(s), "abc");
  EXPECT_EQ(text(string("MiXeD 12").to_lower()), "mixed 12");
}

TEST_F(StringTest, CopiesShareTheirRepresentation) {
  const size_t repClass = sizeof(graphlib::string_rep);
  long live = liveSlots(repClass);
  string s("shared");
  EXPECT_EQ(liveSlots(repClass), live + 1);
  string t = s;
  EXPECT_EQ(s.refs(), 2);
  EXPECT_EQ(t.chars(), s.chars());
  EXPECT_EQ(liveSlots(repClass), live + 1);

  t[0] = 'S';  // copy on write
  EXPECT_EQ(text(s), "shared");
  EXPECT_EQ(text(t), "Shared");
  EXPECT_EQ(s.refs(), 1);
  EXPECT_EQ(t.refs(), 1);

  string u = s;
  u += "x";
  EXPECT_EQ(text(s), "shared");
  EXPECT_EQ(text(u), "sharedx");

  s += s;
  EXPECT_EQ(text(s), "sharedshared");

  string v("self");
  string& alias = v;
  v = alias;
  EXPECT_EQ(text(v), "self");
  EXPECT_EQ(v.refs(), 1);

  const string c = "const";
  string d = c;
  EXPECT_EQ(c[1], 'o');
  EXPECT_EQ(c.refs(), 2);
}

TEST_F(StringTest, ComparisonIsByteOrder) {
  EXPECT_LT(string::cmp("a", "b"), 0);
  EXPECT_GT(string::cmp("abc", "ab"), 0);
  EXPECT_EQ(string::cmp("", ""), 0);
  EXPECT_GT(string::cmp("\xff", "a"), 0);
  EXPECT_TRUE(string("ab") == string("ab"));
  EXPECT_TRUE(string("ab") != string("abc"));
  EXPECT_TRUE(string("Z") < string("a"));
  EXPECT_TRUE(string("b") > string("abc"));
  EXPECT_TRUE(string("b") >= string("b"));
  EXPECT_TRUE(string("a") <= string("b"));
}

TEST_F(StringTest, FormatTakesOneTextConversion) {
  RecordingErrorHandler errors(RecordingErrorHandler::Mode::Return);
  const string s("ab");
  EXPECT_EQ(text(s.format("%-6s|")), "ab    |");
  EXPECT_EQ(text(s.format("[%5s]")), "[   ab]");
  EXPECT_EQ(text(s.format("no conversion %%")), "no conversion %");
  EXPECT_EQ(text(s.format("%600s")), std::string(598, ' ') + "ab");
  EXPECT_TRUE(errors.empty());
  for (const char* bad : {"%s%s", "%d", "%*s", "%n"}) {
    errors.clear();
    EXPECT_EQ(text(s.format(bad)), "ab") << bad;
    ASSERT_EQ(errors.size(), 1u) << bad;
    EXPECT_EQ(errors.last().code, 1);
    EXPECT_EQ(errors.last().message, std::string("string::format: illegal format ") + bad);
  }
}

TEST_F(StringTest, ReadFromStreams) {
  struct Row {
    std::string input;
    char delim;  // '>' for operator>>
    std::string expected;
    std::string rest;  // what the stream still holds, when it is still good
    bool failed;
  };
  const std::string line3000(3000, 'L');
  const std::vector<Row> rows = {
      {"ab\ncd", '\n', "ab", "cd", false},
      {"ab\n", '\n', "ab", "", true},
      {line3000 + "\nz", '\n', line3000, "z", false},
      {"  word rest", '>', "word", " rest", false},
      {" \n\tword\n", '>', "word", "\n", false},
      {"a b", ' ', "a", " b", false},
      {"ab\tc", '\0', "ab", "\tc", false},
      {"", '\n', "", "", true},
      {"   ", '>', "", "", true},
      {"tail", '\n', "tail", "", true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE("input \"" + r.input.substr(0, 20) + "\" delim " + std::to_string(r.delim));
    std::istringstream in(r.input);
    string s("old");
    if (r.delim == '>')
      in >> s;
    else
      s.read(in, r.delim);
    EXPECT_EQ(text(s), r.expected);
    EXPECT_EQ(in.fail(), r.failed);
    if (!r.failed) {
      std::string rest((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      EXPECT_EQ(rest, r.rest);
    }
  }
}

TEST_F(StringTest, LineLoopSeesEveryLineOnce) {
  std::istringstream in("one\ntwo\nthree\n");
  std::vector<std::string> lines;
  while (in.good()) {
    string line;
    line.read(in, '\n');
    lines.push_back(text(line));
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three"}));
}

TEST_F(StringTest, StreamsOverStrings) {
  graphlib::string_istream in(string("12 word"));
  int n = 0;
  string w;
  in >> n >> w;
  EXPECT_EQ(n, 12);
  EXPECT_EQ(text(w), "word");

  graphlib::string_ostream out;
  out << string("x=") << 3;
  EXPECT_EQ(text(string(out.str().c_str())), "x=3");

  std::ostringstream padded;
  padded << std::setw(5) << string("ab") << "|";
  EXPECT_EQ(padded.str(), "   ab|");
}

TEST_F(StringTest, StringCannotIndexAMap) {
  RecordingErrorHandler errors;
  EXPECT_EQ(errors.raisedBy([] { graphlib::ID_Number(string("k")); }),
            (GraphlibError{1, "map<I,E>: Index type I=string not allowed."}));
}

TEST(StringConsole, WordsFromStandardInputStopAtLineEnds) {
  auto r = testing_support::runProbe("cin_words", {}, true, "  \n word\nnext\n");
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out, "[]\n[word]\n[next]\n");
}

}  // namespace
