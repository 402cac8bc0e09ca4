// The data tool end to end: descriptions to dictionary entries, creation,
// imports that keep all or nothing, exports along any key.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "platform/posix_env.h"
#include "platform/record_manager/record_manager.h"
#include "tests/platform/record_file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"

namespace zul {
namespace {

using testing::ReadFileBytes;
using testing::RunTool;
using testing::TempDir;
using testing::ToolRun;
using testing::WriteFileBytes;

ToolRun Zuldb(const std::string& args, const TempDir& dir) { return RunTool(ZUL_ZULDB, args, dir); }

constexpr char kOwners[] =
    "; owners\r\n"
    "[Fitxer]\r\nRegistre=40\r\n"
    "[Camps]\r\nCamp1=Comunitat,1,2,xifres\r\nCamp2=Pis,3,2,text\r\nCamp3=Nom,5,30,text\r\n"
    "Camp4=Quota,35,2,enter\r\n"
    "[Clau0]\r\nCamps=Comunitat,Pis\r\n"
    "[Clau1]\r\nCamps=Nom\r\nDuplicats=Si\r\nTaula=Si\r\n"
    "[Clau2]\r\nCamps=Quota\r\nDuplicats=Si\r\n"
    "[Ordenacio]\r\nNom=CATALA\r\nRegla=catala\r\n";

constexpr char kCsv[] =
    "Comunitat,Pis,Nom,Quota\r\n"
    "0012,1A,Òscar Puig,250\r\n"
    "12,2A,\"Font, Mercè\",-3\r\n"
    "7,BA,anna Solé,1000\n"
    "0012,AT,Àngel Roca,300\r\n";

class ZuldbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFileBytes(dir_.Path("owners.ini"), kOwners);
    WriteFileBytes(dir_.Path("owners.csv"), kCsv);
    ASSERT_EQ(Zuldb("describe owners.ini owners.xdf", dir_).code, 0);
    ASSERT_EQ(Zuldb("create owners.xdf Propiet.dat", dir_).code, 0);
  }
  TempDir dir_;
};

TEST_F(ZuldbTest, ImportThenExportAlongEachKey) {
  const std::string entry = ReadFileBytes(dir_.Path("owners.xdf"));
  ASSERT_GE(entry.size(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(entry[0]) | static_cast<unsigned char>(entry[1]) << 8,
            static_cast<int>(entry.size()) - 2);
  ToolRun run = Zuldb("import owners.ini Propiet.dat owners.csv", dir_);
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(Zuldb("export owners.ini Propiet.dat", dir_).out,
            "Comunitat,Pis,Nom,Quota\r\n"
            "0007,BA,anna Solé,1000\r\n"
            "0012,1A,Òscar Puig,250\r\n"
            "0012,2A,\"Font, Mercè\",-3\r\n"
            "0012,AT,Àngel Roca,300\r\n");
  // Names in the Catalan order: case ignored, accents with their letter.
  EXPECT_EQ(Zuldb("export owners.ini Propiet.dat 1", dir_).out,
            "Comunitat,Pis,Nom,Quota\r\n"
            "0012,AT,Àngel Roca,300\r\n"
            "0007,BA,anna Solé,1000\r\n"
            "0012,2A,\"Font, Mercè\",-3\r\n"
            "0012,1A,Òscar Puig,250\r\n");
  // A binary key compares unsigned: -3 is 65533.
  EXPECT_EQ(Zuldb("export owners.ini Propiet.dat 2", dir_).out,
            "Comunitat,Pis,Nom,Quota\r\n"
            "0012,1A,Òscar Puig,250\r\n"
            "0012,AT,Àngel Roca,300\r\n"
            "0007,BA,anna Solé,1000\r\n"
            "0012,2A,\"Font, Mercè\",-3\r\n");
  run = Zuldb("show Propiet.dat", dir_);
  EXPECT_EQ(run.code, 0);
  EXPECT_NE(run.out.find("record length 40, page size 1024, 3 keys"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("position 1, length 2, -\n  position 3, length 2, -"), std::string::npos);
  EXPECT_NE(run.out.find("collating table CATALA"), std::string::npos);
  EXPECT_NE(run.out.find("\n4 records\n"), std::string::npos);
  EXPECT_EQ(Zuldb("export owners.ini Propiet.dat 3", dir_).code, 1);
}

TEST_F(ZuldbTest, ABadRowNamesItsLineAndFieldAndKeepsNothing) {
  const struct {
    const char* rows;
    const char* message;
  } cases[] = {
      {"0001,1A,Anna,1\r\n00x1,1B,Pere,2\r\n",
       "line 3, field Comunitat: not a number of at most 4 digits"},
      {"1,1A,Anna,1\r\n2,1B,Una persona amb un nom massa llarg,2\r\n",
       "line 3, field Nom: longer than 30"},
      {"1,1A,Anna,1\r\n2,1B,Pere,70000\r\n", "line 3, field Quota: not a whole number"},
      {"1,1A,Anna,1\r\n2,1B,Pere\r\n", "line 3: 3 values for 4 columns"},
      {"1,1A,Anna,1\r\n2,1B,\"Pere,2\r\n", "line 3: a quoted field is never closed"},
      {"1,1A,Anna,1\r\n2,1B,Pere 5€,2\r\n",
       "line 3, field Nom: holds a character that code page 850"},
      {"1,1A,Anna,1\r\n\r\n\"1\",\"1A\",Pere,2\r\n",
       "line 4: a record with the same value of a key"},
      {"1,1A,\"Anna\r\nsegona línia\",1\r\n1,1A,x,1\r\n", "line 4: a record with the same value"},
  };
  for (const auto& c : cases) {
    WriteFileBytes(dir_.Path("bad.csv"), std::string("Comunitat,Pis,Nom,Quota\r\n") + c.rows);
    const ToolRun run = Zuldb("import owners.ini Propiet.dat bad.csv", dir_);
    EXPECT_EQ(run.code, 1) << c.rows;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("nothing was imported"), std::string::npos) << run.err;
    EXPECT_EQ(Zuldb("export owners.ini Propiet.dat", dir_).out, "Comunitat,Pis,Nom,Quota\r\n")
        << c.rows;
  }
  WriteFileBytes(dir_.Path("bad.csv"), "Comunitat,Planta\r\n1,2\r\n");
  ToolRun run = Zuldb("import owners.ini Propiet.dat bad.csv", dir_);
  EXPECT_NE(run.err.find("line 1, field Planta: no such field"), std::string::npos) << run.err;
}

TEST_F(ZuldbTest, ImportNeedsTheFileToItselfAndAMatchingDescription) {
  {
    PosixEnv env;
    RecordManager manager(env);
    testing::RecordFile other(manager);
    ASSERT_EQ(other.Open(dir_.Path("Propiet.dat")), 0);
    const ToolRun run = Zuldb("import owners.ini Propiet.dat owners.csv", dir_);
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("another program has the file open"), std::string::npos) << run.err;
  }
  std::string other = kOwners;
  other.replace(other.find("Registre=40"), 11, "Registre=41");
  WriteFileBytes(dir_.Path("other.ini"), other);
  const ToolRun run = Zuldb("import other.ini Propiet.dat owners.csv", dir_);
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("is not the one other.ini describes"), std::string::npos) << run.err;
  EXPECT_EQ(Zuldb("create owners.xdf Propiet.dat", dir_).code, 1) << "never replaces a file";
}

