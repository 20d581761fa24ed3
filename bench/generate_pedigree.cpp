// Seeded generator of pedigree files for timing whole runs.
//
//   generate_pedigree KIND [SEED] > file.ped
//
// KIND is one of
//   study        a family study near the record capacity: two founders per
//                family, sibships of 1 to 8 children, some families with a
//                third generation, heights with about 3% missing (-9)
//   one-family   30000 records of one family: many couples and sibships in a
//                single block, within the pair capacity
//   one-sibship  one family of 30000 records: two parents and 29998 children,
//                so the pairs run past the pair capacity
//   flagged      exactly 35000 sib pairs, a few thousand of them far beyond
//                the outlier threshold
//   stream       2,000,000 records of a family study, far past the record
//                capacity
//   study=N      a family study of N records and at most N pairs, for a build
//                whose capacities were raised
//   exotic       the study of the same seed written with every number
//                syntax the reader accepts: exponents with E, D or a bare
//                sign, leading zeros and signs, tabs, commas, CRLF line
//                ends, records split over two lines, notes after the trait
//
// The output depends only on KIND and SEED: the random numbers and the
// normal deviates are made here by integer arithmetic. With --stats the
// generator also prints, on standard error, the record and pair counts and
// the number of pairs whose squared difference passes the outlier threshold
// (worked out in double precision, so it is an estimate near the threshold).

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace {

constexpr std::int64_t kRecordCapacity = 30000;
constexpr std::int64_t kPairCapacity = 35000;
constexpr std::int32_t kMissingTenths = -90;  // the trait -9, the missing code

// splitmix64: small, fast and the same everywhere.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // 0 .. n-1
  std::int32_t below(std::int32_t n) {
    return static_cast<std::int32_t>(next() % static_cast<std::uint64_t>(n));
  }
  bool chance(double p) { return uniform() < p; }
  double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
  // Sum of twelve uniforms less six: a standard normal deviate up to ±6,
  // from arithmetic that gives the same bits on every machine.
  double normal() {
    double s = 0;
    for (int k = 0; k < 12; ++k) s += uniform();
    return s - 6.0;
  }

 private:
  std::uint64_t state_;
};

// The trait is kept in tenths, so that every rendering of it spells the same
// decimal value exactly.
struct Person {
  std::int32_t fam, id, fa, mo, sex;
  std::int32_t tenths;
};

std::int32_t to_tenths(double value) {
  return static_cast<std::int32_t>(std::lround(value * 10.0));
}

// Sibship sizes of a family study: mostly two or three children.
std::int32_t sibship_size(Random& random) {
  static constexpr int kWeights[8] = {20, 30, 22, 13, 7, 4, 2, 2};
  std::int32_t roll = random.below(100);
  for (int k = 0; k < 8; ++k) {
    if (roll < kWeights[k]) return k + 1;
    roll -= kWeights[k];
  }
  return 8;
}

std::int64_t pairs_of(std::int64_t sibs) { return sibs * (sibs - 1) / 2; }

struct StudyShape {
  std::int64_t records;
  std::int64_t pair_budget;
  bool one_family;
  double missing_rate;
};

