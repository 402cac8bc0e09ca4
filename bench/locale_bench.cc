// Speed of the language file and of the edit masks.
//   build/bench/locale_bench
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "config/language.h"
#include "config/session.h"
#include "locale/number_format.h"
#include "platform/posix_env.h"

namespace zul {
namespace {

constexpr int kEntries = 1000;

std::string CatalanText(int n) { return "TEXT " + std::to_string(n) + " DEL LLISTAT"; }

// An installation root holding a language file of kEntries entries, one
// field per line; removed at the end.
class Installation {
 public:
  Installation() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zulbench.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    root_ = pattern;
    std::filesystem::create_directory(root_ + "/LOCALE");
    std::ofstream out(root_ + "/LOCALE/QORVENTA.LNG", std::ios::binary);
    for (int n = 1; n <= kEntries; ++n) {
      out << CatalanText(n) << "\r\n"
          << "TEXTO " << n << " DA LISTAXE\r\n"
          << "TEXTE " << n << " DERA LISTA\r\n"
          << "TEXTO " << n << " DEL LISTADO\r\n";
    }
  }
  ~Installation() { std::filesystem::remove_all(root_); }

  Session SpanishSession() const {
    SessionValues values;
    values.root_dir = root_ + "/";
    values.language_code = "SPA";
    values.module_name = "QORVENTA";
    return Session(values);
  }

 private:
  std::string root_;
};

void TranslateNearTheEnd(benchmark::State& state, LanguageCache cache) {
  Installation installation;
  PosixEnv env;
  const Session session = installation.SpanishSession();
  Translator translator(env, session, cache);
  const std::string text = CatalanText(kEntries - 10);
  if (translator.Translate(text) == text) state.SkipWithError("no translation found");
  for (auto _ : state) benchmark::DoNotOptimize(translator.Translate(text));
}

void BM_TranslateCached(benchmark::State& state) {
  TranslateNearTheEnd(state, LanguageCache::kKeep);
}
void BM_TranslateUncached(benchmark::State& state) {
  TranslateNearTheEnd(state, LanguageCache::kNone);
}
BENCHMARK(BM_TranslateCached);
BENCHMARK(BM_TranslateUncached);

// Through the object the program uses: the separators are read at the first
// call, before the timing starts.
void BM_FormatNumber(benchmark::State& state) {
  PosixEnv env;
  NumberFormat format(env);
  format.Separators();
  double value = 1234.5;
  for (auto _ : state) {
    benchmark::DoNotOptimize(format.FormatNumber("Z,ZZZ,ZZ9.99", value));
    value += 0.01;
    if (value > 9999999) value = 0;
  }
}
BENCHMARK(BM_FormatNumber);

}  // namespace
}  // namespace zul
