#include "report/figures/GroupStatistics.h"

#include "parameters/Figures.h"
#include "parameters/TestVariant.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace kavr::report {

Descriptive Describe(QList<double> values)
{
    Descriptive d;
    d.n = int(values.size());
    if (values.isEmpty())
        return d;
    std::sort(values.begin(), values.end());
    double sum = 0;
    for (double v : values)
        sum += v;
    d.mean = sum / d.n;
    if (d.n >= 2) {
        // Deviations from the mean: no cancellation between large sums.
        double squares = 0;
        for (double v : values)
            squares += (v - d.mean) * (v - d.mean);
        d.sd = std::sqrt(squares / (d.n - 1));
    }
    const qsizetype half = values.size() / 2;
    d.median = values.size() % 2 ? values.at(half) : (values.at(half - 1) + values.at(half)) / 2;
    d.min = values.front();
    d.max = values.back();
    return d;
}

QString IndicatorName(Indicator indicator)
{
    switch (indicator) {
    case Indicator::Correct:
        return QStringLiteral("N[+]");
    case Indicator::Wrong:
        return QStringLiteral("N[-]");
    case Indicator::Missing:
        return QStringLiteral("N[0]");
    case Indicator::Mean:
        return QStringLiteral("Tcp, сек");
    case Indicator::Sd:
        return QStringLiteral("SD, сек");
    case Indicator::Cv:
        return QStringLiteral("V, %");
    }
    return {};
}

std::optional<double> IndicatorValue(const ProtocolRecord &record, Indicator indicator)
{
    const Score &s = record.score;
    switch (indicator) {
    case Indicator::Correct:
        return s.correct;
    case Indicator::Wrong:
        return s.wrong;
    case Indicator::Missing:
        return s.missing;
    case Indicator::Mean:
        return s.placed >= 1 ? std::optional<double>(s.mean) : std::nullopt;
    case Indicator::Sd:
        return s.placed >= 2 ? std::optional<double>(s.sd) : std::nullopt;
    case Indicator::Cv:
        return s.placed >= 2 ? std::optional<double>(s.cv) : std::nullopt;
    }
    return std::nullopt;
}

namespace {

std::optional<double> ZScore(std::optional<double> value, const Descriptive &group)
{
    if (!value || !group.sd || *group.sd <= 0)
        return std::nullopt;
    return (*value - group.mean) / *group.sd;
}

void AddSubject(VariantGroup &group, const ProtocolRecord &record,
                PerFigure<QList<double>> &panelTimes, PerFigure<QList<double>> &figureTimes)
{
    PerFigure<bool> panelCorrect{}, figureCorrect{};
    for (int i = 1; i <= FigureCount; ++i) {
        const ChoiceRecord &c = record.choices[i];
        if (!c.placed())
            continue;
        if (IsFigureNumber(c.PanelNo)) {
            panelTimes[c.PanelNo] << c.Time;
            panelCorrect[c.PanelNo] = panelCorrect[c.PanelNo] || c.correct();
        }
        if (IsFigureNumber(c.Answer)) {
            figureTimes[c.Answer] << c.Time;
            figureCorrect[c.Answer] = figureCorrect[c.Answer] || c.correct();
        }
    }
    for (int k = 1; k <= FigureCount; ++k) {
        ++group.panels[k].subjects;
        ++group.figures[k].subjects;
        group.panels[k].correct += panelCorrect[k];
        group.figures[k].correct += figureCorrect[k];
    }
}

} // namespace

GroupStatistics ComputeGroupStatistics(const QList<ProtocolRecord> &records)
{
    GroupStatistics statistics;
    statistics.z.resize(records.size());

    // Variant A, then B, then other texts in their order.
    std::map<std::pair<int, QString>, QList<int>> byVariant;
    std::map<std::pair<int, QString>, int> recovered;
    for (qsizetype r = 0; r < records.size(); ++r) {
        const ProtocolRecord &record = records.at(r);
        const int index = record.variantIndex();
        const std::pair<int, QString> key{index < 0 ? VariantCount : index, record.variant};
        if (record.recovered)
            ++recovered[key];
        else
            byVariant[key] << int(r);
        byVariant.try_emplace(key);
    }

    for (const auto &[key, members] : byVariant) {
        VariantGroup group;
        group.variant = key.second;
        group.variantIndex = key.first < VariantCount ? key.first : -1;
        group.members = members;
        group.recovered = recovered[key];
        for (size_t k = 0; k < Indicators.size(); ++k) {
            QList<double> values;
            for (int r : members) {
                if (const std::optional<double> v = IndicatorValue(records.at(r), Indicators[k]))
                    values << *v;
            }
            group.indicators[k] = Describe(values);
        }
        PerFigure<QList<double>> panelTimes, figureTimes;
        for (int r : members)
            AddSubject(group, records.at(r), panelTimes, figureTimes);
        for (int k = 1; k <= FigureCount; ++k) {
            group.panels[k].time = Describe(panelTimes[k]);
            group.figures[k].time = Describe(figureTimes[k]);
        }
        for (int r : members) {
            statistics.z[r].correct
                = ZScore(IndicatorValue(records.at(r), Indicator::Correct),
                         group.indicators[size_t(Indicator::Correct)]);
            statistics.z[r].mean = ZScore(IndicatorValue(records.at(r), Indicator::Mean),
                                          group.indicators[size_t(Indicator::Mean)]);
        }
        statistics.groups << group;
    }
    return statistics;
}

} // namespace kavr::report
