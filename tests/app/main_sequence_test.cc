#include "app/main_sequence.h"

#include <gtest/gtest.h>

#include "config/settings.h"
#include "console/console.h"
#include "platform/headless_backend.h"
#include "platform/test_env.h"
#include "tests/support/temp_dir.h"

namespace zul {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

class MainSequenceTest : public ::testing::Test {
 protected:
  MainSequenceTest() : env_(dir_.path()), screen_(env_), console_(env_, screen_) {}
  int Run(Session* session) { return RunMainSequence(env_, console_, session); }
  TempDir dir_;
  TestEnv env_;
  HeadlessBackend screen_;
  Console console_;
};

TEST_F(MainSequenceTest, ChainMenuBecomesTheMenuNameOfTheSession) {
  env_.SetEnv("ZULROOT", dir_.path() + "/NURI/");
  env_.SetEnv("ZULTMP", dir_.path() + "/T");
  WriteFileBytes(dir_.Path("NURI/Nuri.ini"), "");
  WriteFileBytes(dir_.Path("T/Sessio.ini"),
                 "[Menu]\r\nNomMenu=BORELANE ; menu\r\nChnMenu=HORITZ\r\n\r\n[Terminal]\r\n");
  Session session;
  EXPECT_EQ(Run(&session), 0);
  EXPECT_EQ(ReadFileBytes(dir_.Path("T/Sessio.ini")),
            "[Menu]\r\nNomMenu=HORITZ\r\nChnMenu=HORITZ\r\n\r\n[Terminal]\r\n");
  EXPECT_EQ(session.MenuName(), "BORELANE ");  // the value read at start stays in memory
  EXPECT_EQ(session.ModuleName(), "QORVENTA");
  EXPECT_EQ(env_.CurrentDirectory(), dir_.path() + "/NURI/");
  EXPECT_FALSE(console_.CursorVisible());
}

TEST_F(MainSequenceTest, WithoutChainMenuTheMenuNameKeyIsRemoved) {
  env_.SetEnv("ZULTMP", "T\\");
  WriteFileBytes(dir_.Path("T/Sessio.ini"), "[Menu]\r\nNomMenu=BORELANE\r\nTitol=X\r\n");
  Session session;
  EXPECT_EQ(Run(&session), 0);
  EXPECT_EQ(ReadFileBytes(dir_.Path("T/Sessio.ini")), "[Menu]\r\nTitol=X\r\n");
  EXPECT_EQ(env_.CurrentDirectory(), dir_.path());  // no root: the directory stays
}

TEST_F(MainSequenceTest, WithoutWorkDirTheSessionFileIsWrittenInTheRoot) {
  env_.SetEnv("ZULROOT", "ROOT\\");
  // Read from the inherited directory at start, written in the root afterwards.
  WriteFileBytes(dir_.Path("Sessio.ini"), "[Menu]\r\nChnMenu=HORITZ\r\n");
  WriteFileBytes(dir_.Path("ROOT/keep"), "");
  Session session;
  EXPECT_EQ(Run(&session), 0);
  EXPECT_EQ(ReadFileBytes(dir_.Path("ROOT/Sessio.ini")), "[Menu]\r\nNomMenu=HORITZ\r\n");
  EXPECT_EQ(ReadFileBytes(dir_.Path("Sessio.ini")), "[Menu]\r\nChnMenu=HORITZ\r\n");
}

TEST_F(MainSequenceTest, AnUnwritableSessionFileDoesNotStopTheProgram) {
  env_.SetEnv("ZULROOT", "MISSING\\");
  env_.SetEnv("ZULTMP", "NOWHERE");
  Session session;
  EXPECT_EQ(Run(&session), 0);
  EXPECT_EQ(env_.CurrentDirectory(), dir_.path());
}

}  // namespace
}  // namespace zul
