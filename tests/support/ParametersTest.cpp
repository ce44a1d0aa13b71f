#include "support/Parameters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <sstream>

namespace {

class ParametersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Parameters::clear();
    Parameters::addParameter("ResNum", 100);
    Parameters::addParameter("SeqBlockRMSDthr", 3.0);
  }
  void TearDown() override { Parameters::clear(); }

  static void read(const std::string& text) {
    std::istringstream in(text);
    Parameters::readParameters(in);
  }
  static std::string dumped() {
    std::ostringstream os;
    Parameters::dump(os);
    return os.str();
  }
};

struct ReaderCase {
  const char* file;
  const char* expectedDump;  // the whole table afterwards
};

TEST_F(ParametersTest, ReaderTable) {
  const ReaderCase cases[] = {
      {"  ResNum \t 7  \n", "ResNum\t(Int)\t7\nSeqBlockRMSDthr\t(Float)\t3\n"},
      {"#ResNum 7\n", "ResNum\t(Int)\t100\nSeqBlockRMSDthr\t(Float)\t3\n"},
      {"   # note\n\n \t \n", "ResNum\t(Int)\t100\nSeqBlockRMSDthr\t(Float)\t3\n"},
      {"Res#Num 7\n", "Res#Num\t(Str)\t7\nResNum\t(Int)\t100\nSeqBlockRMSDthr\t(Float)\t3\n"},
      {"ResNum 12abc\n", "ResNum\t(Int)\t12\nSeqBlockRMSDthr\t(Float)\t3\n"},
      {"ResNum abc\n", "ResNum\t(Int)\t0\nSeqBlockRMSDthr\t(Float)\t3\n"},
      {"ResNum\n", "ResNum\t(Int)\t0\nSeqBlockRMSDthr\t(Float)\t3\n"},
      {"ResNum 7.9\n", "ResNum\t(Int)\t7\nSeqBlockRMSDthr\t(Float)\t3\n"},
      {"ResNum 99999999999\n", "ResNum\t(Int)\t2147483647\nSeqBlockRMSDthr\t(Float)\t3\n"},
      {"ResNum -99999999999\n", "ResNum\t(Int)\t-2147483648\nSeqBlockRMSDthr\t(Float)\t3\n"},
      {"SeqBlockRMSDthr 2\n", "ResNum\t(Int)\t100\nSeqBlockRMSDthr\t(Float)\t2\n"},
      {"SeqBlockRMSDthr 1e-1\n", "ResNum\t(Int)\t100\nSeqBlockRMSDthr\t(Float)\t0.1\n"},
      {"Foo a  b  \t\n", "Foo\t(Str)\ta  b\nResNum\t(Int)\t100\nSeqBlockRMSDthr\t(Float)\t3\n"},
      {"ResNum 7\r\n", "ResNum\t(Int)\t7\nSeqBlockRMSDthr\t(Float)\t3\n"},
      {"ResNum\r\n", "ResNum\t(Int)\t100\nResNum\r\t(Str)\t\nSeqBlockRMSDthr\t(Float)\t3\n"},
      {"Foo bar\r\n", "Foo\t(Str)\tbar\r\nResNum\t(Int)\t100\nSeqBlockRMSDthr\t(Float)\t3\n"},
      {"ResNum 5\nResNum 9\n", "ResNum\t(Int)\t9\nSeqBlockRMSDthr\t(Float)\t3\n"},
      {"ResNum 5\nResNum 9", "ResNum\t(Int)\t9\nSeqBlockRMSDthr\t(Float)\t3\n"},
      {"", "ResNum\t(Int)\t100\nSeqBlockRMSDthr\t(Float)\t3\n"},
      {"resnum 5\n", "ResNum\t(Int)\t100\nSeqBlockRMSDthr\t(Float)\t3\nresnum\t(Str)\t5\n"},
      {"ResNum 7 # seven\n", "ResNum\t(Int)\t7\nSeqBlockRMSDthr\t(Float)\t3\n"},
  };
  for (const ReaderCase& c : cases) {
    SetUp();
    read(c.file);
    EXPECT_EQ(dumped(), c.expectedDump) << "file: " << ::testing::PrintToString(std::string(c.file));
  }
}