// Emits families until `shape.records` records have been written; the last
// family is cut where the count is reached.
template <class Emit>
void build_study(Random& random, const StudyShape& shape, Emit emit) {
  std::int64_t written = 0;
  std::int64_t pairs = 0;
  std::int32_t fam = 0;
  std::int32_t next_id = 0;
  auto add = [&](Person p) {
    if (written >= shape.records) return;
    emit(p);
    ++written;
  };
  auto height = [&](std::int32_t sex, double family_effect) {
    if (random.chance(shape.missing_rate)) return kMissingTenths;
    const double mean = sex == 1 ? 176.0 : 163.0;
    return to_tenths(mean + family_effect + 5.0 * random.normal());
  };
  // Children of one couple; the budget keeps the pair table within capacity.
  auto sibship = [&](std::int32_t fa, std::int32_t mo, std::int32_t size,
                     double family_effect, std::int32_t fam_id) {
    std::vector<Person> kids;
    std::int64_t with_trait = 0;
    for (std::int32_t k = 0; k < size; ++k) {
      const std::int32_t sex = 1 + random.below(2);
      Person kid{fam_id, ++next_id, fa, mo, sex, height(sex, family_effect)};
      const std::int64_t more = kid.tenths != kMissingTenths ? with_trait : 0;
      if (pairs + more > shape.pair_budget) break;
      pairs += more;
      if (kid.tenths != kMissingTenths) ++with_trait;
      kids.push_back(kid);
    }
    for (const Person& kid : kids) add(kid);
    return kids;
  };

  while (written < shape.records) {
    fam = shape.one_family ? 1 : fam + 1;
    if (!shape.one_family) next_id = 0;
    const double family_effect = 4.5 * random.normal();
    const std::int32_t father = ++next_id;
    const std::int32_t mother = ++next_id;
    add({fam, father, 0, 0, 1, height(1, 0.0)});
    add({fam, mother, 0, 0, 2, height(2, 0.0)});
    std::vector<Person> kids =
        sibship(father, mother, sibship_size(random), family_effect, fam);
    // A third generation: one child marries a founder from outside.
    if (!kids.empty() && random.chance(0.3)) {
      const Person& parent = kids[random.below(static_cast<std::int32_t>(kids.size()))];
      const std::int32_t spouse_sex = 3 - parent.sex;
      const std::int32_t spouse = ++next_id;
      add({fam, spouse, 0, 0, spouse_sex, height(spouse_sex, 0.0)});
      const std::int32_t fa = parent.sex == 1 ? parent.id : spouse;
      const std::int32_t mo = parent.sex == 1 ? spouse : parent.id;
      sibship(fa, mo, 1 + random.below(4), family_effect * 0.5, fam);
    }
  }
}

// Sibships of 2 to 8 with exactly kPairCapacity pairs; in one sibship of
// four, one child lies 48 to 55 cm from its sibs. About a tenth of the pairs
// then carry such a child, few enough that the threshold, which grows with
// the variance they cause, stays below their squared differences: every pair
// with that child is flagged.
template <class Emit>
void build_flagged(Random& random, Emit emit) {
  std::int64_t pairs = 0;
  std::int32_t fam = 0;
  while (pairs < kPairCapacity) {
    std::int64_t size = 2 + random.below(7);
    while (pairs_of(size) > kPairCapacity - pairs) --size;
    pairs += pairs_of(size);
    ++fam;
    const double family_effect = 4.5 * random.normal();
    emit(Person{fam, 1, 0, 0, 1, to_tenths(176.0 + 5.0 * random.normal())});
    emit(Person{fam, 2, 0, 0, 2, to_tenths(163.0 + 5.0 * random.normal())});
    const std::int32_t odd_one = random.chance(0.25) ? random.below(static_cast<std::int32_t>(size)) : -1;
    for (std::int32_t k = 0; k < size; ++k) {
      const std::int32_t sex = 1 + random.below(2);
      double value = (sex == 1 ? 176.0 : 163.0) + family_effect + 2.0 * random.normal();
      if (k == odd_one) value += (random.chance(0.5) ? -1.0 : 1.0) * (48.0 + 7.0 * random.uniform());
      emit(Person{fam, 3 + k, 1, 2, sex, to_tenths(value)});
    }
  }
}

// Two parents and the rest of the capacity as their children.
template <class Emit>
void build_one_sibship(Random& random, Emit emit) {
  emit(Person{1, 1, 0, 0, 1, to_tenths(176.0 + 5.0 * random.normal())});
  emit(Person{1, 2, 0, 0, 2, to_tenths(163.0 + 5.0 * random.normal())});
  for (std::int32_t id = 3; id <= kRecordCapacity; ++id) {
    const std::int32_t sex = 1 + random.below(2);
    emit(Person{1, id, 1, 2, sex,
                to_tenths((sex == 1 ? 176.0 : 163.0) + 5.0 * random.normal())});
  }
}

// ---- Rendering ----

class Output {
 public:
  ~Output() { flush(); }
  void put(std::string_view text) {
    buffer_.append(text);
    if (buffer_.size() >= (1u << 20)) flush();
  }
  void flush() {
    std::fwrite(buffer_.data(), 1, buffer_.size(), stdout);
    buffer_.clear();
  }

 private:
  std::string buffer_;
};