TEST_F(ZuldbTest, FaultyDescriptionsAndEntriesAreRefusedWithTheirReason) {
  const struct {
    const char* from;
    const char* to;
    const char* message;
  } cases[] = {
      {"Registre=40", "Registre=0", "[Fitxer] Registre: a record length of 1 to 1536"},
      {"Camp3=Nom,5,30,text", "Camp3=Nom,15,30,text",
       "[Camps] Camp3: the field does not lie inside"},
      {"Camp3=Nom,5,30,text", "Camp3=Nom,5,30,data", "[Camps] Camp3: unknown type \"data\""},
      {"Camps=Nom", "Camps=Cognom", "[Clau1] Camps: no field named \"Cognom\""},
      {"Regla=catala", "Regla=castella", "[Ordenacio] Regla: the only rule is catala"},
      {"Regla=catala", "Fila0=00 01", "[Ordenacio] Fila0: 16 hexadecimal bytes are needed"},
      {"[Clau0]\r\nCamps=Comunitat,Pis",
       "[Clau0]\r\nCamps=", "[Clau0] Camps: a file needs at least key 0"},
  };
  for (const auto& c : cases) {
    std::string text = kOwners;
    text.replace(text.find(c.from), std::string(c.from).size(), c.to);
    WriteFileBytes(dir_.Path("faulty.ini"), text);
    const ToolRun run = Zuldb("describe faulty.ini faulty.xdf", dir_);
    EXPECT_EQ(run.code, 1) << c.to;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_FALSE(testing::FileExists(dir_.Path("faulty.xdf")));
  }
  const std::string entry = ReadFileBytes(dir_.Path("owners.xdf"));
  WriteFileBytes(dir_.Path("cut.xdf"), entry.substr(0, entry.size() - 1));
  ToolRun run = Zuldb("create cut.xdf New.dat", dir_);
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("length does not match"), std::string::npos) << run.err;
  WriteFileBytes(dir_.Path("zero.xdf"), std::string("\x10\x00", 2) + std::string(16, '\0'));
  run = Zuldb("create zero.xdf New.dat", dir_);
  EXPECT_NE(run.err.find("the file definition is not valid (status 24)"), std::string::npos)
      << run.err;
  EXPECT_FALSE(testing::FileExists(dir_.Path("New.dat")));
  EXPECT_EQ(Zuldb("frobnicate", dir_).code, 2);
  EXPECT_EQ(Zuldb("--help", dir_).code, 0);
}

