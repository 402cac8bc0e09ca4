#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"

namespace zul {
namespace {

using testing::ReadFileBytes;
using testing::RunTool;
using testing::TempDir;
using testing::ToolRun;
using testing::WriteFileBytes;

ToolRun Zulini(const std::string& args, const TempDir& dir) {
  return RunTool(ZUL_ZULINI, args, dir);
}

TEST(ZuliniTest, GetAndSetConvertBetweenUtf8AndCodePage850) {
  TempDir dir;
  ToolRun run = Zulini("set Nuri.ini Usuari Empresa 'Finques Ça Mà'", dir);
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(ReadFileBytes(dir.Path("Nuri.ini")),
            "[Usuari]\r\nEmpresa=Finques \x80"
            "a M\x85\r\n");
  run = Zulini("get NURI.INI usuari EMPRESA", dir);
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out, "Finques Ça Mà\n");
}

TEST(ZuliniTest, EmptyValuesAndRemovals) {
  TempDir dir;
  WriteFileBytes(dir.Path("s.ini"), "; c\r\n[A]\r\nk=1\r\nj=\r\n[B]\r\nm=2\r\n");
  EXPECT_EQ(Zulini("get s.ini A j", dir).code, 1);
  EXPECT_EQ(Zulini("get s.ini A none", dir).out, "");
  EXPECT_EQ(Zulini("get missing.ini A k", dir).code, 1);
  EXPECT_EQ(Zulini("set s.ini A k ''", dir).code, 0);
  EXPECT_EQ(ReadFileBytes(dir.Path("s.ini")), "; c\r\n[A]\r\nj=\r\n[B]\r\nm=2\r\n");
  EXPECT_EQ(Zulini("set s.ini B '' ''", dir).code, 0);
  EXPECT_EQ(ReadFileBytes(dir.Path("s.ini")), "; c\r\n[A]\r\nj=\r\n");
  EXPECT_EQ(Zulini("set s.ini '' x y", dir).code, 0);
  EXPECT_EQ(ReadFileBytes(dir.Path("s.ini")), "; c\r\n");
}

TEST(ZuliniTest, FailuresAndRefusalsNameTheFileAndChangeNothing) {
  TempDir dir;
  WriteFileBytes(dir.Path("s.ini"), "[A]\r\n");
  ToolRun run = Zulini("set s.ini A k 'price 5€'", dir);
  EXPECT_EQ(run.code, 2);
  EXPECT_NE(run.err.find("code page 850"), std::string::npos) << run.err;
  run = Zulini("set nodir/s.ini A k v", dir);
  EXPECT_EQ(run.code, 2);
  EXPECT_NE(run.err.find("nodir/s.ini"), std::string::npos) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
  run = Zulini("set s.ini A k \"$(printf 'a\\nb')\"", dir);
  EXPECT_EQ(run.code, 2);
  EXPECT_EQ(ReadFileBytes(dir.Path("s.ini")), "[A]\r\n");
  EXPECT_EQ(testing::ListNames(dir.path()), "s.ini");
}

TEST(ZuliniTest, UsageAndHelp) {
  TempDir dir;
  ToolRun run = Zulini("--help", dir);
  EXPECT_EQ(run.code, 0);
  EXPECT_NE(run.out.find("zulini get FILE SECTION KEY"), std::string::npos);
  EXPECT_EQ(Zulini("get only two", dir).code, 2);
  EXPECT_EQ(Zulini("frobnicate a b c", dir).code, 2);
}

}  // namespace
}  // namespace zul
