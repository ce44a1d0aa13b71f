#pragma once
// Every key of the parameter table: its name, type, default and validity rule.
// Code names a key through its constant here, so a mistyped key does not
// compile; registration, the start-up checks and the run log all read this
// table.
#include <cstddef>

namespace Param {

enum class Type { Int, Float };

// What a value must satisfy for the run to be carried out (anything else would
// crash it, hang it, overflow or divide by zero).
enum class Rule {
  Any,
  PositiveNumber,           // finite and > 0
  PositiveNumberOrMinusOne, // finite and > 0, or -1 for the value of SeqBlockRMSDthr
  AtLeastOne,
  AtLeastThree,
  ScoringChoice,            // 0 to 3, where a residue-pair selector reads it
  SeqOrderChoice,           // 0 or 1
};

struct Key {
  const char* name;
  Type type;
  double fallback;  // the default
  Rule rule;
  bool registered;  // set at start-up, and so listed in the run log
};

// Listed in the order of the start-up checks.
inline constexpr Key SeqBlockRMSDthr{"SeqBlockRMSDthr", Type::Float, 3.0, Rule::PositiveNumber, true};
inline constexpr Key ExtThr{"ExtThr", Type::Float, -1.0, Rule::PositiveNumberOrMinusOne, false};
inline constexpr Key SeqBlockMinSize{"SeqBlockMinSize", Type::Int, 10, Rule::AtLeastThree, true};
inline constexpr Key ResNum{"ResNum", Type::Int, 100, Rule::AtLeastOne, true};
inline constexpr Key bvResNum{"bvResNum", Type::Int, 3, Rule::AtLeastOne, true};
inline constexpr Key Scoring{"Scoring", Type::Int, 0, Rule::ScoringChoice, true};
inline constexpr Key SeqOrder{"SeqOrder", Type::Int, 1, Rule::SeqOrderChoice, true};
inline constexpr Key MaxIns{"MaxIns", Type::Int, 350, Rule::Any, true};
inline constexpr Key MaxDels{"MaxDels", Type::Int, 350, Rule::Any, true};
inline constexpr Key Step{"Step", Type::Int, 1, Rule::Any, true};
inline constexpr Key IJStep{"IJStep", Type::Int, 1, Rule::Any, true};
inline constexpr Key MaxRFP{"MaxRFP", Type::Int, 4500, Rule::Any, true};
inline constexpr Key ClusterSeqBlockRMSDthr{"ClusterSeqBlockRMSDthr", Type::Float, -1.0, Rule::Any, true};
inline constexpr Key RobustFPClustering{"RobustFPClustering", Type::Int, 0, Rule::Any, true};
inline constexpr Key TransEqualRMSD{"TransEqualRMSD", Type::Float, 4.0, Rule::Any, true};
inline constexpr Key ExtIterations{"ExtIterations", Type::Int, 3, Rule::Any, true};
inline constexpr Key PrintHits{"PrintHits", Type::Int, 0, Rule::Any, true};
inline constexpr Key IJshift{"IJshift", Type::Int, 10000, Rule::Any, true};
inline constexpr Key ResNumPrint{"ResNumPrint", Type::Int, 10, Rule::Any, true};
inline constexpr Key OnlyRefMol{"OnlyRefMol", Type::Int, 0, Rule::Any, true};
inline constexpr Key SeqBlockOverlapRatio{"SeqBlockOverlapRatio", Type::Float, 0.8, Rule::Any, true};
inline constexpr Key BioCore{"BioCore", Type::Int, 3, Rule::Any, true};
inline constexpr Key BioCoreRadius{"BioCoreRadius", Type::Float, 3.0, Rule::Any, true};
inline constexpr Key FullSet{"FullSet", Type::Int, 1, Rule::Any, true};
inline constexpr Key PointType{"PointType", Type::Int, 0, Rule::Any, true};
inline constexpr Key ChainEq{"ChainEq", Type::Int, 0, Rule::Any, true};
inline constexpr Key OnlyScoring{"OnlyScoring", Type::Int, 0, Rule::Any, true};
inline constexpr Key ContFragmentMatch{"ContFragmentMatch", Type::Int, 0, Rule::Any, true};
// Read when present, never set at start-up.
inline constexpr Key Debug{"Debug", Type::Int, 0, Rule::Any, false};
inline constexpr Key SBlockBottleneck{"SBlockBottleneck", Type::Int, 0, Rule::Any, false};
inline constexpr Key SBlockBottleneckWeight{"SBlockBottleneckWeight", Type::Float, 0.0, Rule::Any, false};

inline constexpr const Key* kAll[] = {
    &SeqBlockRMSDthr, &ExtThr,        &SeqBlockMinSize,    &ResNum,          &bvResNum,
    &Scoring,         &SeqOrder,      &MaxIns,             &MaxDels,         &Step,
    &IJStep,          &MaxRFP,        &ClusterSeqBlockRMSDthr, &RobustFPClustering, &TransEqualRMSD,
    &ExtIterations,   &PrintHits,     &IJshift,            &ResNumPrint,     &OnlyRefMol,
    &SeqBlockOverlapRatio, &BioCore,  &BioCoreRadius,      &FullSet,         &PointType,
    &ChainEq,         &OnlyScoring,   &ContFragmentMatch,  &Debug,           &SBlockBottleneck,
    &SBlockBottleneckWeight,
};

}  // namespace Param