// The demo installation's files hold the fields the listing reads where it
// reads them, and its data imports whole.
TEST(DemoDataTest, DescriptionsGiveTheListingsLayoutsAndTheDataImports) {
  TempDir dir;
  const std::string data = std::string(ZUL_SOURCE_DIR) + "/demo/data/";
  rm::FileDefinition layout[3];
  const char* names[3] = {"FinquesH", "PropietH", "Mivel"};
  for (int i = 0; i < 3; ++i) {
    const std::string name = names[i];
    ASSERT_EQ(Zuldb("describe '" + data + name + ".ini' " + name + ".xdf", dir).code, 0) << name;
    const std::string entry = ReadFileBytes(dir.Path(name + ".xdf"));
    ASSERT_EQ(rm::ParseFileDefinition(std::string_view(entry).substr(2), &layout[i]), 0) << name;
  }
  // Communities: key 0 the 2-byte code at offset 0, the record long enough
  // for the president's flat at offset 158.
  ASSERT_GE(layout[0].record_length, 160);
  ASSERT_EQ(layout[0].keys[0].segments.size(), 1u);
  EXPECT_EQ(layout[0].keys[0].segments[0].position, 1);
  EXPECT_EQ(layout[0].keys[0].Length(), 2);
  // Owners: key 0 is the code and the flat, 4 bytes.
  ASSERT_GE(layout[1].record_length, 38);
  EXPECT_EQ(layout[1].keys[0].Length(), 4);
  EXPECT_EQ(layout[1].keys[0].segments[0].position, 1);
  // The sort work file: 168 bytes, key 0 the 80-byte sort text, duplicates
  // allowed, through a table where case and accents do not count.
  EXPECT_GE(layout[2].record_length, 168);
  ASSERT_EQ(layout[2].keys[0].segments.size(), 1u);
  const rm::KeySegment sort = layout[2].keys[0].segments[0];
  EXPECT_EQ(sort.position, 1);
  EXPECT_EQ(sort.length, 80);
  EXPECT_TRUE(sort.flags & rm::kFlagDuplicates);
  EXPECT_TRUE(sort.flags & rm::kFlagAlternate);
  ASSERT_TRUE(layout[2].has_collating);
  const auto& table = layout[2].collating_table;
  EXPECT_EQ(table['a'], 'A');
  EXPECT_EQ(table[0x85], 'A');  // à
  EXPECT_EQ(table[0x90], 'E');  // É
  EXPECT_EQ(table[0x87], 'C');  // ç
  EXPECT_EQ(table[0xA4], 'N');  // ñ
  EXPECT_EQ(table[','], ',');
  EXPECT_LT(table[' '], table['A']);

  for (const std::string name : {"FinquesH", "PropietH"}) {
    ASSERT_EQ(Zuldb("create " + name + ".xdf " + name + ".dat", dir).code, 0);
    const ToolRun run =
        Zuldb("import '" + data + name + ".ini' " + name + ".dat '" + data + name + ".csv'", dir);
    ASSERT_EQ(run.code, 0) << run.err;
  }
  // A few hundred of each, community 0012 among them, and some presidents'
  // flats without an owner.
  PosixEnv env;
  RecordManager manager(env);
  testing::RecordFile communities(manager), owners(manager);
  ASSERT_EQ(communities.Open(dir.Path("FinquesH.dat")), 0);
  ASSERT_EQ(owners.Open(dir.Path("PropietH.dat")), 0);
  int count = 0, without_owner = 0, owner_count = 0;
  bool has_0012 = false;
  std::string key, record;
  for (int16_t op = rm::kGetFirst; communities.Op(op, 0, &key, &record) == 0; op = rm::kGetNext) {
    ++count;
    has_0012 = has_0012 || record.substr(0, 2) == "\x80\x8C";
    std::string owner_key = record.substr(0, 2) + record.substr(158, 2), owner;
    if (owners.Op(rm::kGetEqual, 0, &owner_key, &owner) == rm::kKeyNotFound) ++without_owner;
  }
  for (int16_t op = rm::kGetFirst; owners.Op(op, 0, &key, &record) == 0; op = rm::kGetNext)
    ++owner_count;
  EXPECT_GE(count, 200);
  EXPECT_GE(owner_count, 200);
  EXPECT_TRUE(has_0012);
  EXPECT_GT(without_owner, 0);
  EXPECT_LT(without_owner, count / 4);
}

}  // namespace
}  // namespace zul
