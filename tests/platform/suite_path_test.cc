#include "platform/suite_path.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace zul {
namespace {

using testing::TempDir;
using testing::WriteFileBytes;

class SuitePathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFileBytes(dir_.Path("dades/FinquesH.dat"), "x");
    WriteFileBytes(dir_.Path("Forms/QORVENTA.QFM"), "x");
    WriteFileBytes(dir_.Path("twins/Nuri.ini"), "x");
    WriteFileBytes(dir_.Path("twins/NURI.INI"), "x");
    WriteFileBytes(dir_.Path("twins/nuri.ini"), "x");
    WriteFileBytes(dir_.Path("accents/\xC3\x87"
                             "ASA/f"),
                   "x");  // "ÇASA" in UTF-8
  }
  std::string Resolve(std::string_view suite) { return ResolveHostPath(suite, dir_.path()); }
  TempDir dir_;
};

TEST_F(SuitePathTest, ResolvesComponentsWithoutRegardToCase) {
  struct Case {
    std::string suite;
    std::string host;  // relative to the base directory
  };
  const Case cases[] = {
      {"DADES\\FinquesH.dat", "dades/FinquesH.dat"},
      {"DADES\\FINQUESH.DAT", "dades/FinquesH.dat"},
      {"FORMS\\QORVENTA.QFM", "Forms/QORVENTA.QFM"},
      {"forms/qorventa.qfm", "Forms/QORVENTA.QFM"},
      // Exact spelling wins over its case twins, then the first in sorted order.
      {"twins\\nuri.ini", "twins/nuri.ini"},
      {"twins\\Nuri.Ini", "twins/NURI.INI"},
      // A new file goes into the existing directory under its name as written.
      {"DADES\\Mivel.dat", "dades/Mivel.dat"},
      // Below a missing directory everything stays as written.
      {"NOU\\DADES\\X", "NOU/DADES/X"},
      // Code page 850 names become UTF-8 and match their case variants.
      {"accents\\\x80"
       "ASA\\F",
       "accents/\xC3\x87"
       "ASA/f"},
      {"accents\\\x87"
       "asa\\f",
       "accents/\xC3\x87"
       "ASA/f"},
  };
  for (const Case& c : cases) EXPECT_EQ(Resolve(c.suite), dir_.path() + "/" + c.host) << c.suite;
}

TEST_F(SuitePathTest, AbsoluteAndTrailingSeparators) {
  EXPECT_EQ(ResolveHostPath(dir_.path() + "\\DADES\\", ""), dir_.path() + "/dades/");
  EXPECT_EQ(ResolveHostPath(dir_.path() + "/FORMS/", "/elsewhere"), dir_.path() + "/Forms/");
  EXPECT_EQ(Resolve(""), dir_.path());
}

}  // namespace
}  // namespace zul