TEST_F(ParametersTest, FloatValuesAreSinglePrecision) {
  read("SeqBlockRMSDthr 1e-1\n");
  EXPECT_EQ(Parameters::getFloat("SeqBlockRMSDthr", 0.0f), 0.1f);
  EXPECT_EQ(Parameters::paramType("SeqBlockRMSDthr"), Parameter::Float);
}

TEST_F(ParametersTest, LookupConversions) {
  read("Unreg 2.5\nWord abc\nBig 99999999999\n");
  EXPECT_FLOAT_EQ(Parameters::getFloat("Unreg", 7.0f), 2.5f);
  EXPECT_EQ(Parameters::getInt("Unreg", 7), 2);
  EXPECT_EQ(Parameters::getInt("Word", 7), 0);  // text that is no number reads 0, not the default
  EXPECT_EQ(Parameters::getFloat("Word", 7.0f), 0.0f);
  EXPECT_EQ(Parameters::getInt("Big", 7), 2147483647);
  EXPECT_EQ(Parameters::getInt("Absent", 7), 7);
  EXPECT_EQ(Parameters::getFloat("Absent", 7.5f), 7.5f);
  EXPECT_EQ(Parameters::getString("Absent", "d"), "d");
  EXPECT_EQ(Parameters::getString("Word", "d"), "abc");
  EXPECT_EQ(Parameters::getString("ResNum", "d"), "100");
  EXPECT_EQ(Parameters::getString("SeqBlockRMSDthr", "d"), "3");
  EXPECT_EQ(Parameters::getFloat("ResNum", 0.0f), 100.0f);
  Parameters::addParameter("F", -2.75);
  EXPECT_EQ(Parameters::getInt("F", 0), -2);  // truncated toward zero
  Parameters::addParameter("Min", -2147483647 - 1);
  EXPECT_EQ(Parameters::getString("Min", ""), "-2147483648");  // never cut short
  EXPECT_EQ(Parameters::paramType("Absent"), 0);
}

TEST_F(ParametersTest, HugeFloatsAndNanConvertSafely) {
  Parameters::addParameter("Huge", 1e30);
  Parameters::addParameter("NotANumber", std::nan(""));
  EXPECT_EQ(Parameters::getInt("Huge", 0), 2147483647);
  EXPECT_EQ(Parameters::getInt("NotANumber", 5), 0);
}

TEST_F(ParametersTest, ReRegisteringChangesType) {
  Parameters::addParameter("X", std::string("text"));
  EXPECT_EQ(Parameters::paramType("X"), Parameter::Text);
  Parameters::addParameter("X", 4);
  EXPECT_EQ(Parameters::paramType("X"), Parameter::Int);
  Parameters::addParameter("X", 3.0f);  // float promotes to the double overload
  EXPECT_EQ(Parameters::paramType("X"), Parameter::Float);
  std::ostringstream os;
  Parameters::dump(os);
  EXPECT_NE(os.str().find("X\t(Float)\t3\n"), std::string::npos);
  EXPECT_EQ(os.str().find("text"), std::string::npos);
}

TEST_F(ParametersTest, RegisteredKeyNeverChangesTypeThroughFile) {
  read("ResNum hello\nSeqBlockRMSDthr world\n");
  EXPECT_EQ(Parameters::paramType("ResNum"), Parameter::Int);
  EXPECT_EQ(Parameters::paramType("SeqBlockRMSDthr"), Parameter::Float);
  EXPECT_EQ(Parameters::getString("ResNum", "x"), "0");
}

