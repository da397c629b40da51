#include "state/basis.h"

#include <algorithm>
#include <bit>
#include <string_view>

#include "engine/result_curve.h"

namespace quorin {

namespace {

// Each step is a bijection of the running value for a given word and of the word for a given
// running value, so a change of any one input always changes the digest.
class Digest {
 public:
  void add(std::uint64_t word) { value_ = std::rotl(value_ ^ word, 29) * 0x9E3779B97F4A7C15ULL; }
  void add(double number) { add(std::bit_cast<std::uint64_t>(number)); }
  void add(long long number) { add(static_cast<std::uint64_t>(number)); }
  // Its length first, so that no two lists of texts run together into the same words.
  void add(std::string_view text) {
    add(static_cast<long long>(text.size()));
    for (std::size_t at = 0; at < text.size(); at += 8) {
      std::uint64_t word = 0;
      for (std::size_t i = at; i < std::min(at + 8, text.size()); ++i)
        word = word << 8 | static_cast<unsigned char>(text[i]);
      add(word);
    }
  }
  template <typename T>
  void add_all(const T* first, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) add(static_cast<long long>(first[i]));
  }
  std::uint64_t value() const { return value_ == 0 ? 1 : value_; }

 private:
  std::uint64_t value_ = 0x243F6A8885A308D3ULL;
};

// The counts of tubes 1..tubes of rows 1..rows.
template <typename Table>
void add_counts(Digest& digest, const Table& counts, long rows, int tubes) {
  for (long row = 1; row <= rows; ++row) digest.add_all(counts.row(static_cast<std::size_t>(row)) + 1, tubes);
}

// The logit-log fit chosen and the coefficients of the eight fits.
void add_fits(Digest& digest, const Assay_State& s) {
  digest.add(static_cast<long long>(s.Weight_Type));
  digest.add(static_cast<long long>(s.Reg_Order));
  for (std::size_t w = 0; w <= decltype(s.Reg_Coef)::last_row; ++w)
    for (std::size_t m = 1; m <= decltype(s.Reg_Coef)::last_column; ++m) digest.add(s.Reg_Coef(w, m));
  digest.add_all(s.Fit_Available.data(), decltype(s.Fit_Available)::last + 1);
}

}  // namespace

std::uint64_t basis_digest(const Assay_State& s, Basis scope) {
  Digest digest;
  const int standards = std::clamp<int>(s.STD_Number, 0, Max_Standards);
  const int standard_tubes = std::clamp<int>(s.STD_Tubes, 0, Max_Tubes);
  digest.add(static_cast<long long>(s.STD_Number));
  digest.add(static_cast<long long>(s.STD_Tubes));
  add_counts(digest, s.STD_Count, standards + 3, standard_tubes);
  for (int k = 1; k <= standards; ++k) digest.add(s.STD_Data(3 + k, STD_Column::Concentration));
  if (scope == Basis::Standards) return digest.value();

  digest.add(static_cast<long long>(s.Fit_From));
  digest.add(static_cast<long long>(s.Fit_To));
  if (scope == Basis::Curve) return digest.value();

  if (scope == Basis::Comparison) {
    add_fits(digest, s);
    digest.add(static_cast<long long>(s.Model_Weight));
    digest.add(static_cast<long long>(curve_in_use(s)));
    digest.add(s.Unit_Name);
    return digest.value();
  }
  const int kind = curve_in_use(s);
  digest.add(static_cast<long long>(kind));
  if (kind == Logit_Log) {
    add_fits(digest, s);
  } else {
    digest.add(static_cast<long long>(s.Model_Weight));
  }
  if (scope == Basis::Choice) return digest.value();

  digest.add(static_cast<long long>(s.Sera_Number));
  digest.add(static_cast<long long>(s.Sera_Tubes));
  add_counts(digest, s.Sera_Count, std::clamp<int>(s.Sera_Number, 0, Max_Sera),
             std::clamp<int>(s.Sera_Tubes, 0, Max_Tubes));
  digest.add(static_cast<long long>(s.Sample_Number));
  digest.add(static_cast<long long>(s.Sample_Tubes));
  add_counts(digest, s.Sample_Count, std::clamp<Long>(s.Sample_Number, 0, Max_Samples),
             std::clamp<int>(s.Sample_Tubes, 0, Max_Tubes));
  digest.add(s.Dilution_Factor);
  return digest.value();
}

std::uint64_t labels_digest(const Assay_State& s) {
  Digest digest;
  digest.add(static_cast<long long>(s.Sample_Id.size()));
  for (const std::string& id : s.Sample_Id) digest.add(id);
  digest.add(s.Flag_CV_Limit);
  for (const std::string* text : {&s.Operator_Name, &s.Assay_Date, &s.Substance_Name, &s.Unit_Name, &s.Assay_No})
    digest.add(*text);
  return digest.value();
}

}  // namespace quorin
