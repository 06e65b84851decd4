#pragma once
// The group at a glance: the protocols of each variant side by side.
//
// Per variant, over the completed tests (recovered protocols are interrupted tests: they are
// counted, not averaged): number of subjects, mean, SD (n - 1), median and range of N[+], N[-],
// N[0], Tcp, SD and V; per task panel and per figure the share of subjects who put the figure
// back correctly and the times of the placements made there or of that figure; each subject's
// N[+] and Tcp as a z-score within the group (this folder, not a norm).
//
// Tcp is defined only for a subject who placed a figure, SD and V only for one who placed two:
// the protocol's 0 for the others means "none", so they stay out of those figures.
#include "parameters/Figures.h"
#include "report/read/ProtocolRecord.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace kavr::report {

struct Descriptive
{
    int n = 0;
    double mean = 0;
    std::optional<double> sd; // from two values on
    double median = 0;
    double min = 0;
    double max = 0;
};

Descriptive Describe(QList<double> values);

// The six scores in the protocol's order; each indexes VariantGroup::indicators.
enum class Indicator { Correct, Wrong, Missing, Mean, Sd, Cv };
inline constexpr std::array<Indicator, 6> Indicators = {Indicator::Correct, Indicator::Wrong,
                                                        Indicator::Missing, Indicator::Mean,
                                                        Indicator::Sd,      Indicator::Cv};
QString IndicatorName(Indicator indicator); // "N[+]", …, "Tcp, сек", "SD, сек", "V, %"
// The subject's value, or nothing where the score is not defined for that subject.
std::optional<double> IndicatorValue(const ProtocolRecord &record, Indicator indicator);

// One task panel, or one figure, over a group.
struct CellFigures
{
    int subjects = 0; // the group's size: every subject had every panel and every figure
    int correct = 0; // subjects who put the figure back on its own panel
    Descriptive time; // seconds of the placements onto this panel / of this figure
    std::optional<double> share() const
    {
        return subjects > 0 ? std::optional<double>(double(correct) / subjects) : std::nullopt;
    }
};

struct VariantGroup
{
    QString variant; // as the protocols write it
    int variantIndex = -1; // ProtocolRecord::variantIndex()
    QList<int> members; // indexes into the records of the completed tests, in their order
    int recovered = 0; // interrupted tests of this variant, not in the figures
    std::array<Descriptive, Indicators.size()> indicators{};
    PerFigure<CellFigures> panels{}; // 1-12
    PerFigure<CellFigures> figures{}; // 1-12
};

struct ZScores
{
    std::optional<double> correct; // N[+]
    std::optional<double> mean; // Tcp
};

struct GroupStatistics
{
    QList<VariantGroup> groups; // by variant text: A, then B, then any other
    QList<ZScores> z; // one per record; empty for recovered protocols
};

GroupStatistics ComputeGroupStatistics(const QList<ProtocolRecord> &records);

} // namespace kavr::report