TEST_F(ParametersTest, ManyKeysStaySortedAndFindable) {
  Parameters::clear();
  std::mt19937 rng(12345);
  std::vector<std::string> keys;
  for (int i = 0; i < 2000; ++i) {
    std::string k;
    int len = 1 + static_cast<int>(rng() % 8);
    for (int j = 0; j < len; ++j) k.push_back(static_cast<char>("aAbBzZ_0"[rng() % 8]));
    keys.push_back(k);
    Parameters::addParameter(k, i);
  }
  std::ostringstream os;
  Parameters::dump(os);
  std::istringstream lines(os.str());
  std::string line, previous;
  bool first = true;
  size_t count = 0;
  while (std::getline(lines, line)) {
    std::string key = line.substr(0, line.find('\t'));
    if (!first) {
      EXPECT_LT(previous, key);
    }
    previous = key;
    first = false;
    ++count;
  }
  std::vector<std::string> unique(keys);
  std::sort(unique.begin(), unique.end());
  unique.erase(std::unique(unique.begin(), unique.end()), unique.end());
  EXPECT_EQ(count, unique.size());
  // The last registration of a key wins.
  for (size_t i = 0; i < keys.size(); ++i) {
    size_t last = i;
    for (size_t j = i + 1; j < keys.size(); ++j)
      if (keys[j] == keys[i]) last = j;
    EXPECT_EQ(Parameters::getInt(keys[i], -1), static_cast<int>(last));
  }
}

TEST_F(ParametersTest, UpperCaseSortsBeforeLowerCase) {
  Parameters::clear();
  Parameters::addParameter("bvResNum", 3);
  Parameters::addParameter("IJshift", 10000);
  Parameters::addParameter("IJStep", 1);
  Parameters::addParameter("TransEqualRMSD", 4.0);
  EXPECT_EQ(dumped(), "IJStep\t(Int)\t1\nIJshift\t(Int)\t10000\nTransEqualRMSD\t(Float)\t4\nbvResNum\t(Int)\t3\n");
}

TEST_F(ParametersTest, DumpForms) {
  Parameters::clear();
  EXPECT_EQ(dumped(), "");
  char* buf = nullptr;
  size_t size = 0;
  FILE* f = open_memstream(&buf, &size);
  Parameters::dump(f);
  std::fclose(f);
  EXPECT_EQ(std::string(buf, size), "\n");
  std::free(buf);

  Parameters::addParameter("ResNum", 100);
  Parameters::addParameter("SeqBlockOverlapRatio", 0.8);
  Parameters::addParameter("X", std::string("y"));
  EXPECT_EQ(dumped(), "ResNum\t(Int)\t100\nSeqBlockOverlapRatio\t(Float)\t0.8\nX\t(Str)\ty\n");
  f = open_memstream(&buf, &size);
  Parameters::dump(f);
  std::fclose(f);
  EXPECT_EQ(std::string(buf, size), "ResNum = 100\nSeqBlockOverlapRatio = 0.800000\nX = y\n\n");
  std::free(buf);
}

TEST_F(ParametersTest, FloatEntryUsesStreamFormat) {
  Parameter p("F", 0.8f);
  std::ostringstream os;
  os.setf(std::ios::fixed, std::ios::floatfield);
  os.precision(2);
  os << p;
  EXPECT_EQ(os.str(), "F\t(Float)\t0.80");
  std::ostringstream untyped;
  untyped << Parameter();
  EXPECT_EQ(untyped.str(), "\n");
}

TEST_F(ParametersTest, NextTokenSplitsOnBlankTabNewlineOnly) {
  std::string line = " \tkey\r  rest of\tline ";
  EXPECT_EQ(Parameters::nextToken(line), "key\r");
  EXPECT_EQ(line, "rest of\tline ");
  std::string blank = " \t ";
  EXPECT_EQ(Parameters::nextToken(blank), "");
  EXPECT_EQ(blank, "");
  std::string single = "alone";
  EXPECT_EQ(Parameters::nextToken(single), "alone");
  EXPECT_EQ(single, "");
}

TEST_F(ParametersTest, FailedStreamEndsReader) {
  std::istringstream in("ResNum 5\n");
  in.setstate(std::ios::badbit);
  Parameters::readParameters(in);  // must return
  EXPECT_EQ(Parameters::getInt("ResNum", 0), 100);
}

}  // namespace