std::string tenths_text(std::int32_t tenths) {
  if (tenths == kMissingTenths) return "-9";
  char text[32];
  const std::int32_t magnitude = std::abs(tenths);
  std::snprintf(text, sizeof text, "%s%d.%d", tenths < 0 ? "-" : "",
                magnitude / 10, magnitude % 10);
  return text;
}

void write_plain(Output& out, const Person& p) {
  char line[96];
  std::snprintf(line, sizeof line, "%d %d %d %d %d %s\n", p.fam, p.id, p.fa,
                p.mo, p.sex, tenths_text(p.tenths).c_str());
  out.put(line);
}

// The exotic writer spells each value in one of the forms that read as the
// same number.
class ExoticWriter {
 public:
  explicit ExoticWriter(Random& random) : random_(random) {}

  void header(Output& out) {
    out.put("FAMID,ID\tFATHER , MOTHER  SEX\t'HEIGHT'\r\n");
  }

  void record(Output& out, const Person& p) {
    if (random_.chance(0.01)) out.put(random_.chance(0.5) ? "\r\n" : " \t \n");
    const std::int32_t values[5] = {p.fam, p.id, p.fa, p.mo, p.sex};
    const bool split = random_.chance(0.02);
    std::string line;
    for (int k = 0; k < 5; ++k) {
      if (k > 0) line += (split && k == 4) ? line_end() : separator();
      line += integer(values[k]);
    }
    line += separator();
    line += real(p.tenths);
    if (random_.chance(0.05)) line += random_.chance(0.5) ? "   checked 2024" : " / re-measured";
    line += line_end();
    out.put(line);
  }

 private:
  std::string_view separator() {
    static constexpr std::string_view kSeparators[] = {" ", " ", "  ", "\t", ",", " , ", "\t,\t", " \t"};
    return kSeparators[random_.below(8)];
  }
  std::string_view line_end() { return random_.chance(0.8) ? "\r\n" : "\n"; }

  std::string integer(std::int32_t value) {
    std::string text = std::to_string(value);
    switch (random_.below(8)) {
      case 0: return "00" + text;
      case 1: return value >= 0 ? "+" + text : text;
      case 2: return value == 0 ? "-0" : text;
      default: return text;
    }
  }

  // tenths × 10^-1 written as [sign] digits-with-point [exponent].
  std::string real(std::int32_t tenths) {
    std::string digits = std::to_string(std::abs(tenths));
    std::int32_t exponent = -1;
    const std::int32_t zeros = random_.below(3);
    digits.append(static_cast<std::size_t>(zeros), '0');
    exponent -= zeros;
    // The point goes after `point` digits; the exponent makes up the rest.
    const auto count = static_cast<std::int32_t>(digits.size());
    const std::int32_t point = random_.below(count + 1);
    const std::int32_t shown_exponent = exponent + (count - point);
    std::string text = tenths < 0 ? "-" : (random_.chance(0.2) ? "+" : "");
    if (random_.chance(0.2)) text += "0";
    text += digits.substr(0, static_cast<std::size_t>(point));
    if (point < count || random_.chance(0.5)) text += '.';
    text += digits.substr(static_cast<std::size_t>(point));
    if (shown_exponent == 0 && random_.chance(0.5)) return text;
    static constexpr std::string_view kLetters[] = {"E", "e", "D", "d", ""};
    const std::string_view letter = kLetters[random_.below(5)];
    text += letter;
    if (shown_exponent >= 0 && (letter.empty() || random_.chance(0.5)))
      text += '+';
    text += std::to_string(shown_exponent);
    return text;
  }

  Random& random_;
};

// ---- Statistics for --stats ----

// Pairs as the program forms them: within a run of records of one family,
// same non-zero father and same mother, both with a trait value.
void print_stats(const std::vector<Person>& people) {
  std::int64_t records = static_cast<std::int64_t>(people.size());
  double n = 0, sum = 0, squares = 0;
  for (std::size_t r = 0; r < people.size() && r < kRecordCapacity; ++r) {
    if (people[r].tenths == kMissingTenths) continue;
    const double x = people[r].tenths / 10.0;
    n += 1; sum += x; squares += x * x;
  }
  const double var = (squares - sum * sum / n) / (n - 1);

  std::map<std::tuple<std::size_t, std::int32_t, std::int32_t>, std::vector<double>> sibships;
  std::size_t block = 0;
  for (std::size_t r = 0; r < people.size() && r < kRecordCapacity; ++r) {
    if (r > 0 && people[r].fam != people[r - 1].fam) block = r;
    const Person& p = people[r];
    if (p.fa == 0 || p.tenths == kMissingTenths) continue;
    sibships[{block, p.fa, p.mo}].push_back(p.tenths / 10.0);
  }
  std::int64_t pairs = 0;
  double sxy = 0, sx = 0, sxx = 0;
  std::vector<double> d2;
  for (const auto& [key, traits] : sibships) {
    for (std::size_t i = 0; i < traits.size(); ++i) {
      for (std::size_t j = i + 1; j < traits.size() && pairs <= kPairCapacity; ++j) {
        const double x = traits[i], y = traits[j];
        ++pairs; sxy += x * y; sx += x + y; sxx += x * x + y * y;
        d2.push_back((x - y) * (x - y));
      }
    }
  }
  const double c = static_cast<double>(pairs);
  const double r = (4 * c * sxy - sx * sx) / (2 * c * sxx - sx * sx);
  const double e = 2 * (1 - r) * var;
  const double threshold = e + 4 * e * 1.4142135;
  const auto flagged = std::count_if(d2.begin(), d2.end(),
                                     [&](double v) { return v > threshold; });
  std::fprintf(stderr,
               "records %lld, pairs %lld%s, Var %.4g, SibCorr %.4g, "
               "threshold %.4g, flagged pairs %lld\n",
               static_cast<long long>(records), static_cast<long long>(pairs),
               pairs > kPairCapacity ? " (past capacity)" : "", var, r,
               threshold, static_cast<long long>(flagged));
}

int usage() {
  std::fprintf(stderr,
               "usage: generate_pedigree "
               "study|study=N|one-family|one-sibship|flagged|stream|exotic [SEED] [--stats]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string kind = argv[1];
  std::uint64_t seed = 20240601;
  bool stats = false;
  for (int k = 2; k < argc; ++k) {
    if (std::strcmp(argv[k], "--stats") == 0) stats = true;
    else seed = std::strtoull(argv[k], nullptr, 10);
  }

  // Each kind draws its own stream; the exotic file spells the study's people.
  // study=N: a family study of N records (and at most N pairs), for builds
  // with raised capacities.
  const std::int64_t sized_records =
      kind.rfind("study=", 0) == 0 ? std::strtoll(kind.c_str() + 6, nullptr, 10) : 0;
  const std::string_view family_of_kind =
      kind == "exotic" || sized_records > 0 ? "study" : kind;
  for (char c : family_of_kind) seed = seed * 131 + static_cast<unsigned char>(c);
  Random random(seed);
  Output out;
  std::vector<Person> kept;
  auto keep = [&](const Person& p) {
    if (stats) kept.push_back(p);
  };
  auto plain = [&](const Person& p) { write_plain(out, p); keep(p); };

  if (kind == "exotic") {
    // The study's people from one stream, the spelling from another.
    Random spelling(seed ^ 0x5DEECE66Dull);
    ExoticWriter writer(spelling);
    writer.header(out);
    build_study(random, {29000, 34000, false, 0.03},
                [&](const Person& p) { writer.record(out, p); keep(p); });
  } else {
    out.put("FAMID ID FATHER MOTHER SEX HEIGHT\n");
    if (kind == "study")
      build_study(random, {29000, 34000, false, 0.03}, plain);
    else if (kind == "one-family")
      build_study(random, {kRecordCapacity, 34000, true, 0.03}, plain);
    else if (kind == "one-sibship")
      build_one_sibship(random, plain);
    else if (kind == "flagged")
      build_flagged(random, plain);
    else if (kind == "stream")
      build_study(random, {2000000, INT64_MAX, false, 0.03}, plain);
    else if (kind.rfind("study=", 0) == 0 && sized_records > 0)
      build_study(random, {sized_records, sized_records, false, 0.03}, plain);
    else
      return usage();
  }
  out.flush();
  if (stats) print_stats(kept);
  return std::ferror(stdout) ? 1 : 0;
}
